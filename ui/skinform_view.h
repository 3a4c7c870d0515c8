#pragma once

#include "ui/controls.h"
#include "ui/meter_layout.h"
#include "ui/skin_layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// What the window's logic asks of a front end: the controls of the layout,
// each named by its ControlId and built from the layout's description. The
// front end reports what the user does to them through TskinForm::handle.
//
// Three rules hold for every front end:
// 1. A setter never calls back into TskinForm: what code sets raises no
//    event of the control.
// 2. Where setting a value from code counts as the user's action (a radio
//    button's selection, a check box's tick, a track bar's position), the
//    window's logic sets the value and, when it changed, runs the handler
//    itself.
// 3. A getter returns only what the user can leave in a control (a list's
//    text and selection, a radio button, a check box, a track bar, a hot-key
//    field). Everything else the window's logic keeps.
//
// GUI thread only.
class SkinFormView {
public:
    virtual ~SkinFormView() = default;

    // A display label's or the edit box's text.
    virtual void set_text(ControlId control, const std::string& text) = 0;
    // An image-list button's face (image imageid * 4 + state) and hint.
    virtual void set_button(ControlId button, int imageid, const std::string& hint) = 0;
    // Shows the button's normal face now, as if the pointer had left it.
    virtual void show_normal_face(ControlId button) = 0;

    // Drop-down lists. New items leave the box without a selection and keep
    // its text; selecting an item shows its text.
    virtual void set_items(ControlId box, const std::vector<std::string>& items) = 0;
    virtual void select_item(ControlId box, int index) = 0; // -1: none
    virtual void set_edit_text(ControlId box, const std::string& text) = 0;
    virtual int selected_item(ControlId box) const = 0; // -1: none
    virtual std::string edit_text(ControlId box) const = 0;

    // Radio buttons (checking one clears the others of its group) and check
    // boxes.
    virtual void set_checked(Control control, bool checked) = 0;
    virtual bool checked(Control control) const = 0;

    // Track bars, 0 to 65535.
    virtual void set_position(Control bar, int position) = 0;
    virtual int position(Control bar) const = 0;

    // Hot-key fields: the shortcut value, 0 for none.
    virtual void set_hotkey(ControlId field, uint16_t shortcut) = 0;
    virtual uint16_t hotkey(ControlId field) const = 0;

    // The mixer panel and the options panel. Built once, after the first paint.
    virtual void build_panels() = 0;
    // The mixer panel's rows: one per name, with a mute box and a volume bar,
    // row n being the playback line with control_sort n.
    virtual void add_rows(const std::vector<std::string>& names) = 0;
    virtual void clear_rows() = 0;

    // A level meter, drawn as meter_picture() paints the reading in its box;
    // nullopt hides it.
    virtual void show_meter(MeterPlace place, const std::optional<MeterReading>& reading) = 0;

    // The window.
    virtual void set_layout(Layout layout) = 0;
    virtual void show_window() = 0; // shown, raised and active, also when minimised
    virtual void hide_window() = 0;
    virtual void close_window() = 0;
    // Pops up the menu under the control, and returns once it is put away.
    virtual void popup_menu(ControlId below) = 0;
};

} // namespace ornavox
