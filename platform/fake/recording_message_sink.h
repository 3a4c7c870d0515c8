#pragma once

#include "platform/message_sink.h"

#include <string>
#include <vector>

namespace ornavox {

// Keeps every message shown, in order, instead of showing it.
class RecordingMessageSink : public MessageSink {
public:
    void show_message(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;
};

} // namespace ornavox
