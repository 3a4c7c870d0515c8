#pragma once

#include "platform/win32/window_class.h"
#include "ui/panel_layout.h"
#include "ui/skinform.h"
#include "ui/skinform_view.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/image_button.h"
#include "ui/win32/level_meter_window.h"
#include "ui/win32/skin_artwork.h"

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ornavox {

// Answers of the window's hit test for a point of its own client area: a
// left press where it answers caption moves the window.
int skin_window_hit_test(POINT client);

// The main window drawn with plain Win32 and the common controls: a
// borderless, always-on-top window that paints its background picture and
// display labels itself, image buttons as child windows, and the panels as
// native controls, uncovered by resizing, all built from the layout's
// description. What the user does to a control goes to the window's logic
// (form()) as a control event. GUI thread.
class Win32SkinWindow final : public SkinFormView {
public:
    explicit Win32SkinWindow(SkinFormServices services);
    ~Win32SkinWindow() override;
    Win32SkinWindow(const Win32SkinWindow&) = delete;
    Win32SkinWindow& operator=(const Win32SkinWindow&) = delete;

    TskinForm& form() { return *form_; }
    HWND handle() const { return window_; }
    // A control's window; nullptr for a painted label or one not built yet.
    HWND control_window(Control control) const;
    // Where a control lies in the window's client area, painted labels too.
    RECT control_rect(Control control) const;
    const ImageButton* button(ControlId id) const;
    // What a painted label shows.
    std::string label_text(ControlId label) const;
    // A level meter while it is shown; nullptr while hidden.
    const LevelMeterWindow* meter(MeterPlace place) const;

    // SkinFormView
    void set_text(ControlId control, const std::string& text) override;
    void set_button(ControlId button, int imageid, const std::string& hint) override;
    void show_normal_face(ControlId button) override;
    void set_items(ControlId box, const std::vector<std::string>& items) override;
    void select_item(ControlId box, int index) override;
    void set_edit_text(ControlId box, const std::string& text) override;
    int selected_item(ControlId box) const override;
    std::string edit_text(ControlId box) const override;
    void set_checked(Control control, bool checked) override;
    bool checked(Control control) const override;
    void set_position(Control bar, int position) override;
    int position(Control bar) const override;
    void set_hotkey(ControlId field, uint16_t shortcut) override;
    uint16_t hotkey(ControlId field) const override;
    void build_panels() override;
    void add_rows(const std::vector<std::string>& names) override;
    void clear_rows() override;
    void show_meter(MeterPlace place, const std::optional<MeterReading>& reading) override;
    void set_layout(Layout layout) override;
    void show_window() override;
    void hide_window() override;
    void close_window() override;
    void popup_menu(ControlId below) override;

private:
    template <class Owner>
    friend Owner* win32::window_owner(HWND, UINT, LPARAM);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK rows_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    void build_skin(const SkinFormServices& services);
    void paint();
    void pointer_over_labels(std::optional<POINT> client);
    void command(int id, int code, HWND control);
    void scrolled(HWND bar, int code);
    void scroll_rows(int code);
    void tooltip(UINT message, HWND control, const std::string& text);
    // A panel control or a row's, at its place from `origin` in `parent`.
    // `group` is WS_GROUP for a control that starts a group of its own.
    HWND make(const PanelControl& control, POINT origin, HWND parent, int menu_id, const std::string& caption,
              DWORD group = 0);
    HFONT font_of(SkinFont font) const;
    void set_label(ControlId id, const std::string& text);
    static SIZE text_size(HFONT font, const std::string& text);
    void run_menu(POINT screen);

    HWND window_ = nullptr;
    SkinArtwork art_;
    std::map<SkinFont, win32::Font> fonts_;
    win32::Brush panel_brush_;
    std::map<ControlId, std::unique_ptr<ImageButton>> buttons_;
    // The display labels that the window paints, with the place each covers.
    struct PaintedLabel {
        std::string text;
        RECT rect{};
    };
    std::map<ControlId, PaintedLabel> labels_;
    ControlId pointer_label_ = ControlId::None; // the display label under the pointer
    std::map<ControlId, HWND> controls_;        // the panels' controls
    std::map<MeterPlace, std::unique_ptr<LevelMeterWindow>> meters_;
    HWND rows_ = nullptr; // the scrolling box's inside
    int rows_scrolled_ = 0;
    std::vector<HWND> mute_boxes_;
    std::vector<HWND> volume_bars_;
    std::map<HWND, int> bar_positions_; // as last set or reported
    HWND tooltip_ = nullptr;
    // Values set from code raise nothing: notifications that Windows sends
    // for them anyway are dropped while this is set.
    bool setting_ = false;
    bool painted_ = false;
    bool destroyed_ = false;
    std::unique_ptr<TskinForm> form_;
};

} // namespace ornavox
