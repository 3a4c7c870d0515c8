// The Qt window's panels: its rows, their scrolling, and a start-up that
// talks to the mixer exactly as the window's logic does over a fake view.
#include "tests/ui/fake_skin_view.h"
#include "tests/ui/skinform_fixture.h"
#include "ui/qt/hotkey_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

namespace ornavox::test {
namespace {

class SkinWindowPanelsTest : public SkinWindowTest {
protected:
    SkinWindowPanelsTest() { add_lines(card); }

    static void add_lines(FakeMixerDevice& mixer)
    {
        mixer.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        mixer.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        mixer.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 400);
        mixer.add_playback("Wave", 2000, 1);
        mixer.add_playback("A playback stream with a long name", 70000, 0);
    }
};

TEST_F(SkinWindowPanelsTest, RowsHaveTheirNamesPlacesHintsAndValues)
{
    create();
    ASSERT_EQ(window->MuteBoxes.size(), 3u);
    ASSERT_EQ(window->VolumeBars.size(), 3u);
    const QCheckBox* box = window->MuteBoxes[1];
    const QSlider* bar = window->VolumeBars[1];
    EXPECT_EQ(box->objectName(), "mute1");
    EXPECT_EQ(box->parentWidget(), window->find<QScrollArea>(ControlId::ScrollBox1)->widget());
    EXPECT_EQ(box->geometry(), QRect(6, 16, 113, 17));
    EXPECT_EQ(box->text(), "Wave");
    EXPECT_EQ(box->toolTip(), "Mute Wave");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(bar->objectName(), "volume1");
    EXPECT_EQ(bar->geometry(), QRect(123, 16, 196, 17));
    EXPECT_EQ(bar->toolTip(), "Volume 1 :Wave");
    EXPECT_EQ(bar->maximum(), 65535);
    EXPECT_EQ(bar->singleStep(), 256);
    EXPECT_EQ(bar->pageStep(), 4096);
    EXPECT_EQ(bar->value(), 2000);
    EXPECT_EQ(window->VolumeBars[2]->value(), 65535) << "clamped";
    EXPECT_TRUE(window->MuteBoxes[2]->text().endsWith(QChar(0x2026))) << "a long name loses its end";
    EXPECT_EQ(window->find<QComboBox>(ControlId::ComboBox1)->itemText(2), "Stereo Mix");
}

TEST_F(SkinWindowPanelsTest, RowsTallerThanTheBoxScroll)
{
    for (int i = 0; i < 10; ++i)
        card.add_playback("Stream " + std::to_string(i), 0, 0);
    create();
    window->show();
    window->form().hotlinkbutton9Click(ControlId::hotlinkbutton9);
    QCoreApplication::processEvents();
    EXPECT_GT(window->find<QScrollArea>(ControlId::ScrollBox1)->verticalScrollBar()->maximum(), 0);
}

// What the user does in a panel reaches the handlers, and what the sound
// system changes reaches the panel, without an echo.
TEST_F(SkinWindowPanelsTest, UserActionsReachTheMixerAndItsChangesTheControls)
{
    create();
    dispatcher.run_pending();
    QTest::qWait(100); // the start-up writes are out
    card.forget_writes();

    window->MuteBoxes[0]->click();
    EXPECT_EQ(card.control_value(card.playback_mute_control(0)), 1u);
    window->VolumeBars[1]->setValue(3000); // as a drag does
    EXPECT_EQ(card.control_value(card.playback_volume_control(1)), 3000u);
    window->find<QRadioButton>(ControlId::RadioButton2)->click();
    EXPECT_EQ(card.mux_state(), (std::vector<uint32_t>{0, 1, 0}));
    dispatcher.run_pending();
    // One write each; the level bar takes the microphone's level, and a bar
    // moved from code writes its new value back once.
    EXPECT_EQ(card.writes().size(), 4u);

    card.change_from_outside(card.playback_mute_control(1), 0);
    card.change_from_outside(card.source_volume_control(1), 5000);
    dispatcher.run_pending();
    EXPECT_FALSE(window->MuteBoxes[1]->isChecked());
    EXPECT_EQ(window->find<QSlider>(ControlId::TrackBar1)->value(), 5000) << "the selected source's level";
    QTest::qWait(100);
    dispatcher.run_pending();
    EXPECT_EQ(card.writes().size(), 6u) << "each change written back once, and the exchange ends";
}

// Each panel control's own event reaches its handler.
TEST_F(SkinWindowPanelsTest, EveryPanelControlReachesItsHandler)
{
    folder.write_config("[audio]\r\naudioline=1\r\n");
    create();
    window->show();
    window->form().hotlinkbutton11Click(ControlId::hotlinkbutton11);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    QTest::keyClick(window->find<THotKey>(ControlId::HotKey2), Qt::Key_S, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(hotkeys.calls().back(), "register 34953 " + std::to_string(kShortcutShift | kShortcutCtrl | 'S'));

    window->find<QComboBox>(ControlId::ComboBox2)->lineEdit()->selectAll();
    QTest::keyClicks(window->find<QComboBox>(ControlId::ComboBox2)->lineEdit(), "48000");
    EXPECT_EQ(form().audiorec1->samples, 48000);
    window->find<QComboBox>(ControlId::ComboBox3)->setCurrentIndex(3); // as a pick from the list does
    emit window->find<QComboBox>(ControlId::ComboBox3)->activated(3);
    EXPECT_EQ(form().audiorec1->bps, 192);

    dialogs.save_results = {std::nullopt};
    QTest::mouseClick(window->find<QPushButton>(ControlId::SpeedButton1), Qt::LeftButton);
    EXPECT_EQ(dialogs.save_requests.size(), 1u);

    window->form().hotlinkbutton9Click(ControlId::hotlinkbutton9);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(window->find<QComboBox>(ControlId::ComboBox1), &focus);
    EXPECT_TRUE(window->find<QRadioButton>(ControlId::RadioButton4)->isChecked()) << "focusing the list chooses it";
    EXPECT_EQ(window->find<QLabel>(ControlId::Label6)->text(), "Record source->Stereo Mix");

    {
        const QSignalBlocker quiet(window->find<QComboBox>(ControlId::ComboBox1));
        window->find<QComboBox>(ControlId::ComboBox1)->setCurrentIndex(0);
    }
    QTest::mouseClick(window->find<QPushButton>(ControlId::SpeedButton3), Qt::LeftButton);
    EXPECT_EQ(window->find<QComboBox>(ControlId::ComboBox1)->currentText(), "Stereo Mix")
        << "auto-detect picks what is played";

    window->find<QComboBox>(ControlId::ComboBox1)->lineEdit()->selectAll();
    QTest::keyClicks(window->find<QComboBox>(ControlId::ComboBox1)->lineEdit(), "Tape");
    EXPECT_EQ(window->find<QLabel>(ControlId::Label6)->text(), "Record source->Tape");
    window->find<QComboBox>(ControlId::ComboBox1)->setCurrentIndex(1); // a pick from the list
    emit window->find<QComboBox>(ControlId::ComboBox1)->activated(1);
    EXPECT_EQ(card.mux_state(), (std::vector<uint32_t>{0, 1, 0}));
}

TEST_F(SkinWindowPanelsTest, StartUpTalksToTheMixerAsTheLogicDoes)
{
    const char* const configs[] = {"", "[audio]\r\naudioline=2\r\nsource=1\r\n",
                                   "[audio]\r\naudioline=0\r\nsource=2\r\n"};
    for (const char* config : configs) {
        SCOPED_TRACE(config);
        folder.write_config(config);
        card.forget_writes();
        const int reads = card.mux_reads();
        create();
        dispatcher.run_pending();

        // The same start-up over a fake view, on a card of its own.
        QueueDispatcher fake_dispatcher;
        FakeCaptureDevice fake_device{fake_dispatcher};
        FakeMixerDevice fake_card{fake_dispatcher};
        FakeMediaPlayer fake_player{fake_dispatcher};
        SoundDevices fake_sound{fake_device, fake_card, fake_player};
        fake_card.add_playback("Speakers", 0, 0);
        add_lines(fake_card);
        FakeSkinView view;
        TskinForm logic(SkinFormServices{fake_sound, hotkeys, fake_dispatcher, messages, dialogs, shell, folder.path(),
                                         locale, timers},
                        view);
        logic.finish_start();
        fake_dispatcher.run_pending();

        EXPECT_EQ(card.mux_reads() - reads, fake_card.mux_reads());
        EXPECT_EQ(card.writes(), fake_card.writes());
        EXPECT_EQ(window->find<QComboBox>(ControlId::ComboBox1)->currentText().toStdString(),
                  view.edit_text(ControlId::ComboBox1));
        EXPECT_EQ(window->find<QSlider>(ControlId::TrackBar1)->value(), view.position(ControlId::TrackBar1));
        window.reset();
    }
}

} // namespace
} // namespace ornavox::test
