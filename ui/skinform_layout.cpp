#include "ui/skinform.h"

#include "ui/hotkey_edit.h"
#include "ui/hotlinkbutton.h"
#include "ui/skin_files.h"
#include "ui/skin_preparation.h"

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
#include <QTimer>

namespace ornavox {

namespace {

const QColor kPeach(255, 239, 227);
const QColor kLime(0, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);

constexpr int kLaidOutWidth = 632;
constexpr int kLaidOutHeight = 314;

enum class Sizing { Auto, Fixed };

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

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A transparent text label. Its hint goes to the hint line only (labels lie
// in the drag area), so it is kept as a property rather than a tooltip.
QLabel* label(QWidget* parent, const char* name, int left, int top, int width, int height, const char* text,
              const char* hint, const QFont& font, const QColor* colour)
{
    auto* l = place(new QLabel(QString::fromLatin1(text), parent), name, left, top, width, height);
    l->setFont(font);
    if (colour) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, *colour);
        l->setPalette(palette);
    }
    if (*hint)
        l->setProperty(kHintProperty, QString::fromLatin1(hint));
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

QComboBox* combo(QWidget* parent, const char* name, int left, int top, int width, int height, const QStringList& items,
                 const char* text)
{
    auto* box = place(new QComboBox(parent), name, left, top, width, height);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentText(QString::fromLatin1(text));
    return box;
}

} // namespace

QString hint_of(const QObject* control)
{
    if (const auto* button = qobject_cast<const Thotlinkbutton*>(control))
        return button->hint();
    return control ? control->property(kHintProperty).toString() : QString();
}

void TskinForm::build_skin()
{
    const QString dir = QString::fromStdString(services_.program_dir);
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

    auto button = [&](const char* name, int number, int left, int top, int width, int height, const QString& hint,
                      TImageList& list, int imageid) {
        auto* b = place(new Thotlinkbutton(this), name, left, top, width, height);
        b->setTransparent(true);
        b->setPicture(art.buttons[number - 1]);
        b->setHint(hint);
        b->setButtonstate(0);
        b->setImageid(imageid);
        b->setButtonimage(&list);
        return b;
    };
    const QFont ms = ms_sans_serif();

    // The skin area, back to front: a later control is drawn over an earlier
    // one and found first by the hit test.
    background = place(new QLabel(this), "background", 0, 0, kCompactWidth, kCompactHeight);
    if (!art.background.isNull())
        background->setPixmap(QPixmap::fromImage(art.background));
    Label3 = label(this, "Label3", 18, 32, 132, 52, "Ready", "Time code showing", pixel_font("Arial Black", 37, true),
                   &kLime);
    hotlinkbutton1 = button("hotlinkbutton1", 1, 219, 94, 24, 24, "Playback the what recorded.", ImageList1, 0);
    Label1 = label(this, "Label1", 20, 75, 317, 13, "", "", ms, &kWhite);
    hotlinkbutton3 = button("hotlinkbutton3", 3, 193, 94, 24, 24, "Record  what playback", ImageList1, 2);
    hotlinkbutton5 = button("hotlinkbutton5", 5, 271, 94, 24, 24, "Infomartion of the software.", ImageList1, 4);
    hotlinkbutton6 = button("hotlinkbutton6", 6, 297, 94, 24, 24, kVendorWebAddress, ImageList1, 5);
    hotlinkbutton7 = button("hotlinkbutton7", 7, 323, 94, 24, 24, "Saveto mp3 file?", ImageList1, 6);
    hotlinkbutton8 = button("hotlinkbutton8", 8, 0, 95, 186, 27, "Visiter our web for more", ImageList2, 0);
    hotlinkbutton2 = button("hotlinkbutton2", 2, 20, 3, 64, 20, "Pull down menu", ImageList3, 0);
    hotlinkbutton9 = button("hotlinkbutton9", 9, 86, 3, 64, 20, "Show sound mixer", ImageList3, 1);
    hotlinkbutton10 = button("hotlinkbutton10", 10, 152, 3, 64, 20, "Record in music  mode.", ImageList3, 2);
    hotlinkbutton11 = button("hotlinkbutton11", 11, 218, 3, 64, 20, "Config the options", ImageList3, 4);
    hotlinkbutton12 = button("hotlinkbutton12", 12, 286, 5, 18, 18, "Need help?", ImageList4, 0);
    hotlinkbutton13 = button("hotlinkbutton13", 13, 306, 5, 18, 18, "Hide me!", ImageList4, 1);
    hotlinkbutton14 = button("hotlinkbutton14", 14, 326, 5, 18, 18, "Quit the application.", ImageList4, 2);
    Label4 = label(this, "Label4", 220, 32, 113, 13, "MP3 44100 hz 128kbps", "MP3 compress format", ms, &kWhite);
    Label5 = label(this, "Label5", 220, 48, 20, 16, "Idle", "Application status", pixel_font("Arial", 13), &kBlue);
    Label7 = label(this, "Label7", 220, 64, 121, 13, "Filesize:0", "MP3 file size/Playback time", ms, &kWhite);
    hotlinkbutton4 = button("hotlinkbutton4", 4, 244, 93, 24, 24, "Stop record/playback", ImageList1, 3);
    Label6 = label(this, "Label6", 22, 32, 53, 13, "Record on:", "", ms, &kWhite);
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

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    // A broken installation is said plainly instead of showing a blank face.
    if (!skin_errors.isEmpty())
        services_.messages.show_message(skin_errors.join(QLatin1Char('\n')).toStdString());
}

// The panels lie outside the compact window, so the first frame does without
// them. Made once the window is on the screen, they must be shown by hand.
void TskinForm::build_panels()
{
    const QFont ms = ms_sans_serif();

    // The mixer panel, uncovered when the window is 314 high.
    GroupBox1 = place(new QGroupBox(QStringLiteral("Select the record source"), this), "GroupBox1", 1, 125, 349, 52);
    peach(GroupBox1);
    Label10 = label(GroupBox1, "Label10", 8, 32, 74, 13, "Recording level", "", ms, nullptr);
    SpeedButton3 = place(new QPushButton(QStringLiteral("<--"), GroupBox1), "SpeedButton3", 320, 11, 25, 22);
    SpeedButton3->setFlat(true);
    SpeedButton3->setToolTip(QStringLiteral("Auto detect sound card source"));
    RadioButton1 = place(new QRadioButton(QStringLiteral("Line in"), GroupBox1), "RadioButton1", 8, 13, 73, 17);
    RadioButton2 = place(new QRadioButton(QStringLiteral("Microphone"), GroupBox1), "RadioButton2", 64, 13, 81, 17);
    RadioButton3 = place(new QRadioButton(QStringLiteral("CD audio"), GroupBox1), "RadioButton3", 144, 13, 81, 17);
    RadioButton4 = place(new QRadioButton(GroupBox1), "RadioButton4", 216, 13, 33, 17);
    RadioButton4->setChecked(true);
    ComboBox1 = combo(GroupBox1, "ComboBox1", 232, 11, 85, 21, {}, "Unkown");
    TrackBar1 = place(new QSlider(Qt::Horizontal, GroupBox1), "TrackBar1", 123, 32, 196, 17);
    TrackBar1->setRange(0, 65535);
    TrackBar1->setValue(0);
    TrackBar1->setSingleStep(256);
    TrackBar1->setPageStep(4096);
    TrackBar1->setTickInterval(4096);
    TrackBar1->setTickPosition(QSlider::TicksBelow);

    ScrollBox1 = place(new QScrollArea(this), "ScrollBox1", 0, 176, 350, 137);
    ScrollBox1->setWidget(new QWidget);
    ScrollBox1->setWidgetResizable(true);
    peach(ScrollBox1->viewport());
    peach(ScrollBox1->widget());
    ScrollBox1->verticalScrollBar()->setTracking(true);

    // The options panel, uncovered when the window is 632 wide.
    GroupBox2 = place(new QGroupBox(QStringLiteral("Save to mp3 file"), this), "GroupBox2", 352, 0, 279, 124);
    peach(GroupBox2);
    Edit1 = place(new QLineEdit(QStringLiteral("save.mp3"), GroupBox2), "Edit1", 8, 16, 241, 21);
    SpeedButton1 = place(new QPushButton(QStringLiteral("..."), GroupBox2), "SpeedButton1", 252, 16, 23, 22);
    SpeedButton1->setToolTip(QStringLiteral("chang save file name"));
    ComboBox2 = combo(GroupBox2, "ComboBox2", 8, 40, 57, 21, {"44100", "48000", "32000"}, "44100");
    Label8 = label(GroupBox2, "Label8", 64, 44, 13, 13, "Hz", "", ms, nullptr);
    ComboBox3 = combo(GroupBox2, "ComboBox3", 80, 40, 57, 21, {"128", "96", "160", "192", "256"}, "128");
    Label9 = label(GroupBox2, "Label9", 136, 44, 23, 13, "kbps", "", ms, nullptr);
    Label11 = label(GroupBox2, "Label11", 160, 44, 80, 13, "Stereo Mp3 CBR", "", ms, nullptr);
    Label12 = label(GroupBox2, "Label12", 8, 64, 70, 13, "Record/Pause", "", ms, nullptr);
    HotKey1 = place(new THotKey(GroupBox2), "HotKey1", 80, 62, 89, 19);
    HotKey1->setHotKey(kShortcutShift | kShortcutCtrl | 0x78); // F9
    Label13 = label(GroupBox2, "Label13", 8, 84, 55, 13, "Stop record", "", ms, nullptr);
    HotKey2 = place(new THotKey(GroupBox2), "HotKey2", 80, 82, 89, 19);
    HotKey2->setHotKey(kShortcutShift | kShortcutCtrl | 0x79); // F10
    Label14 = label(GroupBox2, "Label14", 8, 104, 44, 13, "Show me", "", ms, nullptr);
    HotKey3 = place(new THotKey(GroupBox2), "HotKey3", 80, 102, 89, 19);
    HotKey3->setHotKey(kShortcutShift | kShortcutCtrl | 0x7A); // F11

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

    for (QWidget* panel :
         {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(ScrollBox1), static_cast<QWidget*>(GroupBox2)})
        panel->show();
}

void TskinForm::wire_handlers()
{
    for (Thotlinkbutton* b : {hotlinkbutton1, hotlinkbutton2, hotlinkbutton3, hotlinkbutton4, hotlinkbutton5,
                              hotlinkbutton6, hotlinkbutton7, hotlinkbutton8, hotlinkbutton9, hotlinkbutton10,
                              hotlinkbutton11, hotlinkbutton12, hotlinkbutton13, hotlinkbutton14}) {
        b->onmouseenter = until_closed([this](QObject* sender) { hotlinkbutton1mouseenter(control_of(sender)); });
        b->onmouseleave = until_closed([this](QObject* sender) { hotlinkbutton1mouseleave(control_of(sender)); });
    }
    // Labels get no entry and exit events of their own: the window watches them.
    for (QLabel* l : {Label3, Label4, Label7})
        l->installEventFilter(this);

    // A click that comes before the first paint's start-up finished finds the
    // window started.
    auto on_click = [this](Thotlinkbutton* b, void (TskinForm::*handler)(Control)) {
        b->onclick = until_closed([this, handler](QObject* sender) {
            finish_start();
            (this->*handler)(control_of(sender));
        });
    };
    on_click(hotlinkbutton1, &TskinForm::hotlinkbutton1Click);
    on_click(hotlinkbutton3, &TskinForm::hotlinkbutton3Click);
    on_click(hotlinkbutton6, &TskinForm::hotlinkbutton6Click);
    on_click(hotlinkbutton7, &TskinForm::SpeedButton1Click);
    on_click(hotlinkbutton8, &TskinForm::hotlinkbutton8Click);
    on_click(hotlinkbutton2, &TskinForm::hotlinkbutton2Click);
    on_click(hotlinkbutton9, &TskinForm::hotlinkbutton9Click);
    on_click(hotlinkbutton10, &TskinForm::hotlinkbutton10Click);
    on_click(hotlinkbutton11, &TskinForm::hotlinkbutton11Click);
    on_click(hotlinkbutton12, &TskinForm::hotlinkbutton12Click);
    on_click(hotlinkbutton13, &TskinForm::hotlinkbutton13Click);
    on_click(hotlinkbutton14, &TskinForm::hotlinkbutton14Click);
    on_click(hotlinkbutton4, &TskinForm::hotlinkbutton4Click);

    connect(abc1, &QAction::triggered, this, until_closed([this] { hotlinkbutton9Click(ControlId::abc1); }));
    connect(help1, &QAction::triggered, this, until_closed([this] { hotlinkbutton12Click(ControlId::help1); }));
    connect(exit1, &QAction::triggered, this, until_closed([this] { exit1Click(ControlId::exit1); }));

    connect(Timer1, &QTimer::timeout, this, until_closed([this] { Timer1Timer(ControlId::Timer1); }));
}

void TskinForm::wire_panels()
{
    // A selection made from code counts as a click too, but only when it
    // changes which button is selected.
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(r, &QRadioButton::toggled, this, until_closed([this, r](bool checked) {
                    if (checked)
                        RadioButton1Click(control_of(r));
                }));
    for (QComboBox* box : {ComboBox2, ComboBox3})
        connect(box, &QComboBox::editTextChanged, this,
                until_closed([this, box] { ComboBox2Change(control_of(box)); }));
    connect(SpeedButton1, &QPushButton::clicked, this,
            until_closed([this] { SpeedButton1Click(ControlId::SpeedButton1); }));

    wire_mixer();
    wire_hotkeys();
}

void TskinForm::autosize_labels()
{
    for (QLabel* l : autosize_labels_)
        l->resize(l->sizeHint());
}

// A label whose text changed asks its parent for a new layout; the window has
// no layout manager, so it sizes its self-sizing labels here.
bool TskinForm::event(QEvent* e)
{
    if (e->type() == QEvent::LayoutRequest)
        autosize_labels();
    return QWidget::event(e);
}

void TskinForm::showEvent(QShowEvent* e)
{
    autosize_labels();
    QWidget::showEvent(e);
}

} // namespace ornavox
