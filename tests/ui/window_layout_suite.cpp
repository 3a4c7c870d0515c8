// Every front end against the window's description: each control where the
// description puts it, with its caption and hint, the rows, the tab order
// and the menu.
#include "tests/ui/window_layout_suite.h"

#include "ui/panel_layout.h"
#include "ui/skin_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ornavox::test {
namespace {

struct Described {
    ControlId id;
    int left, top, width, height;
    const char* caption; // nullptr: start-up writes it
    const char* hint;
    bool sized_to_text;
};

std::vector<Described> described()
{
    std::vector<Described> all;
    for (const SkinControl& c : skin_area())
        if (c.label)
            all.push_back({c.label->id, c.label->left, c.label->top, c.label->width, c.label->height, nullptr, "",
                           c.label->grows});
        else
            all.push_back({c.button->id, c.button->left, c.button->top, c.button->width, c.button->height, nullptr,
                           c.button->hint, false});
    for (const PanelControl& c : panel_controls()) {
        const bool listed = c.kind == PanelKind::ComboBox || c.kind == PanelKind::Edit || c.kind == PanelKind::HotKey
            || c.kind == PanelKind::TrackBar || c.kind == PanelKind::ScrollBox;
        all.push_back({c.id, c.left, c.top, c.width, c.height, listed ? nullptr : c.caption, c.tooltip,
                       c.kind == PanelKind::Label});
    }
    return all;
}

class WindowLayoutTest : public ::testing::TestWithParam<Described> {
protected:
    static void SetUpTestSuite() { window_ = build_window().release(); }
    static void TearDownTestSuite()
    {
        delete window_;
        window_ = nullptr;
    }
    static BuiltWindow* window_;
};
BuiltWindow* WindowLayoutTest::window_ = nullptr;

TEST_P(WindowLayoutTest, StandsWhereTheDescriptionPutsIt)
{
    const Described& d = GetParam();
    const std::optional<BuiltControl> built = window_->control(d.id);
    ASSERT_TRUE(built);
    EXPECT_EQ(built->left, d.left);
    EXPECT_EQ(built->top, d.top);
    // A drop-down list's height is the native one; a label sized to its
    // text is at least as high as described.
    if (!d.sized_to_text) {
        EXPECT_EQ(built->width, d.width);
    }
    if (!d.sized_to_text && !(panel_control(d.id) && panel_control(d.id)->kind == PanelKind::ComboBox)) {
        EXPECT_EQ(built->height, d.height);
    }
    if (d.caption) {
        EXPECT_EQ(built->caption, d.caption);
    }
    EXPECT_EQ(built->hint, d.hint);
}

INSTANTIATE_TEST_SUITE_P(Described, WindowLayoutTest, ::testing::ValuesIn(described()),
                         [](const ::testing::TestParamInfo<Described>& info) {
                             return std::string(control_name(info.param.id));
                         });

TEST(WindowLayoutWholeTest, RowsTabOrderAndMenuAreTheDescribedOnes)
{
    const std::unique_ptr<BuiltWindow> window = build_window();
    const char* names[] = {"Speakers", "Wave"};
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        for (const PanelControl* t : {&kMuteBoxTemplate, &kVolumeBarTemplate}) {
            const std::optional<BuiltControl> built = window->control({t->id, row});
            ASSERT_TRUE(built);
            EXPECT_EQ(built->left, t->left);
            EXPECT_EQ(built->top, t->top + row_top(row));
            EXPECT_EQ(built->width, t->width);
            EXPECT_EQ(built->height, t->height);
            EXPECT_EQ(built->hint,
                      t->id == ControlId::MuteBox ? mute_tooltip(names[row]) : volume_tooltip(row, names[row]));
        }
    }

    std::vector<const PanelControl*> tabbed;
    for (const PanelControl& c : panel_controls())
        if (c.tab > 0)
            tabbed.push_back(&c);
    std::sort(tabbed.begin(), tabbed.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    std::vector<ControlId> expected;
    for (const PanelControl* c : tabbed)
        expected.push_back(c->id);
    EXPECT_EQ(window->tab_chain(), expected);

    std::vector<std::string> menu;
    for (const MenuEntry& entry : popup_menu_entries())
        menu.push_back(entry.text);
    EXPECT_EQ(window->menu_texts(), menu);
}

// Both meters at their boxes, painted as the description paints a reading:
// a loud left channel with its peak, a right one that clipped.
TEST(WindowLayoutWholeTest, TheMetersArePaintedInTheirBoxes)
{
    const std::unique_ptr<BuiltWindow> window = build_window();
    MeterReading reading;
    reading.channels[0] = {-8.0, -2.0, false};
    reading.channels[1] = {-30.0, -20.0, true};
    for (const MeterPlace place : {MeterPlace::Skin, MeterPlace::Panel}) {
        SCOPED_TRACE(place == MeterPlace::Skin ? "skin" : "panel");
        const MeterBox& box = meter_box(place);
        const std::optional<BuiltMeter> built = window->meter(place, reading);
        ASSERT_TRUE(built);
        EXPECT_EQ(built->left, box.left);
        EXPECT_EQ(built->top, box.top);
        ASSERT_EQ(built->width, box.width);
        ASSERT_EQ(built->height, box.height);
        std::vector<uint32_t> expected(static_cast<size_t>(box.width * box.height));
        for (const MeterRect& r : meter_picture(reading, box.width, box.height))
            for (int y = r.top; y < r.top + r.height; ++y)
                std::fill_n(expected.begin() + y * box.width + r.left, r.width, r.colour);
        EXPECT_EQ(built->pixels, expected);
    }
}

} // namespace
} // namespace ornavox::test
