// X11 key grabs on a private X server, keys sent through XTEST by xdotool
// (without --window, which would bypass the grab).
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/x11/x11_hotkey_service.h"
#include "tests/support/virtual_display.h"
#include "tests/ui/skinform_fixture.h"
#include "ui/qt/hotlinkbutton.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace ornavox::test {
namespace {

constexpr uint16_t kShiftCtrl = 0x6000;
constexpr uint16_t kF9 = kShiftCtrl | 0x78, kF10 = kShiftCtrl | 0x79, kF11 = kShiftCtrl | 0x7A,
                   kF12 = kShiftCtrl | 0x7B;

class X11Hotkeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = X11HotkeyService::create();
        ASSERT_NE(service, nullptr);
        service->set_handler([this](int id) { fired.push_back(id); });
    }
    void TearDown() override
    {
        service.reset();
        run_command("setxkbmap us");
    }

    // Sends the keys and waits for what fires.
    void key(const std::string& keys)
    {
        QTest::qWait(50);
        ASSERT_EQ(run_command("xdotool key " + keys), 0);
    }
    bool fires(int id)
    {
        return QTest::qWaitFor([&] { return !fired.empty() && fired.back() == id; }, 3000);
    }
    bool stays_quiet()
    {
        const size_t before = fired.size();
        QTest::qWait(400);
        return fired.size() == before;
    }

    std::unique_ptr<X11HotkeyService> service;
    std::vector<int> fired;
};

TEST_F(X11Hotkeys, EachDefaultFiresAlsoWithNumLockOrCapsLockOn)
{
    ASSERT_TRUE(service->register_hotkey(0x8888, kF11));
    ASSERT_TRUE(service->register_hotkey(0x8889, kF10));
    ASSERT_TRUE(service->register_hotkey(0x888A, kF9));
    key("shift+ctrl+F9");
    EXPECT_TRUE(fires(0x888A));
    key("shift+ctrl+F10");
    EXPECT_TRUE(fires(0x8889));
    key("shift+ctrl+F11");
    EXPECT_TRUE(fires(0x8888));

    for (const char* lock : {"Num_Lock", "Caps_Lock"}) {
        SCOPED_TRACE(lock);
        key(lock);
        fired.clear();
        key("shift+ctrl+F9");
        EXPECT_TRUE(fires(0x888A));
        key(lock);
    }
    key("ctrl+F9");
    EXPECT_TRUE(stays_quiet()) << "without Shift it is another combination";
}

TEST_F(X11Hotkeys, AHeldKeyFiresOnce)
{
    ASSERT_TRUE(service->register_hotkey(0x888A, kF9));
    ASSERT_EQ(run_command("xdotool keydown shift+ctrl+F9 sleep 1.2 keyup shift+ctrl+F9"), 0);
    QTest::qWait(300);
    EXPECT_EQ(fired, std::vector<int>{0x888A});
}

TEST_F(X11Hotkeys, AChangedCombinationReplacesTheOldOne)
{
    ASSERT_TRUE(service->register_hotkey(0x8889, kF10));
    ASSERT_TRUE(service->register_hotkey(0x8889, kShiftCtrl | 'S'));
    key("shift+ctrl+F10");
    EXPECT_TRUE(stays_quiet());
    key("shift+ctrl+s");
    EXPECT_TRUE(fires(0x8889));
    service->unregister_hotkey(0x8889);
    EXPECT_FALSE(service->active(0x8889));
    key("shift+ctrl+s");
    EXPECT_TRUE(stays_quiet());
}

TEST_F(X11Hotkeys, ACombinationAnotherClientHoldsStaysInactive)
{
    // Another client grabs Shift+Ctrl+F12 first.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(other), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, 0xffc9); // F12
    xcb_generic_error_t* error =
        xcb_request_check(other,
                          xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL, keycodes[0],
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    ASSERT_EQ(error, nullptr);
    free(keycodes);
    xcb_key_symbols_free(symbols);

    EXPECT_FALSE(service->register_hotkey(0x8888, kF12));
    EXPECT_FALSE(service->active(0x8888));
    EXPECT_TRUE(service->register_hotkey(0x8889, kF10)) << "nothing else fails";
    key("shift+ctrl+F10");
    EXPECT_TRUE(fires(0x8889));
    xcb_disconnect(other);
}

TEST_F(X11Hotkeys, ALetterKeyFollowsANewLayout)
{
    ASSERT_TRUE(service->register_hotkey(0x888A, kShiftCtrl | 'Y'));
    key("shift+ctrl+y");
    ASSERT_TRUE(fires(0x888A));
    // On a German layout Y and Z trade places.
    ASSERT_EQ(run_command("setxkbmap de"), 0);
    QTest::qWait(600);
    fired.clear();
    key("shift+ctrl+y");
    EXPECT_TRUE(fires(0x888A));
    EXPECT_TRUE(service->active(0x888A));
}

// Hidden, the window leaves the screen; the show key brings it back at the
// same place and in the same layout.
TEST_F(X11Hotkeys, TheShowKeyBringsTheHiddenWindowBack)
{
    QueueDispatcher dispatcher;
    FakeCaptureDevice device{dispatcher};
    FakeMixerDevice card{dispatcher};
    card.add_playback("Speakers", 0, 0);
    FakeMediaPlayer player{dispatcher};
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ProgramFolder folder{ProgramFolder::Skin::With};
    SoundDevices sound(device, card, player);
    QtUserLocale locale("HH:mm:ss");
    QtTimerFactory timers;
    SkinWindow form(
        SkinFormServices{sound, *service, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.form().started(); }, 3000)) << "the first paint finishes start-up";
    form.form().hotlinkbutton11Click(ControlId::hotlinkbutton11);
    form.form().hotlinkbutton13Click(ControlId::hotlinkbutton13);
    ASSERT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_FALSE(form.isVisible());

    key("shift+ctrl+F11");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, 3000));
    EXPECT_EQ(form.pos(), QPoint(49, 148));
    EXPECT_EQ(form.size(), QSize(kOptionsWidth, kCompactHeight));
    EXPECT_EQ(form.find<QLabel>(ControlId::Label3)->text(), "Got it!");
}

} // namespace
} // namespace ornavox::test
