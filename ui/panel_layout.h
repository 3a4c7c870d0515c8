#pragma once

#include "ui/controls.h"

#include <span>
#include <string>

namespace ornavox {

// The mixer panel below the skin area and the options panel to its right,
// the mixer panel's row and the popup menu, as every front end builds them.
enum class PanelKind {
    GroupBox,    // a titled frame; what lies in it is placed in its corner
    Label,       // static text, sized to its caption once
    PushButton,  // a small command button
    RadioButton, // the radio buttons of one group box are one group
    ComboBox,    // an editable drop-down list
    TrackBar,    // a horizontal bar on the volume scale, ticks below it
    ScrollBox,   // a framed box whose inside scrolls the mixer rows
    Edit,        // a one-line text box
    HotKey,      // a shortcut field
    CheckBox,    // a row's mute box: its name stands left of the box
};

struct PanelControl {
    ControlId id;
    PanelKind kind;
    ControlId parent;             // skinForm, or the group box that holds it
    int left, top, width, height; // within the parent; a label's size is its least
    const char* caption;
    const char* tooltip; // empty for none
    int tab;             // its place in the keyboard's tab order from 1; 0: takes no focus
    bool flat;           // a push button drawn without its raised edge
};

// Back to front within each parent: a group box comes before what it holds.
std::span<const PanelControl> panel_controls();
// nullptr for a control of no panel.
const PanelControl* panel_control(ControlId id);

// The track bars' scale: the mixer's volume, 0 to 65535.
struct VolumeScale {
    int minimum, maximum;
    int line_step, page_step; // the arrow keys' and Page keys' steps
    int tick_every;
};
inline constexpr VolumeScale kVolumeScale{0, 65535, 256, 4096, 4096};

// One row of the mixer panel per playback line, inside the scroll box: the
// row's controls stand at these places, moved down by row_top(n).
inline constexpr int kRowHeight = 16;
inline constexpr PanelControl kMuteBoxTemplate{
    ControlId::MuteBox, PanelKind::CheckBox, ControlId::ScrollBox1, 6, 0, 113, 17, "", "", 1, false};
inline constexpr PanelControl kVolumeBarTemplate{
    ControlId::VolumeBar, PanelKind::TrackBar, ControlId::ScrollBox1, 123, 0, 196, 17, "", "", 1, false};
inline constexpr int row_top(int row)
{
    return kRowHeight * row;
}
// The height of the scroll box's inside for this many rows.
inline constexpr int rows_extent(int rows)
{
    return kRowHeight * rows + 1;
}
std::string mute_tooltip(const std::string& line_name);
std::string volume_tooltip(int row, const std::string& line_name);

// The popup menu, shown under the menu button; an entry's choice is a click
// on the entry's control.
inline constexpr ControlId kMenuButton = ControlId::hotlinkbutton2;
struct MenuEntry {
    ControlId id;
    const char* text;
};
std::span<const MenuEntry> popup_menu_entries();

} // namespace ornavox
