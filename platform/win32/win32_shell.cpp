#include "platform/win32/win32_shell.h"

#include "base/utf16.h"

#include <shellapi.h>

namespace ornavox {

void Win32Shell::open(const std::string& target)
{
    ShellExecuteW(owner_, L"open", win32::utf16(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace ornavox
