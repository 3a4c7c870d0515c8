// The hotkeys, showing and hiding the window, over the fake hotkey service.
#include "tests/ui/window_model_fixture.h"

#include "base/shortcut_text.h"

namespace ornavox::test {
namespace {

constexpr TShortCut kShiftCtrl = kShortcutShift | kShortcutCtrl;
constexpr TShortCut kF9 = kShiftCtrl | 0x78, kF10 = kShiftCtrl | 0x79, kF11 = kShiftCtrl | 0x7A;

class HotkeysTest : public WindowModelTest {};

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
    EXPECT_EQ(ShortCutToText(view.hotkey(ControlId::HotKey1)), "Shift+Ctrl+F5");
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

    view.hotkeys[ControlId::HotKey2] = kShiftCtrl | 'S'; // what the field makes of Shift+Ctrl+S
    form->HotKey3Change(ControlId::HotKey2);
    EXPECT_EQ(ShortCutToText(view.hotkey(ControlId::HotKey2)), "Shift+Ctrl+S");
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
    view.visible = false;
    // Record/pause: exactly the record button, the question included; the
    // window stays hidden.
    dialogs.answers = {Dialogs::Answer::Yes};
    hotkeys.press(kF9);
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 1);
    EXPECT_FALSE(view.visible);
    hotkeys.press(kF9);
    EXPECT_EQ(form->taskstate, TaskState::Paused);

    // Stop, and the window is shown.
    hotkeys.press(kF10);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_TRUE(view.visible);
    dispatcher.run_pending();

    // Show: "Got it!" until the next tick.
    view.visible = false;
    hotkeys.press(kF11);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.text(ControlId::Label3), "Got it!");
    form->Timer1Timer(ControlId::None);
    EXPECT_EQ(view.text(ControlId::Label3), "No task.");

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
    form->hotlinkbutton13Click(ControlId::hotlinkbutton13);
    EXPECT_FALSE(view.visible);
    hotkeys.press(kF11);
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(messages.messages.empty());

    // Both keys belong to other programs: the window stays and says why.
    hotkeys.taken = {kF10, kF11};
    form->HotKey3Change(ControlId::HotKey2);
    form->HotKey3Change(ControlId::HotKey3);
    form->hotlinkbutton13Click(ControlId::hotlinkbutton13);
    EXPECT_TRUE(view.visible);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("options panel"), std::string::npos);
}

TEST_F(HotkeysTest, TheFieldsShowTheCombinationsTheDesktopGranted)
{
    create();
    hotkeys.grant(kShowWindowHotkey, kShortcutCtrl | kShortcutAlt | 'H');
    EXPECT_EQ(ShortCutToText(view.hotkey(ControlId::HotKey3)), "Ctrl+Alt+H");
    EXPECT_EQ(ShortCutToText(view.hotkey(ControlId::HotKey1)), "Shift+Ctrl+F9");
}

} // namespace
} // namespace ornavox::test
