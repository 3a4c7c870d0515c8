#pragma once

#include "platform/shell.h"

namespace ornavox {

// Opens files and web addresses with the desktop's associated programs
// (QDesktopServices: xdg-open on Linux).
class QtShell : public Shell {
public:
    void open_file(const std::string& path) override;
    void open_url(const std::string& url) override;
};

} // namespace ornavox
