#pragma once

#include "platform/shell.h"

#include <windows.h>

namespace ornavox {

// The shell's "open" verb, shown normally, the outcome not examined.
class Win32Shell final : public Shell {
public:
    void set_owner(HWND owner) { owner_ = owner; }
    void open_file(const std::string& path) override { open(path); }
    void open_url(const std::string& url) override { open(url); }

private:
    void open(const std::string& target);
    HWND owner_ = nullptr;
};

} // namespace ornavox
