// The Win32 window's wiring over the fakes, under Wine on a display: each
// layout's size, the description's suite, each button's click reaching its
// handler, the hint line following the pointer, and values set from code
// raising nothing. The logic itself is tested on the model.
#include "base/utf16.h"
#include "platform/fake/fake_user_locale.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_timers.h"
#include "tests/ui/fake_window_services.h"
#include "tests/ui/program_folder.h"
#include "tests/ui/window_layout_suite.h"
#include "ui/win32/skin_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>

namespace ornavox::test {
namespace {

class Win32SkinWindowTest : public ::testing::Test, protected FakeWindowServices {
protected:
    Win32SkinWindowTest()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        card.add_playback("Wave", 2000, 1);
        window = std::make_unique<Win32SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
        window->show_window();
        window->form().finish_start();
        dispatcher.run_pending();
    }

    TskinForm& form() { return window->form(); }
    HWND control(Control c) { return window->control_window(c); }
    // A left click as the button gets it from the pointer.
    void click(ControlId button)
    {
        HWND b = control(button);
        SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(b, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    // The window's messages and timers for a while, as its message loop runs them.
    static void pump(DWORD ms)
    {
        const DWORD until = GetTickCount() + ms;
        MSG message;
        while (static_cast<LONG>(until - GetTickCount()) > 0) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(5);
        }
    }
    SIZE window_size()
    {
        RECT rect;
        GetWindowRect(window->handle(), &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }

    win32::ComApartment com;
    FakeUserLocale locale;
    Win32TimerFactory timers;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<Win32SkinWindow> window;
};

// The Win32 window for the description's suite.
class Win32BuiltWindow : public BuiltWindow, private Win32SkinWindowTest {
public:
    void TestBody() override {}

    std::optional<BuiltControl> control(Control c) override
    {
        const PanelControl* described = panel_control(c.id);
        if (c.row >= 0)
            described = c.id == ControlId::MuteBox ? &kMuteBoxTemplate : &kVolumeBarTemplate;
        RECT rect = window->control_rect(c);
        HWND handle = window->control_window(c);
        if (!handle && !skin_label(c.id))
            return std::nullopt;
        // Within the parent the description names: a group box's controls
        // are the window's, a row's lie inside the scroll box.
        POINT origin{0, 0};
        if (c.row >= 0) {
            MapWindowPoints(window->handle(), GetParent(handle), reinterpret_cast<POINT*>(&rect), 2);
        } else if (described && described->parent != ControlId::skinForm) {
            const RECT parent = window->control_rect(described->parent);
            origin = {parent.left, parent.top};
        }
        std::string caption = window->label_text(c.id);
        std::string hint;
        if (const ImageButton* button = window->button(c.id)) {
            hint = button->hint();
        } else if (handle) {
            wchar_t text[256] = {};
            GetWindowTextW(handle, text, 256);
            caption = win32::utf8(text);
            hint = tooltip(handle);
        }
        return BuiltControl{static_cast<int>(rect.left - origin.x),
                            static_cast<int>(rect.top - origin.y),
                            static_cast<int>(rect.right - rect.left),
                            static_cast<int>(rect.bottom - rect.top),
                            caption,
                            hint};
    }

    // Windows moves the focus through the controls with a tab stop in
    // window order; a radio group keeps the stop on its checked button
    // only, and the arrow keys move through the group.
    std::vector<ControlId> tab_chain() override
    {
        std::vector<ControlId> chain;
        for (HWND child = GetWindow(window->handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const auto style = GetWindowLongPtrW(child, GWL_STYLE);
            const bool radio = (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
            if ((style & WS_TABSTOP) || radio)
                chain.push_back(static_cast<ControlId>(GetDlgCtrlID(child)));
        }
        return chain;
    }

    std::vector<std::string> menu_texts() override
    {
        std::vector<std::string> texts;
        for (const MenuEntry& entry : popup_menu_entries())
            texts.push_back(entry.text);
        return texts;
    }

    // Painted into a picture of its own: the test's window may not be on a
    // screen.
    std::optional<BuiltMeter> meter(MeterPlace place, const MeterReading& reading) override
    {
        window->show_meter(place, reading);
        const LevelMeterWindow* meter = window->meter(place);
        if (!meter)
            return std::nullopt;
        RECT rect;
        GetWindowRect(meter->handle(), &rect);
        MapWindowPoints(HWND_DESKTOP, window->handle(), reinterpret_cast<POINT*>(&rect), 2);
        POINT origin{0, 0};
        if (meter_box(place).parent != ControlId::skinForm) {
            const RECT parent = window->control_rect(meter_box(place).parent);
            origin = {parent.left, parent.top};
        }
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const win32::ScreenDc screen;
        const win32::Bitmap picture(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
        {
            const win32::Selection drawn_in(dc.get(), picture.get());
            meter->draw(dc.get(), width, height);
            GdiFlush();
        }
        BuiltMeter built{
            static_cast<int>(rect.left - origin.x), static_cast<int>(rect.top - origin.y), width, height, {}};
        const auto* pixels = static_cast<const uint32_t*>(bits);
        built.pixels.assign(pixels, pixels + width * height);
        for (uint32_t& pixel : built.pixels)
            pixel &= 0xffffff;
        return built;
    }

private:
    std::string tooltip(HWND control)
    {
        HWND tips = nullptr;
        while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)))
            if (GetWindow(tips, GW_OWNER) == window->handle())
                break;
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window->handle();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return win32::utf8(text);
    }
};

} // namespace

std::unique_ptr<BuiltWindow> build_window()
{
    return std::make_unique<Win32BuiltWindow>();
}

namespace {

TEST_F(Win32SkinWindowTest, EachLayoutHasItsSize)
{
    const auto size_is = [this](int width, int height) {
        const SIZE size = window_size();
        return size.cx == width && size.cy == height;
    };
    EXPECT_TRUE(size_is(351, 124));
    click(ControlId::hotlinkbutton9);
    EXPECT_TRUE(size_is(351, 314));
    click(ControlId::hotlinkbutton11);
    EXPECT_TRUE(size_is(632, 124));
    click(ControlId::hotlinkbutton11);
    EXPECT_TRUE(size_is(351, 124));

    EXPECT_EQ(window->control_rect(ControlId::Label1).right, 20 + 317) << "the hint line keeps its width";
}

TEST_F(Win32SkinWindowTest, AClickOnEachButtonReachesItsHandler)
{
    click(ControlId::hotlinkbutton12);
    click(ControlId::hotlinkbutton6);
    click(ControlId::hotlinkbutton8);
    click(ControlId::hotlinkbutton5);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"file:" + folder.path() + "ornavox.html", "url:https://ornavox.example/",
                                        "url:https://ornavox.example/"}));

    // The menu opens under its button; a timer puts it away.
    static bool menu_seen = false;
    menu_seen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
        menu_seen = menu_seen || FindWindowW(L"#32768", nullptr) != nullptr;
        EndMenu();
    });
    click(ControlId::hotlinkbutton2);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(menu_seen);

    dialogs.save_results = {std::nullopt};
    click(ControlId::hotlinkbutton7);
    EXPECT_EQ(dialogs.save_requests.size(), 1u);

    click(ControlId::hotlinkbutton10);
    EXPECT_EQ(window->button(ControlId::hotlinkbutton10)->imageid(), 3);
    EXPECT_EQ(window->button(ControlId::hotlinkbutton10)->buttonstate(), 0) << "after the release, the normal face";

    dialogs.answers = {Dialogs::Answer::Yes};
    click(ControlId::hotlinkbutton3);
    EXPECT_EQ(form().taskstate, TaskState::Recording);
    click(ControlId::hotlinkbutton4);
    EXPECT_EQ(form().taskstate, TaskState::Idle);
    dispatcher.run_pending();
    click(ControlId::hotlinkbutton1);
    EXPECT_EQ(form().taskstate, TaskState::Playing);
    click(ControlId::hotlinkbutton4);

    click(ControlId::hotlinkbutton13);
    EXPECT_FALSE(IsWindowVisible(window->handle()));
    click(ControlId::hotlinkbutton14);
    EXPECT_FALSE(IsWindow(window->handle())) << "the quit button closes the window";
    EXPECT_NE(folder.read_config(), "<missing>");
}

TEST_F(Win32SkinWindowTest, TheHintLineFollowsThePointerOverButtonsAndLabels)
{
    HWND record = control(ControlId::hotlinkbutton3);
    wchar_t name[64] = {};
    GetWindowTextW(record, name, 64);
    EXPECT_STREQ(name, L"Record  what playback") << "a screen reader names the button by its hint";
    SendMessageW(record, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(window->label_text(ControlId::Label1), "Record  what playback");
    EXPECT_EQ(window->button(ControlId::hotlinkbutton3)->buttonstate(), 1);
    SendMessageW(record, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(window->label_text(ControlId::Label1), form().program.SaveFile);
    EXPECT_EQ(window->button(ControlId::hotlinkbutton3)->buttonstate(), 0);

    // The labels lie in the drag area: the window follows the pointer there.
    const RECT format = window->control_rect(ControlId::Label4);
    POINT over{format.left + 2, format.top + 2};
    ClientToScreen(window->handle(), &over);
    EXPECT_EQ(SendMessageW(window->handle(), WM_NCHITTEST, 0, MAKELPARAM(over.x, over.y)), HTCAPTION);
    SendMessageW(window->handle(), WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(over.x, over.y));
    EXPECT_EQ(window->label_text(ControlId::Label1), "MP3 compress format");
    SendMessageW(window->handle(), WM_NCMOUSELEAVE, 0, 0);
    EXPECT_EQ(window->label_text(ControlId::Label1), form().program.SaveFile);

    POINT panel{200, 200};
    ClientToScreen(window->handle(), &panel);
    EXPECT_EQ(SendMessageW(window->handle(), WM_NCHITTEST, 0, MAKELPARAM(panel.x, panel.y)), HTCLIENT);
}

TEST_F(Win32SkinWindowTest, WhatCodeSetsRaisesNothingAndWhatTheUserDoesReachesItsHandler)
{
    card.forget_writes();
    const Control bar{ControlId::VolumeBar, 1}; // the line "Wave"
    window->set_position(bar, 30000);
    window->set_checked({ControlId::MuteBox, 1}, true);
    window->set_checked(ControlId::RadioButton2, true);
    window->set_hotkey(ControlId::HotKey1, 0x6000 | VK_F5);
    window->set_text(ControlId::ComboBox2, "48000");
    EXPECT_TRUE(card.writes().empty());
    EXPECT_EQ(window->position(bar), 30000);
    EXPECT_FALSE(window->checked(ControlId::RadioButton1));
    EXPECT_EQ(window->hotkey(ControlId::HotKey1), 0x6000 | VK_F5);
    EXPECT_NE(hotkeys.granted_shortcut(kRecordPauseHotkey), 0x6000 | VK_F5)
        << "a field set from code registers nothing";

    // The user's keys move the bar and tick the box: each reaches the mixer,
    // once the level writes of the start are out.
    pump(200);
    SendMessageW(control(bar), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(control(bar), WM_KEYUP, VK_RIGHT, 0);
    pump(200);
    EXPECT_EQ(card.control_value(card.playback_volume_control(1)), 30256u);
    SendMessageW(control({ControlId::MuteBox, 1}), BM_CLICK, 0, 0);
    EXPECT_EQ(card.control_value(card.playback_mute_control(1)), 0u);
}

// Windows ends the program after its session ends: what close does comes
// first, the settings written.
TEST_F(Win32SkinWindowTest, TheEndOfTheSessionClosesAsTheQuitButtonDoes)
{
    SendMessageW(window->handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(window->handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(form().closed());
    EXPECT_FALSE(IsWindow(window->handle()));
    EXPECT_NE(folder.read_config(), "<missing>");
}

} // namespace
} // namespace ornavox::test
