#pragma once

#include "ui/dialogs.h"

class QWidget;

namespace ornavox {

// The window's questions as modal QMessageBoxes, and the save dialog as Qt's
// own (non-native) QFileDialog so it behaves the same on every desktop. The
// save dialog asks before an existing file is replaced.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr);

    // Boxes stand in front of this window; it may come to exist after the dialogs.
    void set_parent(QWidget* parent) { parent_ = parent; }

    Answer ask_yes_no(const std::string& caption, const std::string& text) override;
    std::optional<std::string> get_save_file_name(const SaveFileOptions& options) override;

private:
    QWidget* parent_;
};

} // namespace ornavox
