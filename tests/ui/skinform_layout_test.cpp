#include "tests/ui/skinform_fixture.h"
#include "tests/ui/window_layout_suite.h"

#include "ui/qt/hotkey_edit.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/level_meter_widget.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>

#include <filesystem>
#include <map>
#include <optional>

namespace ornavox::test {
namespace {

// The Qt window for the description's suite.
class QtBuiltWindow : public BuiltWindow, private FakeWindowServices {
public:
    QtBuiltWindow()
    {
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        card.add_playback("Wave", 2000, 1);
        window = std::make_unique<SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
        window->form().finish_start();
        dispatcher.run_pending();
    }

    std::optional<BuiltControl> control(Control c) override
    {
        const QWidget* w = window->widget_of(c);
        if (c.id == ControlId::MuteBox)
            w = window->MuteBoxes.at(c.row);
        else if (c.id == ControlId::VolumeBar)
            w = window->VolumeBars.at(c.row);
        if (!w)
            return std::nullopt;
        QString caption;
        if (const auto* l = qobject_cast<const QLabel*>(w))
            caption = l->text();
        else if (const auto* g = qobject_cast<const QGroupBox*>(w))
            caption = g->title();
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            caption = b->text();
        const auto* picture = qobject_cast<const Thotlinkbutton*>(w);
        const QRect place = w->geometry();
        return BuiltControl{place.x(),
                            place.y(),
                            place.width(),
                            place.height(),
                            caption.toStdString(),
                            (picture ? picture->hint() : w->toolTip()).toStdString()};
    }

    std::vector<ControlId> tab_chain() override
    {
        std::vector<ControlId> chain;
        QWidget* first = window->widget_of(ControlId::ScrollBox1);
        QWidget* w = first;
        do {
            const ControlId id = control_named(w->objectName().toStdString());
            if (id != ControlId::None && w->focusPolicy() & Qt::TabFocus
                && std::find(chain.begin(), chain.end(), id) == chain.end())
                chain.push_back(id);
            w = w->nextInFocusChain();
        } while (w != first);
        return chain;
    }

    std::vector<std::string> menu_texts() override
    {
        std::vector<std::string> texts;
        for (const QAction* a : window->PopupMenu1->actions())
            texts.push_back(a->text().toStdString());
        return texts;
    }

    std::optional<BuiltMeter> meter(MeterPlace place, const MeterReading& reading) override
    {
        window->show_meter(place, reading);
        LevelMeterWidget* widget = window->meter(place);
        if (!widget)
            return std::nullopt;
        const QImage picture = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        BuiltMeter built{widget->x(), widget->y(), widget->width(), widget->height(), {}};
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                built.pixels.push_back(picture.pixel(x, y) & 0xffffff);
        return built;
    }

private:
    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<SkinWindow> window;
};

} // namespace

std::unique_ptr<BuiltWindow> build_window()
{
    return std::make_unique<QtBuiltWindow>();
}

namespace {

const QColor kPeach(255, 239, 227);

class SkinWindowLayoutTest : public SkinWindowTest {};

TEST_F(SkinWindowLayoutTest, WindowPanelsAndComponentsAsLaidOut)
{
    create();
    EXPECT_EQ(window->windowTitle(), "skinForm");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->pos(), QPoint(49, 148));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->font().family(), "MS Sans Serif");
    EXPECT_EQ(window->font().pixelSize(), 11);

    EXPECT_EQ(window->find<QLabel>(ControlId::Label1)->wordWrap(), false);
    EXPECT_TRUE(window->find<QGroupBox>(ControlId::GroupBox1)->autoFillBackground());
    EXPECT_TRUE(window->find<QGroupBox>(ControlId::GroupBox2)->autoFillBackground());
    EXPECT_EQ(window->find<QScrollArea>(ControlId::ScrollBox1)->viewport()->palette().color(QPalette::Window), kPeach);
    EXPECT_TRUE(window->find<QPushButton>(ControlId::SpeedButton3)->isFlat());
    EXPECT_TRUE(window->find<QRadioButton>(ControlId::RadioButton4)->isChecked());

    const QSlider* bar = window->find<QSlider>(ControlId::TrackBar1);
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_EQ(bar->maximum(), 65535);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->pageStep(), 4096);
    EXPECT_EQ(bar->tickPosition(), QSlider::TicksBelow);

    auto items = [](QComboBox* box) {
        QStringList all;
        for (int i = 0; i < box->count(); ++i)
            all << box->itemText(i);
        return all;
    };
    EXPECT_TRUE(window->find<QComboBox>(ControlId::ComboBox1)->isEditable());
    EXPECT_EQ(items(window->find<QComboBox>(ControlId::ComboBox1)), QStringList{});
    EXPECT_EQ(items(window->find<QComboBox>(ControlId::ComboBox2)), (QStringList{"44100", "48000", "32000"}));
    EXPECT_EQ(items(window->find<QComboBox>(ControlId::ComboBox3)), (QStringList{"128", "96", "160", "192", "256"}));
    EXPECT_TRUE(window->find<QComboBox>(ControlId::ComboBox2)->isEditable());
    EXPECT_TRUE(window->find<QComboBox>(ControlId::ComboBox3)->isEditable());

    EXPECT_EQ(window->action(ControlId::abc1)->objectName(), "abc1");
    EXPECT_EQ(window->find<Thotlinkbutton>(ControlId::hotlinkbutton2)->popupMenu(), window->PopupMenu1);
    EXPECT_TRUE(form().Timer1->running());

    EXPECT_EQ(window->ImageList1.count(), 28);
    EXPECT_EQ(window->ImageList2.count(), 4);
    EXPECT_EQ(window->ImageList3.count(), 20);
    EXPECT_EQ(window->ImageList4.count(), 12);
    EXPECT_EQ(window->ImageList2.width(), 186);
    EXPECT_EQ(window->ImageList2.height(), 29);

    ASSERT_NE(form().audiorec1, nullptr);
    EXPECT_EQ(form().audiorec1->filename, "001.mp3");
    EXPECT_EQ(form().audiorec1->state, 0);
    EXPECT_EQ(form().audiorec1->samples, 0);
    EXPECT_EQ(form().audiorec1->bps, 0);
    EXPECT_TRUE(form().audiorec1->encoder_available()) << "the plug-in beside the program is loaded";
}

// The layout names Windows faces; the skin's font settings give them the
// installed faces that fill the same boxes.
TEST_F(SkinWindowLayoutTest, WindowsFaceNamesResolveToTheMappedFaces)
{
    create();
    EXPECT_EQ(QFontInfo(window->find<QLabel>(ControlId::Label4)->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(window->find<QLabel>(ControlId::Label5)->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(window->find<QLabel>(ControlId::Label3)->font()).family(), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(window->find<QLabel>(ControlId::Label3)->font()).bold());
    EXPECT_EQ(QFontInfo(window->find<QLabel>(ControlId::Label3)->font()).pixelSize(), 37);
}

TEST_F(SkinWindowLayoutTest, DisplayLabelsSizeThemselvesExceptTheHintAndSizeLines)
{
    create();
    window->show();
    const QString long_path = QStringLiteral("/a/very/long/folder/name/that/goes/on/and/on/and/on/save.mp3");
    window->find<QLabel>(ControlId::Label1)->setText(long_path);
    window->find<QLabel>(ControlId::Label7)->setText(long_path);
    window->find<QLabel>(ControlId::Label4)->setText(QStringLiteral("MP3 Stereo 44100Hz 128kbps and more"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window->find<QLabel>(ControlId::Label1)->size(), QSize(317, 13));
    EXPECT_EQ(window->find<QLabel>(ControlId::Label7)->size(), QSize(121, 13));
    EXPECT_EQ(window->find<QLabel>(ControlId::Label4)->size(), window->find<QLabel>(ControlId::Label4)->sizeHint());
    EXPECT_GT(window->find<QLabel>(ControlId::Label4)->width(), 113);
}

TEST_F(SkinWindowLayoutTest, AMissingSkinIsReportedPlainly)
{
    std::filesystem::remove_all(folder.path() + "skin");
    create();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("background.jpg is missing"), std::string::npos) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("imagelist1.bmp is missing"), std::string::npos) << messages.messages[0];
}

} // namespace
} // namespace ornavox::test
