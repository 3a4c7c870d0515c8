// The Windows save dialog, driven as a user would from a timer inside its
// own modal loop, on the run's display.
#include "tests/support/temporary_folder.h"
#include "ui/win32/win32_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace ornavox {
namespace {

// What the timer has seen and done so far.
struct Script {
    HWND file_dialog = nullptr;
    bool asked = false;
    int ticks = 0;
};
Script* script = nullptr;

std::vector<HWND> dialogs_of_this_thread()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (IsWindowVisible(window) && std::wstring(name) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// OK on the file offered, No to the question that follows, then Cancel.
void CALLBACK act(HWND, UINT, UINT_PTR, DWORD)
{
    Script& s = *script;
    const std::vector<HWND> open = dialogs_of_this_thread();
    if (++s.ticks > 100) {
        for (HWND dialog : open)
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!s.file_dialog && open.size() == 1) {
        s.file_dialog = open[0];
        PostMessageW(s.file_dialog, WM_COMMAND, IDOK, 0);
    } else if (s.file_dialog && !s.asked && open.size() == 2) {
        s.asked = true;
        for (HWND dialog : open)
            if (dialog != s.file_dialog)
                PostMessageW(dialog, WM_COMMAND, IDNO, 0);
    } else if (s.asked && open.size() == 1) {
        PostMessageW(s.file_dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// The dialog asks before it replaces an earlier recording; No keeps it.
TEST(Win32SaveDialog, AsksBeforeAnExistingFileIsReplaced)
{
    const std::filesystem::path folder = test::make_temporary_folder("ornavox-dialog-");
    std::ofstream(folder / "old.mp3", std::ios::binary) << "an earlier recording";
    Script seen;
    script = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, act);

    Win32Dialogs dialogs;
    Dialogs::SaveFileOptions options;
    options.initial_dir = folder.generic_string();
    options.initial_name = "old.mp3";
    options.default_suffix = "mp3";
    options.filters = {{"MP3 files", "*.mp3"}};
    const std::optional<std::string> chosen = dialogs.get_save_file_name(options);
    KillTimer(nullptr, timer);
    script = nullptr;

    EXPECT_TRUE(seen.file_dialog) << "no dialog came up";
    EXPECT_TRUE(seen.asked) << "the file was taken without asking";
    EXPECT_FALSE(chosen);
    EXPECT_EQ(std::filesystem::file_size(folder / "old.mp3"), 20u);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
} // namespace ornavox
