#pragma once

#include "ui/controls.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornavox::test {

// A control as a front end built it, read back from its native widget.
struct BuiltControl {
    int left, top, width, height; // within the parent the description names
    std::string caption;          // a button's, label's or group box's text
    std::string hint;             // a tooltip, or an image button's hint
};

// A front end's window over the fakes, started, over a card with the record
// sources "Line In" and "Microphone" and the playback lines "Speakers" and
// "Wave", the mixer panel's two rows.
class BuiltWindow {
public:
    virtual ~BuiltWindow() = default;
    virtual std::optional<BuiltControl> control(Control control) = 0; // nullopt: not built
    // The controls that take the keyboard focus, in the order Tab visits them.
    virtual std::vector<ControlId> tab_chain() = 0;
    virtual std::vector<std::string> menu_texts() = 0;
};

// Each front end's test defines it.
std::unique_ptr<BuiltWindow> build_window();

} // namespace ornavox::test
