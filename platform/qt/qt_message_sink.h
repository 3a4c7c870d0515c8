#pragma once

#include "platform/message_sink.h"

class QWidget;

namespace ornavox {

// A modal QMessageBox with the text, an OK button and no icon, titled with the
// application name.
class QtMessageSink : public MessageSink {
public:
    explicit QtMessageSink(QWidget* parent = nullptr);
    void show_message(const std::string& text) override;

    // Boxes stand in front of this window; it may come to exist after the sink.
    void set_parent(QWidget* parent) { parent_ = parent; }

private:
    QWidget* parent_;
};

} // namespace ornavox
