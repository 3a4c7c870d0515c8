// The record source panel over the fake sound card.
#include "tests/ui/skinform_fixture.h"

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

class SourcePanelTest : public SkinFormTest {
protected:
    SourcePanelTest()
    {
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        card.add_source("CD Player", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 300);
        card.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 400);
        card.add_playback("Wave", 2000, 1);
        card.add_playback("Synth", 70000, 0);
    }

    // The item the card's MUX has selected.
    int selected_item() const
    {
        const auto& state = card.mux_state();
        return static_cast<int>(std::find(state.begin(), state.end(), 1u) - state.begin());
    }
};

TEST_F(SourcePanelTest, StartUpRestoresTheSavedSource)
{
    const struct {
        const char* audio; // the "audio" section, nullptr for none
        QRadioButton* TskinForm::*checked;
        int list_item; // -1: none selected
        const char* label;
        int mux_item;
        const char* written;
    } cases[] = {
        {nullptr, &TskinForm::RadioButton4, 3, "Record source->Stereo Mix", 3, "audioline=0\r\nsource=3"},
        {"audioline=0\r\nsource=2", &TskinForm::RadioButton4, 2, "Record source->CD Player", 2,
         "audioline=0\r\nsource=2"},
        {"audioline=2\r\nsource=0", &TskinForm::RadioButton2, 3, "Record source->Microphone", 1,
         "audioline=2\r\nsource=3"},
        {"audioline=7\r\nsource=3", &TskinForm::RadioButton4, 3, "Record source->Stereo Mix", 3,
         "audioline=0\r\nsource=3"},
        {"audioline=0\r\nsource=9", &TskinForm::RadioButton4, -1, "Record source->Unkown", 0,
         "audioline=0\r\nsource=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.audio ? c.audio : "no audio section");
        card.select(0);
        folder.write_config(c.audio ? std::string("[audio]\r\n") + c.audio + "\r\n" : "");
        create();
        EXPECT_TRUE((form.get()->*c.checked)->isChecked());
        EXPECT_EQ(form->ComboBox1->count(), 4);
        EXPECT_EQ(form->ComboBox1->currentIndex(), c.list_item);
        EXPECT_EQ(form->Label6->text(), c.label);
        EXPECT_EQ(selected_item(), c.mux_item);
        form->close();
        EXPECT_EQ(folder.read_config(), std::string("[audio]\r\n") + c.written + "\r\n\r\n");
        form.reset();
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(SourcePanelTest, ASavedMicrophoneIsSelectedOnTheMixerTwiceAtStartUp)
{
    folder.write_config("[audio]\r\naudioline=2\r\nsource=1\r\n");
    create();
    // One read of the MUX by open, one by each select_mux.
    EXPECT_EQ(card.mux_reads(), 3);
    EXPECT_EQ(form->TrackBar1->value(), 200) << "the microphone's level";
}

TEST_F(SourcePanelTest, AutoDetectWhileLineInIsSelectedOnlyShowsTheDetectedSource)
{
    folder.write_config("[audio]\r\naudioline=1\r\nsource=-1\r\n");
    create();
    {
        const QSignalBlocker quiet(form->ComboBox1);
        form->ComboBox1->setCurrentIndex(0);
    }
    QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    EXPECT_EQ(form->ComboBox1->currentIndex(), 3);
    EXPECT_EQ(form->Label6->text(), "Record source->Line In");
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_EQ(selected_item(), 0) << "line in is still recorded";
}

TEST_F(SourcePanelTest, FocusingTheListSelectsItsRadioButtonOnce)
{
    folder.write_config("[audio]\r\naudioline=1\r\nsource=-1\r\n");
    create();
    const auto focus_list = [this] {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(form->ComboBox1, &in);
    };
    focus_list();
    EXPECT_TRUE(form->RadioButton4->isChecked());
    EXPECT_EQ(form->Label6->text(), "Record source->Stereo Mix");
    EXPECT_EQ(selected_item(), 3);

    const int reads = card.mux_reads();
    focus_list();
    EXPECT_EQ(card.mux_reads(), reads) << "already the list's source: nothing runs";
}

TEST_F(SourcePanelTest, TypedTextThatNamesNoItemChoosesItemZero)
{
    folder.write_config("[audio]\r\naudioline=0\r\nsource=2\r\n");
    create();
    form->ComboBox1->lineEdit()->clear();
    QTest::keyClicks(form->ComboBox1->lineEdit(), "Tape");
    EXPECT_EQ(form->Label6->text(), "Record source->Tape");
    EXPECT_EQ(selected_item(), 0);
    form->close();
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=0\r\n\r\n");
}

TEST_F(SourcePanelTest, RowsHaveTheirNamesPlacesTagsHintsAndValues)
{
    create();
    ASSERT_EQ(form->MuteBoxes.size(), 3u);
    ASSERT_EQ(form->VolumeBars.size(), 3u);
    const QCheckBox* box = form->MuteBoxes[1];
    const QSlider* bar = form->VolumeBars[1];
    EXPECT_EQ(box->objectName(), "mute1");
    EXPECT_EQ(box->parentWidget(), form->ScrollBox1->widget());
    EXPECT_EQ(box->geometry(), QRect(6, 16, 113, 17));
    EXPECT_EQ(box->text(), "Wave");
    EXPECT_EQ(box->toolTip(), "Mute Wave");
    EXPECT_EQ(box->property("tag").toInt(), 1);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(bar->objectName(), "volume1");
    EXPECT_EQ(bar->geometry(), QRect(123, 16, 196, 17));
    EXPECT_EQ(bar->toolTip(), "Volume 1 :Wave");
    EXPECT_EQ(bar->property("tag").toInt(), 1);
    EXPECT_EQ(bar->maximum(), 65535);
    EXPECT_EQ(bar->singleStep(), 256);
    EXPECT_EQ(bar->pageStep(), 4096);
    EXPECT_EQ(bar->value(), 2000);
    EXPECT_EQ(form->VolumeBars[2]->value(), 65535) << "clamped";
    EXPECT_EQ(form->ComboBox1->itemText(3), "Stereo Mix");
}

TEST_F(SourcePanelTest, RowsTallerThanTheBoxScroll)
{
    for (int i = 0; i < 10; ++i)
        card.add_playback("Stream " + std::to_string(i), 0, 0);
    create();
    form->show();
    form->setFixedSize(kCompactWidth, kMixerHeight);
    QCoreApplication::processEvents();
    EXPECT_GT(form->ScrollBox1->verticalScrollBar()->maximum(), 0);
}

TEST_F(SourcePanelTest, LevelsAndMutesGoBothWays)
{
    create();
    dispatcher.run_pending();
    card.forget_writes();

    // A click mutes; the card's answer changes nothing more.
    form->MuteBoxes[0]->click();
    dispatcher.run_pending();
    EXPECT_EQ(card.control_value(card.playback_mute_control(0)), 1u);
    EXPECT_EQ(card.writes().size(), 1u);

    // Another program unmutes and changes a level: the rows follow.
    card.change_from_outside(card.playback_mute_control(1), 0);
    card.change_from_outside(card.playback_volume_control(1), 3000);
    card.change_from_outside(card.source_volume_control(3), 5000);
    dispatcher.run_pending();
    EXPECT_FALSE(form->MuteBoxes[1]->isChecked());
    EXPECT_EQ(form->VolumeBars[1]->value(), 3000);
    EXPECT_EQ(form->TrackBar1->value(), 5000) << "the selected source's level";
}

TEST_F(SourcePanelTest, ADraggedBarWritesAtMostEvery50MsAndEndsWhereTheUserLetGo)
{
    create();
    dispatcher.run_pending();
    QTest::qWait(200); // the start-up writes are out
    card.forget_writes();
    QSlider* bar = form->VolumeBars[1];
    bar->setSliderDown(true);
    for (int value = 2100; value <= 4000; value += 100)
        bar->setValue(value);
    EXPECT_EQ(card.writes().size(), 1u) << "the first move goes out at once";

    // The server reports the first value while the user still holds the thumb.
    dispatcher.run_pending();
    EXPECT_EQ(bar->value(), 4000) << "the thumb stays under the pointer";
    QTest::qWait(120);
    bar->setSliderDown(false);
    ASSERT_EQ(card.writes().size(), 2u);
    EXPECT_EQ(card.control_value(card.playback_volume_control(1)), 4000u);
}

TEST_F(SourcePanelTest, AChangeOfLinesRebuildsThePanelWithoutWritingAndKeepsTheChoice)
{
    folder.write_config("[audio]\r\naudioline=0\r\nsource=2\r\n");
    create();
    dispatcher.run_pending();
    card.forget_writes();
    card.add_playback("Video Call", 1234, 0);
    card.change_lines_from_outside();
    dispatcher.run_pending();
    QCoreApplication::processEvents();

    EXPECT_EQ(form->ComboBox1->count(), 4) << "replaced, not appended to";
    EXPECT_EQ(form->ComboBox1->currentIndex(), 2);
    EXPECT_EQ(form->Label6->text(), "Record source->CD Player");
    ASSERT_EQ(form->VolumeBars.size(), 4u);
    EXPECT_EQ(form->VolumeBars[3]->value(), 1234);
    dispatcher.run_pending();
    for (const std::string& write : card.writes())
        EXPECT_EQ(write.rfind("value", 0), std::string::npos) << write;
}

} // namespace
} // namespace ornavox::test
