#pragma once

#include "ui/controls.h"
#include "ui/level_meter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ornavox {

// The two level meters and the hint line's warnings, as every front end
// draws them. A meter is a box of two bars, the left channel above the
// right, each with a clip mark at its right end.
enum class MeterPlace { Skin, Panel };

struct MeterBox {
    ControlId parent; // skinForm, or the group box it lies in
    int left, top, width, height;
};
// In the display right of the status word, where no text runs.
inline constexpr MeterBox kSkinMeter{ControlId::skinForm, 296, 50, 45, 11};
// Between the recording level's caption and its bar.
inline constexpr MeterBox kPanelMeter{ControlId::GroupBox1, 86, 35, 34, 11};
const MeterBox& meter_box(MeterPlace place);

// Colours 0xRRGGBB; a bar is green up to kMeterYellowDb, yellow to
// kMeterRedDb and red above.
inline constexpr uint32_t kMeterBackground = 0x101010;
inline constexpr uint32_t kMeterUnlit = 0x303838;
inline constexpr uint32_t kMeterGreen = 0x20d040;
inline constexpr uint32_t kMeterYellow = 0xf0d020;
inline constexpr uint32_t kMeterRed = 0xff3020;
inline constexpr double kMeterYellowDb = -12.0;
inline constexpr double kMeterRedDb = -3.0;
inline constexpr int kClipMarkWidth = 3;
// A meter is drawn again this often while its reading moves.
inline constexpr std::chrono::milliseconds kMeterFrame{40};

// A rectangle of a meter's picture, within its box.
struct MeterRect {
    int left, top, width, height;
    uint32_t colour;
    bool operator==(const MeterRect&) const = default;
};
// The meter's picture for a reading, back to front: the whole box first.
std::vector<MeterRect> meter_picture(const MeterReading& reading, int width, int height);

// The hint line's resting text while the sound asks for the user's eye.
std::string no_sound_warning(const std::string& source);
inline constexpr const char* kClipWarning = "The sound clips: lower the recording level";

} // namespace ornavox
