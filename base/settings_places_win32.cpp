#include "base/settings_places.h"

#include "base/utf16.h"

#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

namespace ornavox {

namespace {

struct CoTaskMemDeleter {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

// A known folder in UTF-8 with '/' separators and a trailing one; empty when
// the system has none.
std::string known_folder(REFKNOWNFOLDERID id)
{
    wchar_t* raw = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw);
    const std::unique_ptr<wchar_t, CoTaskMemDeleter> path(raw);
    if (FAILED(result) || !path)
        return {};
    std::wstring text(path.get());
    for (wchar_t& c : text)
        if (c == L'\\')
            c = L'/';
    if (!text.empty() && text.back() != L'/')
        text += L'/';
    return win32::utf8(text);
}

} // namespace

// Under Program Files a folder's marks say little: only a file actually made
// there tells whether this user may write it.
bool folder_is_writable(const std::string& folder)
{
    const std::wstring probe = win32::utf16(folder) + L"/.ornavox-write-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

SettingsPlaces user_places()
{
    std::string music = known_folder(FOLDERID_Music);
    if (music.empty())
        music = known_folder(FOLDERID_Profile);
    return {known_folder(FOLDERID_RoamingAppData) + "Ornavox/", music};
}

} // namespace ornavox
