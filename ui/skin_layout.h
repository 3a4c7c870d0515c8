#pragma once

#include "ui/controls.h"

#include <cstdint>
#include <span>

namespace ornavox {

// The skin area as the layout places it, for every front end and for the
// window's logic, which keeps the buttons' faces and everything's hints.
enum class SkinFont { MsSansSerif, ArialBlack37Bold, Arial13 };

struct SkinLabel {
    ControlId id;
    int left, top, width, height;
    const char* text; // at design time; start-up replaces most
    const char* hint; // for the hint line; empty for none
    SkinFont font;
    uint32_t colour; // 0xRRGGBB
};

struct SkinButton {
    ControlId id;
    int number; // of its picture in the skin, and of its name
    int left, top, width, height;
    const char* hint;
    int image_list; // 1 to 4
    int imageid;
};

// Back to front: a later control is drawn over an earlier one and found
// first by the hit test. The background picture lies behind them all.
struct SkinControl {
    const SkinLabel* label; // one of the two is set
    const SkinButton* button;
};

std::span<const SkinControl> skin_area();
// The entry of a skin-area button or label; nullptr for any other control.
const SkinButton* skin_button(ControlId id);
const SkinLabel* skin_label(ControlId id);

// The window's three sizes; its top-left corner stays where it is.
enum class Layout { Compact, Mixer, Options };
inline constexpr int kCompactWidth = 351;
inline constexpr int kCompactHeight = 124;
inline constexpr int kMixerHeight = 314;
inline constexpr int kOptionsWidth = 632;
inline constexpr int layout_width(Layout layout)
{
    return layout == Layout::Options ? kOptionsWidth : kCompactWidth;
}
inline constexpr int layout_height(Layout layout)
{
    return layout == Layout::Mixer ? kMixerHeight : kCompactHeight;
}

} // namespace ornavox
