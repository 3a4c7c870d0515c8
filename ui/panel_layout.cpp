#include "ui/panel_layout.h"

namespace ornavox {

namespace {

using C = ControlId;
using K = PanelKind;

constexpr PanelControl kPanels[] = {
    // The mixer panel, uncovered when the window is 314 high.
    {C::GroupBox1, K::GroupBox, C::skinForm, 1, 125, 349, 52, "Select the record source", "", 0, false},
    {C::Label10, K::Label, C::GroupBox1, 8, 32, 74, 13, "Recording level", "", 0, false},
    {C::SpeedButton3, K::PushButton, C::GroupBox1, 320, 11, 25, 22, "<--", "Auto detect sound card source", 0, true},
    {C::RadioButton1, K::RadioButton, C::GroupBox1, 8, 13, 73, 17, "Line in", "", 2, false},
    {C::RadioButton2, K::RadioButton, C::GroupBox1, 64, 13, 81, 17, "Microphone", "", 3, false},
    {C::RadioButton3, K::RadioButton, C::GroupBox1, 144, 13, 81, 17, "CD audio", "", 4, false},
    {C::RadioButton4, K::RadioButton, C::GroupBox1, 216, 13, 33, 17, "", "", 5, false},
    {C::ComboBox1, K::ComboBox, C::GroupBox1, 232, 11, 85, 21, "", "", 6, false},
    {C::TrackBar1, K::TrackBar, C::GroupBox1, 123, 32, 196, 17, "", "", 7, false},
    {C::ScrollBox1, K::ScrollBox, C::skinForm, 0, 176, 350, 137, "", "", 1, false},
    // The options panel, uncovered when the window is 632 wide.
    {C::GroupBox2, K::GroupBox, C::skinForm, 352, 0, 279, 124, "Save to mp3 file", "", 0, false},
    {C::Edit1, K::Edit, C::GroupBox2, 8, 16, 241, 21, "", "", 8, false},
    {C::SpeedButton1, K::PushButton, C::GroupBox2, 252, 16, 23, 22, "...", "chang save file name", 0, false},
    {C::ComboBox2, K::ComboBox, C::GroupBox2, 8, 40, 57, 21, "", "", 9, false},
    {C::Label8, K::Label, C::GroupBox2, 64, 44, 13, 13, "Hz", "", 0, false},
    {C::ComboBox3, K::ComboBox, C::GroupBox2, 80, 40, 57, 21, "", "", 10, false},
    {C::Label9, K::Label, C::GroupBox2, 136, 44, 23, 13, "kbps", "", 0, false},
    {C::Label11, K::Label, C::GroupBox2, 160, 44, 80, 13, "Stereo Mp3 CBR", "", 0, false},
    {C::Label12, K::Label, C::GroupBox2, 8, 64, 70, 13, "Record/Pause", "", 0, false},
    {C::HotKey1, K::HotKey, C::GroupBox2, 80, 62, 89, 19, "", "", 11, false},
    {C::Label13, K::Label, C::GroupBox2, 8, 84, 55, 13, "Stop record", "", 0, false},
    {C::HotKey2, K::HotKey, C::GroupBox2, 80, 82, 89, 19, "", "", 12, false},
    {C::Label14, K::Label, C::GroupBox2, 8, 104, 44, 13, "Show me", "", 0, false},
    {C::HotKey3, K::HotKey, C::GroupBox2, 80, 102, 89, 19, "", "", 13, false},
};

constexpr MenuEntry kMenu[] = {{C::abc1, "Show Mixer"}, {C::help1, "Help"}, {C::exit1, "Exit"}};

} // namespace

std::span<const PanelControl> panel_controls()
{
    return kPanels;
}

const PanelControl* panel_control(ControlId id)
{
    for (const PanelControl& c : kPanels)
        if (c.id == id)
            return &c;
    return nullptr;
}

std::string mute_tooltip(const std::string& line_name)
{
    return "Mute " + line_name;
}

std::string volume_tooltip(int row, const std::string& line_name)
{
    return "Volume " + std::to_string(row) + " :" + line_name;
}

std::span<const MenuEntry> popup_menu_entries()
{
    return kMenu;
}

} // namespace ornavox
