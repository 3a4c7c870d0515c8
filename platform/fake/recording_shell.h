#pragma once

#include "platform/shell.h"

#include <string>
#include <vector>

namespace ornavox {

// Keeps every request, in order, as "file:<path>" or "url:<address>".
class RecordingShell : public Shell {
public:
    void open_file(const std::string& path) override { opened.push_back("file:" + path); }
    void open_url(const std::string& url) override { opened.push_back("url:" + url); }

    std::vector<std::string> opened;
};

} // namespace ornavox
