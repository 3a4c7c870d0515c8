#include "platform/win32/win32_message_sink.h"

#include "base/utf16.h"

namespace ornavox {

void Win32MessageSink::show_message(const std::string& text)
{
    MessageBoxW(owner_, win32::utf16(text).c_str(), win32::utf16(caption_).c_str(), MB_OK | MB_TASKMODAL);
}

} // namespace ornavox
