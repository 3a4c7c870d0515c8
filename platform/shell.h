#pragma once

#include <string>

namespace ornavox {

// Hands a file or a web address to the desktop's associated program. The
// outcome is not reported: a missing file or a failing browser shows nothing.
// GUI thread only.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open_file(const std::string& path) = 0;
    virtual void open_url(const std::string& url) = 0;
};

} // namespace ornavox
