// The hotkeys, showing and hiding the window, over the fake hotkey service.
#include "tests/ui/skinform_fixture.h"

#include "ui/hotkey_edit.h"
#include "ui/hotlinkbutton.h"

#include <QLabel>
#include <QTest>

namespace ornavox::test {
namespace {

constexpr TShortCut kShiftCtrl = kShortcutShift | kShortcutCtrl;
constexpr TShortCut kF9 = kShiftCtrl | 0x78, kF10 = kShiftCtrl | 0x79, kF11 = kShiftCtrl | 0x7A;

class HotkeysTest : public SkinFormTest {};

TEST_F(HotkeysTest, StartUpRegistersTheThreeKeysInOrder)
{
    create();
    EXPECT_EQ(hotkeys.calls(),
              (std::vector<std::string>{"register 34952 24698", "register 34953 24697", "register 34954 24696"}));
    form->close();
    EXPECT_EQ(hotkeys.calls().back(), "unregister 34952");
    EXPECT_EQ(folder.read_config().find("hotkey"), std::string::npos) << "nothing written unless changed";
}

TEST_F(HotkeysTest, SavedKeysAreRegisteredAsTheFieldsShowThem)
{
    folder.write_config("[HOTKEY]\r\nHOTKEY1=ctrl+shift+f5\r\nhotkey2=   \r\nhotkey3=Ctrl+F5\r\n");
    create();
    EXPECT_EQ(form->HotKey1->text(), "Shift+Ctrl+F5");
    EXPECT_TRUE(hotkeys.active(kRecordPauseHotkey));
    EXPECT_EQ(hotkeys.calls(),
              (std::vector<std::string>{"register 34952 16500", "register 34953 24697", "register 34954 24692"}));
}

TEST_F(HotkeysTest, AChangedFieldFiresAtOnceTheOldCombinationNoLongerAndIsSaved)
{
    create();
    dialogs.answers = {Dialogs::Answer::Yes};
    hotkeys.press(kF9);
    ASSERT_EQ(form->taskstate, TaskState::Recording);

    form->HotKey2->setFocus();
    QTest::keyClick(form->HotKey2, Qt::Key_S, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(form->HotKey2->text(), "Shift+Ctrl+S");
    hotkeys.press(kF10);
    EXPECT_EQ(form->taskstate, TaskState::Recording) << "the old combination is released";
    hotkeys.press(kShiftCtrl | 'S');
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    dispatcher.run_pending();
    form->close();
    EXPECT_NE(folder.read_config().find("[hotkey]\r\nHotKey2=Shift+Ctrl+S\r\n"), std::string::npos)
        << folder.read_config();
}

TEST_F(HotkeysTest, EachKeyDoesWhatItsButtonDoes)
{
    create();
    form->hide();
    // Record/pause: exactly the record button, the question included; the
    // window stays hidden.
    dialogs.answers = {Dialogs::Answer::Yes};
    hotkeys.press(kF9);
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(form->hotlinkbutton3->imageid(), 1);
    EXPECT_FALSE(form->isVisible());
    hotkeys.press(kF9);
    EXPECT_EQ(form->taskstate, TaskState::Paused);

    // Stop, and the window is shown.
    hotkeys.press(kF10);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_TRUE(form->isVisible());
    dispatcher.run_pending();

    // Show: "Got it!" until the next tick.
    form->hide();
    hotkeys.press(kF11);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Label3->text(), "Got it!");
    form->Timer1Timer(ControlId::None);
    EXPECT_EQ(form->Label3->text(), "No task.");

    form->WMHotKey(0x1234);
    EXPECT_EQ(form->taskstate, TaskState::Idle);

    // Record/pause while playing says so, as the button does.
    form->hotlinkbutton1Click(ControlId::hotlinkbutton1);
    hotkeys.press(kF9);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Still in playback mode"});
}

TEST_F(HotkeysTest, AKeyPressedWhileTheQuestionIsOpenKeepsTheRecordingGuards)
{
    create();
    dialogs.answers = {Dialogs::Answer::Yes};
    dialogs.during_modal = [this] {
        hotkeys.press(kF9);  // a second record is ignored
        hotkeys.press(kF10); // a stop cancels the waiting start
    };
    hotkeys.press(kF9);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_FALSE(form->audiorec1->closing());
    EXPECT_EQ(form->audiorec1->state, 0);
}

TEST_F(HotkeysTest, HidingNeedsAWayBack)
{
    create();
    form->show();
    form->hotlinkbutton13Click(ControlId::hotlinkbutton13);
    EXPECT_FALSE(form->isVisible());
    hotkeys.press(kF11);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(messages.messages.empty());

    // Both keys belong to other programs: the window stays and says why.
    hotkeys.taken = {kF10, kF11};
    form->HotKey3Change(ControlId::HotKey2);
    form->HotKey3Change(ControlId::HotKey3);
    form->hotlinkbutton13Click(ControlId::hotlinkbutton13);
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("options panel"), std::string::npos);
}

TEST_F(HotkeysTest, TheFieldsShowTheCombinationsTheDesktopGranted)
{
    create();
    hotkeys.grant(kShowWindowHotkey, kShortcutCtrl | kShortcutAlt | 'H');
    EXPECT_EQ(form->HotKey3->text(), "Ctrl+Alt+H");
    EXPECT_EQ(form->HotKey1->text(), "Shift+Ctrl+F9");
}

} // namespace
} // namespace ornavox::test
