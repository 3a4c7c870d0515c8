#pragma once

#include <string_view>

namespace ornavox {

// The window's controls by their layout names, so that a handler knows which
// control raised it whatever front end drew that control. The mixer panel's
// rows share two names and tell themselves apart by their row number.
#define ORNAVOX_CONTROLS(X)                                                                                            \
    X(skinForm)                                                                                                        \
    /* The skin area. */                                                                                               \
    X(background)                                                                                                      \
    X(Label1)                                                                                                          \
    X(Label3)                                                                                                          \
    X(Label4)                                                                                                          \
    X(Label5)                                                                                                          \
    X(Label6)                                                                                                          \
    X(Label7)                                                                                                          \
    X(hotlinkbutton1)                                                                                                  \
    X(hotlinkbutton2)                                                                                                  \
    X(hotlinkbutton3)                                                                                                  \
    X(hotlinkbutton4)                                                                                                  \
    X(hotlinkbutton5)                                                                                                  \
    X(hotlinkbutton6)                                                                                                  \
    X(hotlinkbutton7)                                                                                                  \
    X(hotlinkbutton8)                                                                                                  \
    X(hotlinkbutton9)                                                                                                  \
    X(hotlinkbutton10)                                                                                                 \
    X(hotlinkbutton11)                                                                                                 \
    X(hotlinkbutton12)                                                                                                 \
    X(hotlinkbutton13)                                                                                                 \
    X(hotlinkbutton14)                                                                                                 \
    /* The mixer panel. */                                                                                             \
    X(GroupBox1)                                                                                                       \
    X(Label10)                                                                                                         \
    X(SpeedButton3)                                                                                                    \
    X(RadioButton1)                                                                                                    \
    X(RadioButton2)                                                                                                    \
    X(RadioButton3)                                                                                                    \
    X(RadioButton4)                                                                                                    \
    X(ComboBox1)                                                                                                       \
    X(TrackBar1)                                                                                                       \
    X(ScrollBox1)                                                                                                      \
    X(MuteBox)                                                                                                         \
    X(VolumeBar)                                                                                                       \
    /* The options panel. */                                                                                           \
    X(GroupBox2)                                                                                                       \
    X(Edit1)                                                                                                           \
    X(SpeedButton1)                                                                                                    \
    X(ComboBox2)                                                                                                       \
    X(Label8)                                                                                                          \
    X(ComboBox3)                                                                                                       \
    X(Label9)                                                                                                          \
    X(Label11)                                                                                                         \
    X(Label12)                                                                                                         \
    X(HotKey1)                                                                                                         \
    X(Label13)                                                                                                         \
    X(HotKey2)                                                                                                         \
    X(Label14)                                                                                                         \
    X(HotKey3)                                                                                                         \
    /* Components without a place on screen. */                                                                        \
    X(PopupMenu1)                                                                                                      \
    X(abc1)                                                                                                            \
    X(help1)                                                                                                           \
    X(exit1)                                                                                                           \
    X(Timer1)

enum class ControlId {
    None, // the handler was called from code (a hotkey, the close sequence)
#define ORNAVOX_CONTROL_ENUMERATOR(name) name,
    ORNAVOX_CONTROLS(ORNAVOX_CONTROL_ENUMERATOR)
#undef ORNAVOX_CONTROL_ENUMERATOR
};

// A handler's Sender: the control, and for a row's control its row, which is
// the mixer's control_sort of its playback line.
struct Control {
    constexpr Control(ControlId id = ControlId::None, int row = -1) : id(id), row(row) {}
    ControlId id;
    int row;
    friend constexpr bool operator==(Control, Control) = default;
};

// What the user did to a control, as every front end reports it. A menu
// entry's choice is a click on the entry.
enum class ControlEvent {
    Click,         // a button, a radio button or a mute box, pressed and let go
    Change,        // a list's or a field's text, a track bar's position
    Focus,         // the control took the keyboard focus
    PointerIn,     // the pointer came over a control that has a hint
    PointerOut,    // and left it
    ThumbHeld,     // the user took a track bar's thumb
    ThumbReleased, // and let it go
};

// The layout name ("hotlinkbutton3"), and back; None for a name no control has.
const char* control_name(ControlId id);
ControlId control_named(std::string_view name);

} // namespace ornavox
