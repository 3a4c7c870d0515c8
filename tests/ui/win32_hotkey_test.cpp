// The hotkeys through RegisterHotKey under Wine: key presses made with
// SendInput reach the handler by their identifiers.
#include "platform/win32/win32_dispatcher.h"
#include "platform/win32/win32_hotkey_service.h"

#include "base/shortcut_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

// Presses and releases `key` with Shift and Ctrl held, as the user would.
void press_with_shift_ctrl(WORD key)
{
    std::vector<INPUT> inputs;
    for (const WORD down : {WORD(VK_SHIFT), WORD(VK_CONTROL), key}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = down;
        inputs.push_back(input);
    }
    for (const WORD up : {key, WORD(VK_CONTROL), WORD(VK_SHIFT)}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = up;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class Win32Hotkeys : public ::testing::Test {
protected:
    Win32Hotkeys()
    {
        service.set_handler([this](int id) { pressed.push_back(id); });
    }
    void run_messages()
    {
        dispatcher.run_until([] { return false; }, 300ms);
    }

    Win32Dispatcher dispatcher;
    Win32HotkeyService service;
    std::vector<int> pressed;
};

TEST_F(Win32Hotkeys, APressArrivesAsItsIdentifierAndOnlyTheNewestCombinationFires)
{
    ASSERT_TRUE(service.register_hotkey(0x888A, kShortcutShift | kShortcutCtrl | VK_F9));
    ASSERT_TRUE(service.register_hotkey(0x8889, kShortcutShift | kShortcutCtrl | VK_F10));
    EXPECT_TRUE(service.active(0x888A));
    EXPECT_EQ(service.granted_shortcut(0x8889), kShortcutShift | kShortcutCtrl | VK_F10);

    press_with_shift_ctrl(VK_F9);
    run_messages();
    if (pressed.empty())
        GTEST_SKIP() << "this Wine delivers no hotkey for input that SendInput makes";
    EXPECT_EQ(pressed, std::vector<int>{0x888A});

    ASSERT_TRUE(service.register_hotkey(0x888A, kShortcutShift | kShortcutCtrl | 'S'));
    press_with_shift_ctrl(VK_F9);
    press_with_shift_ctrl('S');
    press_with_shift_ctrl(VK_F10);
    run_messages();
    EXPECT_EQ(pressed, (std::vector<int>{0x888A, 0x888A, 0x8889}));

    service.unregister_hotkey(0x8889);
    EXPECT_FALSE(service.active(0x8889));
    press_with_shift_ctrl(VK_F10);
    run_messages();
    EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(Win32Hotkeys, NoKeyOrATakenCombinationDoesNotRegister)
{
    EXPECT_FALSE(service.register_hotkey(0x8888, 0));
    EXPECT_FALSE(service.active(0x8888));
    ASSERT_TRUE(service.register_hotkey(0x8888, kShortcutShift | kShortcutCtrl | VK_F11));
    Win32HotkeyService other;
    EXPECT_FALSE(other.register_hotkey(0x8888, kShortcutShift | kShortcutCtrl | VK_F11))
        << "the combination belongs to the first";
    EXPECT_EQ(other.granted_shortcut(0x8888), 0u);
}

} // namespace
} // namespace ornavox
