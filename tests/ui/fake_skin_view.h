#pragma once

#include "ui/skinform_view.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ornavox::test {

// A front end without widgets: it keeps the last value of each control, as
// a screen would show it, and the order of the calls that set them. The test
// plays the user by changing a value and calling the handler the control's
// event reaches.
class FakeSkinView : public SkinFormView {
public:
    struct Button {
        int imageid = -1;
        std::string hint;
    };
    struct Box {
        std::vector<std::string> items;
        int selected = -1;
        std::string text;
    };

    // The skin area as the layout draws it.
    FakeSkinView()
    {
        for (const SkinControl& c : skin_area())
            if (c.label)
                texts[c.label->id] = c.label->text;
            else
                buttons[c.button->id] = {c.button->imageid, c.button->hint};
    }

    std::map<ControlId, std::string> texts;
    std::map<ControlId, Button> buttons;
    std::map<ControlId, Box> boxes;
    std::map<std::pair<ControlId, int>, bool> ticks;
    std::map<std::pair<ControlId, int>, int> positions;
    std::map<ControlId, uint16_t> hotkeys;
    std::vector<std::string> rows; // the mixer panel's rows, by name
    Layout layout = Layout::Compact;
    bool panels_built = false;
    bool visible = true;
    bool closed = false;
    std::map<MeterPlace, std::optional<MeterReading>> meters; // nullopt: hidden
    std::vector<ControlId> menus;                             // each popup, by the control it popped up under
    std::vector<std::string> calls;                           // "set_text Label5 Idle", ...

    std::string text(ControlId control) const { return value_or(texts, control, std::string("<unset>")); }
    int imageid(ControlId button) const { return value_or(buttons, button, Button()).imageid; }
    std::string hint(ControlId button) const { return value_or(buttons, button, Button()).hint; }

    void set_text(ControlId control, const std::string& text) override
    {
        log("set_text", control, text);
        texts[control] = text;
    }
    void set_button(ControlId button, int imageid, const std::string& hint) override
    {
        log("set_button", button, std::to_string(imageid) + " " + hint);
        buttons[button] = {imageid, hint};
    }
    void show_normal_face(ControlId button) override { log("show_normal_face", button, ""); }
    void show_meter(MeterPlace place, const std::optional<MeterReading>& reading) override { meters[place] = reading; }
    std::optional<MeterReading> meter(MeterPlace place) const { return value_or(meters, place, {}); }

    void set_items(ControlId box, const std::vector<std::string>& items) override
    {
        log("set_items", box, std::to_string(items.size()));
        boxes[box].items = items;
        boxes[box].selected = -1;
    }
    void select_item(ControlId box, int index) override
    {
        log("select_item", box, std::to_string(index));
        Box& b = boxes[box];
        b.selected = index;
        if (index >= 0 && static_cast<size_t>(index) < b.items.size())
            b.text = b.items[index];
    }
    void set_edit_text(ControlId box, const std::string& text) override
    {
        log("set_edit_text", box, text);
        boxes[box].text = text;
    }
    int selected_item(ControlId box) const override { return value_or(boxes, box, Box()).selected; }
    std::string edit_text(ControlId box) const override { return value_or(boxes, box, Box()).text; }

    // Checking a radio button clears the others, as in its group box.
    void set_checked(Control control, bool checked) override
    {
        log("set_checked", control.id, std::to_string(control.row) + " " + std::to_string(checked));
        if (checked && control.row < 0)
            for (const ControlId radio :
                 {ControlId::RadioButton1, ControlId::RadioButton2, ControlId::RadioButton3, ControlId::RadioButton4})
                ticks[{radio, -1}] = false;
        ticks[{control.id, control.row}] = checked;
    }
    bool checked(Control control) const override { return value_or(ticks, {control.id, control.row}, false); }

    void set_position(Control bar, int position) override
    {
        log("set_position", bar.id, std::to_string(bar.row) + " " + std::to_string(position));
        positions[{bar.id, bar.row}] = position;
    }
    int position(Control bar) const override { return value_or(positions, {bar.id, bar.row}, 0); }

    void set_hotkey(ControlId field, uint16_t shortcut) override
    {
        log("set_hotkey", field, std::to_string(shortcut));
        hotkeys[field] = shortcut;
    }
    uint16_t hotkey(ControlId field) const override { return value_or(hotkeys, field, uint16_t{0}); }

    void build_panels() override
    {
        calls.push_back("build_panels");
        panels_built = true;
    }
    void add_rows(const std::vector<std::string>& names) override
    {
        calls.push_back("add_rows " + std::to_string(names.size()));
        rows.insert(rows.end(), names.begin(), names.end());
    }
    void clear_rows() override
    {
        calls.push_back("clear_rows");
        rows.clear();
        for (auto it = ticks.begin(); it != ticks.end();)
            it = it->first.first == ControlId::MuteBox ? ticks.erase(it) : std::next(it);
        for (auto it = positions.begin(); it != positions.end();)
            it = it->first.first == ControlId::VolumeBar ? positions.erase(it) : std::next(it);
    }

    void set_layout(Layout l) override
    {
        calls.push_back("set_layout " + std::to_string(static_cast<int>(l)));
        layout = l;
    }
    void show_window() override
    {
        calls.push_back("show_window");
        visible = true;
    }
    void hide_window() override
    {
        calls.push_back("hide_window");
        visible = false;
    }
    void close_window() override
    {
        calls.push_back("close_window");
        closed = true;
        visible = false;
    }
    void popup_menu(ControlId below) override
    {
        calls.push_back(std::string("popup_menu ") + control_name(below));
        menus.push_back(below);
    }

private:
    template <class Map>
    static typename Map::mapped_type value_or(const Map& map, const typename Map::key_type& key,
                                              typename Map::mapped_type fallback)
    {
        const auto it = map.find(key);
        return it == map.end() ? fallback : it->second;
    }
    void log(const char* call, ControlId control, const std::string& value)
    {
        calls.push_back(std::string(call) + " " + control_name(control) + " " + value);
    }
};

} // namespace ornavox::test
