#pragma once

#include "ui/controls.h"
#include "ui/meter_layout.h"

#include <cstdint>

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

// A level meter as a front end drew it.
struct BuiltMeter {
    int left, top, width, height; // within the parent the description names
    std::vector<uint32_t> pixels; // 0xRRGGBB, row by row
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
    // The meter shown with this reading, as it painted it; nullopt: none shown.
    virtual std::optional<BuiltMeter> meter(MeterPlace place, const MeterReading& reading) = 0;
};

// Each front end's test defines it.
std::unique_ptr<BuiltWindow> build_window();

} // namespace ornavox::test
