#pragma once

#include "platform/message_sink.h"

#include <windows.h>

#include <string>

namespace ornavox {

// The plain modal message box: the program's name as caption, the text and
// an OK button, owned by the main window once there is one.
class Win32MessageSink final : public MessageSink {
public:
    explicit Win32MessageSink(std::string caption) : caption_(std::move(caption)) {}
    void set_owner(HWND owner) { owner_ = owner; }
    void show_message(const std::string& text) override;

private:
    std::string caption_;
    HWND owner_ = nullptr;
};

} // namespace ornavox
