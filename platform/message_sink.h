#pragma once

#include <string>

namespace ornavox {

// The plain modal message box: text and an OK button, no icon. GUI thread only.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show_message(const std::string& text) = 0;
};

} // namespace ornavox
