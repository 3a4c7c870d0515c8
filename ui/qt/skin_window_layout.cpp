// The window's widgets, built from the layout's description, and what the
// user does to them reported to the window's logic as control events.
#include "ui/qt/skin_window.h"

#include "ui/qt/hotkey_edit.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/skin_files.h"
#include "ui/qt/skin_preparation.h"
#include "ui/qt/volume_bar.h"

#include <QAction>
#include <QCheckBox>
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

#include <algorithm>
#include <map>

namespace ornavox {

namespace {

QFont qt_font(SkinFont font)
{
    const FontFace face = font_face(font);
    QFont qt(QString::fromLatin1(face.family));
    qt.setPixelSize(face.pixels);
    qt.setBold(face.bold);
    return qt;
}

QColor qt_colour(uint32_t rgb)
{
    return QColor(QRgb(rgb));
}

template <typename W>
W* place(W* widget, ControlId id, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(control_name(id)));
    widget->setGeometry(left, top, width, height);
    return widget;
}

void panel_colour(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, qt_colour(kPanelColour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

void SkinWindow::report(Control control, ControlEvent event)
{
    if (form_)
        form_->handle(control, event);
}

void SkinWindow::report_track_bar(QSlider* bar, Control control)
{
    connect(bar, &QSlider::valueChanged, this, [this, control] { report(control, ControlEvent::Change); });
    connect(bar, &QSlider::sliderPressed, this, [this, control] { report(control, ControlEvent::ThumbHeld); });
    connect(bar, &QSlider::sliderReleased, this, [this, control] { report(control, ControlEvent::ThumbReleased); });
}

void SkinWindow::build_skin(const SkinFormServices& services)
{
    const QString dir = QString::fromStdString(services.program_dir);
    PreparedSkin prepared = prepared_skin(dir);
    for (const auto& [windows_face, installed] : prepared.faces)
        QFont::insertSubstitution(windows_face, installed);
    skin::Artwork& art = prepared.artwork;

    setObjectName(QString::fromLatin1(control_name(ControlId::skinForm)));
    setWindowTitle(objectName());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(QIcon(QPixmap::fromImage(art.icon)));
    setFont(qt_font(SkinFont::MsSansSerif));
    move(kStartLeft, kStartTop);
    setFixedSize(kOptionsWidth, kMixerHeight);

    ImageList1 = std::move(art.image_lists[0]);
    ImageList2 = std::move(art.image_lists[1]);
    ImageList3 = std::move(art.image_lists[2]);
    ImageList4 = std::move(art.image_lists[3]);

    TImageList* lists[] = {&ImageList1, &ImageList2, &ImageList3, &ImageList4};
    auto* background = place(new QLabel(this), ControlId::background, 0, 0, kCompactWidth, kCompactHeight);
    if (!art.background.isNull())
        background->setPixmap(QPixmap::fromImage(art.background));
    for (const SkinControl& c : skin_area()) {
        if (const SkinLabel* l = c.label) {
            // A display label's hint goes to the hint line only, never to a
            // tooltip; the window watches the pointer over it.
            auto* label =
                place(new QLabel(QString::fromLatin1(l->text), this), l->id, l->left, l->top, l->width, l->height);
            label->setFont(qt_font(l->font));
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, qt_colour(l->colour));
            label->setPalette(palette);
            label->setWordWrap(false);
            if (l->grows)
                autosize_labels_.push_back(label);
            if (l->hover_hint)
                label->installEventFilter(this);
            continue;
        }
        const SkinButton& b = *c.button;
        auto* button = place(new Thotlinkbutton(this), b.id, b.left, b.top, b.width, b.height);
        button->setTransparent(true);
        button->setPicture(art.buttons[b.number - 1]);
        button->setHint(QString::fromLatin1(b.hint));
        button->setButtonstate(0);
        button->setImageid(b.imageid);
        button->setButtonimage(lists[b.image_list - 1]);
        const ControlId id = b.id;
        button->onmouseenter = [this, id](QObject*) { report(id, ControlEvent::PointerIn); };
        button->onmouseleave = [this, id](QObject*) { report(id, ControlEvent::PointerOut); };
        button->onclick = [this, id](QObject*) { report(id, ControlEvent::Click); };
    }

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QString::fromLatin1(control_name(ControlId::PopupMenu1)));
    for (const MenuEntry& entry : popup_menu_entries()) {
        QAction* action = PopupMenu1->addAction(QString::fromLatin1(entry.text));
        action->setObjectName(QString::fromLatin1(control_name(entry.id)));
        const ControlId id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { report(id, ControlEvent::Click); });
    }
    find<Thotlinkbutton>(kMenuButton)->setPopupMenu(PopupMenu1);

    // A broken installation is said plainly instead of showing a blank face.
    if (!prepared.errors.isEmpty())
        services.messages.show_message(prepared.errors.join(QLatin1Char('\n')).toStdString());
}

QWidget* SkinWindow::make_panel_control(const PanelControl& c, QWidget* parent, Control id, int down)
{
    const QString caption = QString::fromLatin1(c.caption);
    QWidget* widget = nullptr;
    switch (c.kind) {
    case PanelKind::GroupBox:
        widget = new QGroupBox(caption, parent);
        panel_colour(widget);
        break;
    case PanelKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setWordWrap(false);
        widget = label;
        break;
    }
    case PanelKind::PushButton: {
        auto* button = new QPushButton(caption, parent);
        button->setFlat(c.flat);
        connect(button, &QPushButton::clicked, this, [this, id] { report(id, ControlEvent::Click); });
        widget = button;
        break;
    }
    case PanelKind::RadioButton: {
        auto* radio = new QRadioButton(caption, parent);
        connect(radio, &QRadioButton::toggled, this, [this, id] { report(id, ControlEvent::Click); });
        widget = radio;
        break;
    }
    case PanelKind::ComboBox: {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        connect(box, &QComboBox::activated, this, [this, id] { report(id, ControlEvent::Change); });
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, id] { report(id, ControlEvent::Change); });
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        widget = box;
        break;
    }
    case PanelKind::TrackBar: {
        QSlider* bar = new_volume_bar(parent);
        report_track_bar(bar, id);
        widget = bar;
        break;
    }
    case PanelKind::ScrollBox: {
        auto* scroll = new QScrollArea(parent);
        scroll->setWidget(new QWidget);
        scroll->setWidgetResizable(true);
        panel_colour(scroll->viewport());
        panel_colour(scroll->widget());
        scroll->verticalScrollBar()->setTracking(true);
        widget = scroll;
        break;
    }
    case PanelKind::Edit:
        widget = new QLineEdit(parent);
        break;
    case PanelKind::HotKey: {
        auto* field = new THotKey(parent);
        field->onchange = [this, id](QObject*) { report(id, ControlEvent::Change); };
        widget = field;
        break;
    }
    case PanelKind::CheckBox: {
        auto* box = new QCheckBox(caption, parent);
        box->setLayoutDirection(Qt::RightToLeft);
        connect(box, &QCheckBox::toggled, this, [this, id] { report(id, ControlEvent::Click); });
        widget = box;
        break;
    }
    }
    place(widget, c.id, c.left, c.top + down, c.width, c.height);
    if (*c.tooltip)
        widget->setToolTip(QString::fromLatin1(c.tooltip));
    if (c.kind == PanelKind::Label)
        widget->adjustSize(); // its text never changes
    if (c.tab == 0)
        widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

// The panels lie outside the compact window, so the first frame does without
// them. Made once the window is on the screen, they must be shown by hand.
// Only what the user does is reported: the view's setters block the
// controls' signals.
void SkinWindow::build_panels()
{
    std::map<ControlId, QWidget*> built{{ControlId::skinForm, this}};
    std::vector<std::pair<int, QWidget*>> tab_order;
    std::vector<QWidget*> panels;
    for (const PanelControl& c : panel_controls()) {
        QWidget* widget = make_panel_control(c, built.at(c.parent), c.id);
        built[c.id] = widget;
        if (c.tab > 0)
            tab_order.emplace_back(c.tab, widget);
        if (c.parent == ControlId::skinForm)
            panels.push_back(widget);
    }
    std::sort(tab_order.begin(), tab_order.end());
    for (size_t i = 1; i < tab_order.size(); ++i)
        setTabOrder(tab_order[i - 1].second, tab_order[i].second);
    for (QWidget* panel : panels)
        panel->show();
}

} // namespace ornavox
