#include "ui/win32/win32_dialogs.h"

#include "base/utf16.h"

#include <commdlg.h>

namespace ornavox {

// Yes and No only: the box has no close button, and Escape answers nothing.
Dialogs::Answer Win32Dialogs::ask_yes_no(const std::string& caption, const std::string& text)
{
    switch (MessageBoxW(owner_, win32::utf16(text).c_str(), win32::utf16(caption).c_str(),
                        MB_YESNO | MB_ICONQUESTION | MB_TOPMOST)) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

// The folder must exist and a file there be creatable; the dialog keeps the
// user until then and asks before an existing file is taken.
std::optional<std::string> Win32Dialogs::get_save_file_name(const SaveFileOptions& options)
{
    std::wstring filter;
    for (const auto& [name, mask] : options.filters) {
        filter += win32::utf16(name + " (" + mask + ")");
        filter += L'\0';
        filter += win32::utf16(mask);
        filter += L'\0';
    }
    filter += L'\0';
    std::wstring file = win32::utf16(options.initial_name);
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');
    std::wstring folder = win32::utf16(options.initial_dir);
    for (wchar_t& c : folder)
        if (c == L'/')
            c = L'\\';
    const std::wstring suffix = win32::utf16(options.default_suffix);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
    // Replacing an earlier recording is asked first, as the Qt dialog does.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN | OFN_HIDEREADONLY | OFN_ENABLESIZING
        | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    return win32::utf8(file.c_str());
}

} // namespace ornavox
