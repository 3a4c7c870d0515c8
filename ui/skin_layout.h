#pragma once

#include "ui/controls.h"

#include <cstdint>
#include <span>

namespace ornavox {

// The skin area as the layout places it, for every front end and for the
// window's logic, which keeps the buttons' faces and everything's hints.
enum class SkinFont { MsSansSerif, ArialBlack37Bold, Arial13 };

// A face by its Windows name; each front end finds the installed face that
// fills the same boxes. Every panel control and the window itself use
// MsSansSerif.
struct FontFace {
    const char* family;
    int pixels; // character height
    bool bold;
};
FontFace font_face(SkinFont font);

struct SkinLabel {
    ControlId id;
    int left, top, width, height;
    const char* text; // at design time; start-up replaces most
    const char* hint; // for the hint line; empty for none
    SkinFont font;
    uint32_t colour; // 0xRRGGBB
    // Grows with its text; otherwise a long text is cut off at the right edge.
    bool grows;
    // Labels get no pointer events of their own (they lie in the drag area):
    // the front end follows the pointer over one with a hover hint.
    bool hover_hint;
};

// A button's image id and hint for one of its states.
struct Face {
    int imageid;
    const char* hint;
};
inline constexpr Face kRecordFace{2, "Record  what playback"};
inline constexpr Face kPauseFace{1, "Record pause"};
inline constexpr Face kPlayFace{0, "Playback the what recorded."};
inline constexpr Face kMusicFace{2, "Record in music  mode."};
inline constexpr Face kVoiceFace{3, "Record in voice  mode."};

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
// Where the window first stands, and the panels' background.
inline constexpr int kStartLeft = 49;
inline constexpr int kStartTop = 148;
inline constexpr uint32_t kPanelColour = 0xffefe3; // 0xRRGGBB
inline constexpr int layout_width(Layout layout)
{
    return layout == Layout::Options ? kOptionsWidth : kCompactWidth;
}
inline constexpr int layout_height(Layout layout)
{
    return layout == Layout::Mixer ? kMixerHeight : kCompactHeight;
}

} // namespace ornavox
