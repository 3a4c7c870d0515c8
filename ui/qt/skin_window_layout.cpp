#include "ui/qt/skin_window.h"

#include "ui/qt/hotkey_edit.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/skin_files.h"
#include "ui/qt/skin_preparation.h"
#include "ui/qt/volume_bar.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>

namespace ornavox {

namespace {

const QColor kPeach(255, 239, 227);

constexpr int kLaidOutWidth = 632;
constexpr int kLaidOutHeight = 314;

QFont pixel_font(const char* family, int pixels, bool bold = false)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont ms_sans_serif()
{
    return pixel_font("MS Sans Serif", 11);
}

QFont skin_font(SkinFont font)
{
    switch (font) {
    case SkinFont::ArialBlack37Bold:
        return pixel_font("Arial Black", 37, true);
    case SkinFont::Arial13:
        return pixel_font("Arial", 13);
    case SkinFont::MsSansSerif:
        break;
    }
    return ms_sans_serif();
}

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A transparent text label. A display label's hint goes to the hint line
// only (labels lie in the drag area), never to a tooltip.
QLabel* label(QWidget* parent, const char* name, int left, int top, int width, int height, const char* text,
              const QFont& font, const QColor* colour)
{
    auto* l = place(new QLabel(QString::fromLatin1(text), parent), name, left, top, width, height);
    l->setFont(font);
    if (colour) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, *colour);
        l->setPalette(palette);
    }
    l->setWordWrap(false);
    return l;
}

void peach(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, kPeach);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QComboBox* combo(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* box = place(new QComboBox(parent), name, left, top, width, height);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

} // namespace

void SkinWindow::build_skin(const SkinFormServices& services)
{
    const QString dir = QString::fromStdString(services.program_dir);
    PreparedSkin prepared = prepared_skin(dir);
    for (const auto& [windows_face, installed] : prepared.faces)
        QFont::insertSubstitution(windows_face, installed);
    skin::Artwork& art = prepared.artwork;
    const QStringList& skin_errors = prepared.errors;

    setObjectName(QStringLiteral("skinForm"));
    setWindowTitle(QStringLiteral("skinForm"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(QIcon(QPixmap::fromImage(art.icon)));
    setFont(ms_sans_serif());
    move(49, 148);
    setFixedSize(kLaidOutWidth, kLaidOutHeight);

    ImageList1 = std::move(art.image_lists[0]);
    ImageList2 = std::move(art.image_lists[1]);
    ImageList3 = std::move(art.image_lists[2]);
    ImageList4 = std::move(art.image_lists[3]);

    TImageList* lists[] = {&ImageList1, &ImageList2, &ImageList3, &ImageList4};
    background = place(new QLabel(this), "background", 0, 0, kCompactWidth, kCompactHeight);
    if (!art.background.isNull())
        background->setPixmap(QPixmap::fromImage(art.background));
    for (const SkinControl& c : skin_area()) {
        if (const SkinLabel* l = c.label) {
            const QColor colour(QRgb(l->colour));
            label(this, control_name(l->id), l->left, l->top, l->width, l->height, l->text, skin_font(l->font),
                  &colour);
        } else {
            const SkinButton& b = *c.button;
            auto* button = place(new Thotlinkbutton(this), control_name(b.id), b.left, b.top, b.width, b.height);
            button->setTransparent(true);
            button->setPicture(art.buttons[b.number - 1]);
            button->setHint(QString::fromLatin1(b.hint));
            button->setButtonstate(0);
            button->setImageid(b.imageid);
            button->setButtonimage(lists[b.image_list - 1]);
        }
    }
    auto take = [this](auto*& member, ControlId id) {
        member = findChild<std::remove_reference_t<decltype(member)>>(QString::fromLatin1(control_name(id)),
                                                                      Qt::FindDirectChildrenOnly);
    };
    take(Label3, ControlId::Label3);
    take(hotlinkbutton1, ControlId::hotlinkbutton1);
    take(Label1, ControlId::Label1);
    take(hotlinkbutton3, ControlId::hotlinkbutton3);
    take(hotlinkbutton5, ControlId::hotlinkbutton5);
    take(hotlinkbutton6, ControlId::hotlinkbutton6);
    take(hotlinkbutton7, ControlId::hotlinkbutton7);
    take(hotlinkbutton8, ControlId::hotlinkbutton8);
    take(hotlinkbutton2, ControlId::hotlinkbutton2);
    take(hotlinkbutton9, ControlId::hotlinkbutton9);
    take(hotlinkbutton10, ControlId::hotlinkbutton10);
    take(hotlinkbutton11, ControlId::hotlinkbutton11);
    take(hotlinkbutton12, ControlId::hotlinkbutton12);
    take(hotlinkbutton13, ControlId::hotlinkbutton13);
    take(hotlinkbutton14, ControlId::hotlinkbutton14);
    take(Label4, ControlId::Label4);
    take(Label5, ControlId::Label5);
    take(Label7, ControlId::Label7);
    take(hotlinkbutton4, ControlId::hotlinkbutton4);
    take(Label6, ControlId::Label6);
    // The hint line and the size line keep their width and cut a long text
    // off at the right edge; the other display labels grow with their text.
    autosize_labels_ = {Label3, Label4, Label5, Label6};

    // Components without a place on screen.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    abc1 = PopupMenu1->addAction(QStringLiteral("Show Mixer"));
    abc1->setObjectName(QStringLiteral("abc1"));
    help1 = PopupMenu1->addAction(QStringLiteral("Help"));
    help1->setObjectName(QStringLiteral("help1"));
    exit1 = PopupMenu1->addAction(QStringLiteral("Exit"));
    exit1->setObjectName(QStringLiteral("exit1"));
    hotlinkbutton2->setPopupMenu(PopupMenu1);

    // A broken installation is said plainly instead of showing a blank face.
    if (!skin_errors.isEmpty())
        services.messages.show_message(skin_errors.join(QLatin1Char('\n')).toStdString());
}

// The panels lie outside the compact window, so the first frame does without
// them. Made once the window is on the screen, they must be shown by hand.
void SkinWindow::build_panels()
{
    const QFont ms = ms_sans_serif();

    // The mixer panel, uncovered when the window is 314 high.
    GroupBox1 = place(new QGroupBox(QStringLiteral("Select the record source"), this), "GroupBox1", 1, 125, 349, 52);
    peach(GroupBox1);
    Label10 = label(GroupBox1, "Label10", 8, 32, 74, 13, "Recording level", ms, nullptr);
    SpeedButton3 = place(new QPushButton(QStringLiteral("<--"), GroupBox1), "SpeedButton3", 320, 11, 25, 22);
    SpeedButton3->setFlat(true);
    SpeedButton3->setToolTip(QStringLiteral("Auto detect sound card source"));
    RadioButton1 = place(new QRadioButton(QStringLiteral("Line in"), GroupBox1), "RadioButton1", 8, 13, 73, 17);
    RadioButton2 = place(new QRadioButton(QStringLiteral("Microphone"), GroupBox1), "RadioButton2", 64, 13, 81, 17);
    RadioButton3 = place(new QRadioButton(QStringLiteral("CD audio"), GroupBox1), "RadioButton3", 144, 13, 81, 17);
    RadioButton4 = place(new QRadioButton(GroupBox1), "RadioButton4", 216, 13, 33, 17);
    ComboBox1 = combo(GroupBox1, "ComboBox1", 232, 11, 85, 21);
    TrackBar1 = place(new_volume_bar(GroupBox1), "TrackBar1", 123, 32, 196, 17);

    ScrollBox1 = place(new QScrollArea(this), "ScrollBox1", 0, 176, 350, 137);
    ScrollBox1->setWidget(new QWidget);
    ScrollBox1->setWidgetResizable(true);
    peach(ScrollBox1->viewport());
    peach(ScrollBox1->widget());
    ScrollBox1->verticalScrollBar()->setTracking(true);

    // The options panel, uncovered when the window is 632 wide.
    GroupBox2 = place(new QGroupBox(QStringLiteral("Save to mp3 file"), this), "GroupBox2", 352, 0, 279, 124);
    peach(GroupBox2);
    Edit1 = place(new QLineEdit(GroupBox2), "Edit1", 8, 16, 241, 21);
    SpeedButton1 = place(new QPushButton(QStringLiteral("..."), GroupBox2), "SpeedButton1", 252, 16, 23, 22);
    SpeedButton1->setToolTip(QStringLiteral("chang save file name"));
    ComboBox2 = combo(GroupBox2, "ComboBox2", 8, 40, 57, 21);
    Label8 = label(GroupBox2, "Label8", 64, 44, 13, 13, "Hz", ms, nullptr);
    ComboBox3 = combo(GroupBox2, "ComboBox3", 80, 40, 57, 21);
    Label9 = label(GroupBox2, "Label9", 136, 44, 23, 13, "kbps", ms, nullptr);
    Label11 = label(GroupBox2, "Label11", 160, 44, 80, 13, "Stereo Mp3 CBR", ms, nullptr);
    Label12 = label(GroupBox2, "Label12", 8, 64, 70, 13, "Record/Pause", ms, nullptr);
    HotKey1 = place(new THotKey(GroupBox2), "HotKey1", 80, 62, 89, 19);
    Label13 = label(GroupBox2, "Label13", 8, 84, 55, 13, "Stop record", ms, nullptr);
    HotKey2 = place(new THotKey(GroupBox2), "HotKey2", 80, 82, 89, 19);
    Label14 = label(GroupBox2, "Label14", 8, 104, 44, 13, "Show me", ms, nullptr);
    HotKey3 = place(new THotKey(GroupBox2), "HotKey3", 80, 102, 89, 19);

    // Panel labels never change their text: sized to it once.
    for (QLabel* l : {Label10, Label8, Label9, Label11, Label12, Label13, Label14})
        l->adjustSize();

    // Tab order: the scroll box, the mixer group, the options group.
    QWidget* chain[] = {ScrollBox1, RadioButton1, RadioButton2, RadioButton3, RadioButton4, ComboBox1, TrackBar1,
                        Edit1,      ComboBox2,    ComboBox3,    HotKey1,      HotKey2,      HotKey3};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    for (QPushButton* b : {SpeedButton1, SpeedButton3})
        b->setFocusPolicy(Qt::NoFocus);

    wire_panels();
    for (QWidget* panel :
         {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(ScrollBox1), static_cast<QWidget*>(GroupBox2)})
        panel->show();
}

// Every route from a control to the logic goes through until_closed: once
// close has begun, no event reaches a handler.
void SkinWindow::wire_skin()
{
    TskinForm& form = *form_;
    for (Thotlinkbutton* b : {hotlinkbutton1, hotlinkbutton2, hotlinkbutton3, hotlinkbutton4, hotlinkbutton5,
                              hotlinkbutton6, hotlinkbutton7, hotlinkbutton8, hotlinkbutton9, hotlinkbutton10,
                              hotlinkbutton11, hotlinkbutton12, hotlinkbutton13, hotlinkbutton14}) {
        const ControlId id = control_named(b->objectName().toStdString());
        b->onmouseenter = form.until_closed([&form, id] { form.hotlinkbutton1mouseenter(id); });
        b->onmouseleave = form.until_closed([&form, id] { form.hotlinkbutton1mouseleave(id); });
        b->onclick = [&form, id](QObject*) { form.button_click(id); };
    }
    // Labels get no entry and exit events of their own: the window watches them.
    for (QLabel* l : {Label3, Label4, Label7})
        l->installEventFilter(this);

    connect(abc1, &QAction::triggered, this, form.until_closed([&form] { form.hotlinkbutton9Click(ControlId::abc1); }));
    connect(help1, &QAction::triggered, this,
            form.until_closed([&form] { form.hotlinkbutton12Click(ControlId::help1); }));
    connect(exit1, &QAction::triggered, this, form.until_closed([&form] { form.exit1Click(ControlId::exit1); }));
}

// Only what the user does reaches a handler: the view's setters block the
// controls' signals.
void SkinWindow::wire_panels()
{
    TskinForm& form = *form_;
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) {
        const ControlId id = control_named(r->objectName().toStdString());
        connect(r, &QRadioButton::toggled, this, form.until_closed([&form, id](bool checked) {
            if (checked)
                form.RadioButton1Click(id);
        }));
    }
    connect(ComboBox2, &QComboBox::editTextChanged, this,
            form.until_closed([&form] { form.ComboBox2Change(ControlId::ComboBox2); }));
    connect(ComboBox3, &QComboBox::editTextChanged, this,
            form.until_closed([&form] { form.ComboBox2Change(ControlId::ComboBox3); }));
    connect(SpeedButton1, &QPushButton::clicked, this,
            form.until_closed([&form] { form.SpeedButton1Click(ControlId::SpeedButton1); }));

    connect(ComboBox1, &QComboBox::activated, this,
            form.until_closed([&form] { form.ComboBox1Change(ControlId::ComboBox1); }));
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            form.until_closed([&form] { form.ComboBox1Change(ControlId::ComboBox1); }));
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    connect(SpeedButton3, &QPushButton::clicked, this,
            form.until_closed([&form] { form.SpeedButton3Click(ControlId::SpeedButton3); }));
    connect(TrackBar1, &QSlider::valueChanged, this,
            form.until_closed([&form] { form.TrackBar1Change(ControlId::TrackBar1); }));

    for (THotKey* field : {HotKey1, HotKey2, HotKey3}) {
        const ControlId id = control_named(field->objectName().toStdString());
        field->onchange = form.until_closed([&form, id] { form.HotKey3Change(id); });
    }
}

} // namespace ornavox
