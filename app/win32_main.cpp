// The program on Windows: the window over the Windows backends, in the
// program folder beside its plug-in, skin and help page. Config.ini is read
// and written there too, unless the folder was installed or cannot be
// written: then in %APPDATA%\Ornavox.
#include "base/settings_places.h"
#include "base/utf16.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_dispatcher.h"
#include "platform/win32/win32_hotkey_service.h"
#include "platform/win32/win32_message_sink.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sound_backend.h"
#include "platform/win32/win32_timers.h"
#include "platform/win32/win32_user_locale.h"
#include "ui/win32/skin_window.h"
#include "ui/win32/win32_dialogs.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

namespace {

// The folder of the program's own file, with '/' separators and a trailing
// one, in UTF-8.
std::string program_dir()
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    for (wchar_t& c : path)
        if (c == L'\\')
            c = L'/';
    return ornavox::win32::utf8(path.substr(0, path.find_last_of(L'/') + 1));
}

} // namespace

int main()
{
    using namespace ornavox;
    // One window of the program: a second start shows the first one.
    const HANDLE instance = CreateMutexW(nullptr, FALSE, L"Local\\OrnavoxSoundRecorder");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = FindWindowW(L"OrnavoxSkinWindow", nullptr)) {
            ShowWindow(first, IsIconic(first) ? SW_RESTORE : SW_SHOW);
            SetForegroundWindow(first);
        }
        CloseHandle(instance);
        return 0;
    }
    win32::ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_BAR_CLASSES | ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    Win32Dispatcher dispatcher;
    Win32MessageSink messages("Ornavox");
    Win32SoundBackend sound(dispatcher);
    Win32HotkeyService hotkeys;
    Win32Dialogs dialogs;
    Win32Shell shell;
    Win32UserLocale locale;
    Win32TimerFactory timers;
    const std::string folder = program_dir();
    Win32SkinWindow skinForm(SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder, locale,
                                              timers, settings_places(folder)});
    // Boxes stand in front of the always-on-top window.
    messages.set_owner(skinForm.handle());
    dialogs.set_owner(skinForm.handle());
    shell.set_owner(skinForm.handle());
    skinForm.show_window();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(skinForm.handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(instance);
    return 0;
}
