#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ornavox {

// The window's modal questions and the save-file dialog. GUI thread only; a
// modal box runs its own event loop, so timer ticks and other handlers may run
// before a call returns.
class Dialogs {
public:
    // Cancel: the box was closed, or Escape pressed, without an answer.
    enum class Answer { Yes, No, Cancel };

    struct SaveFileOptions {
        std::string initial_dir;                                  // with trailing separator
        std::string initial_name;                                 // "*.mp3" or the last chosen file
        std::string default_suffix;                               // added when the typed name has none
        std::vector<std::pair<std::string, std::string>> filters; // (name, mask)
    };

    virtual ~Dialogs() = default;

    virtual Answer ask_yes_no(const std::string& caption, const std::string& text) = 0;
    // The chosen full path, or nullopt when the user cancelled.
    virtual std::optional<std::string> get_save_file_name(const SaveFileOptions& options) = 0;
};

} // namespace ornavox
