#pragma once

#include "ui/dialogs.h"

#include <optional>
#include <string>

namespace ornavox {

// The user answers Yes to the append question and never picks a file: every
// recording appends, and no dialog comes up.
class AlwaysAppend : public Dialogs {
public:
    Answer ask_yes_no(const std::string&, const std::string&) override { return Answer::Yes; }
    std::optional<std::string> get_save_file_name(const SaveFileOptions&) override { return std::nullopt; }
};

} // namespace ornavox
