#pragma once

#include "ui/dialogs.h"

#include <windows.h>

namespace ornavox {

// The system's message box for the question and its save dialog, in front of
// the main window once there is one. GUI thread.
class Win32Dialogs final : public Dialogs {
public:
    void set_owner(HWND owner) { owner_ = owner; }
    Answer ask_yes_no(const std::string& caption, const std::string& text) override;
    std::optional<std::string> get_save_file_name(const SaveFileOptions& options) override;

private:
    HWND owner_ = nullptr;
};

} // namespace ornavox
