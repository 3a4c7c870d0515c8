#pragma once

#include "platform/win32/window_class.h"
#include "ui/meter_layout.h"

#include <windows.h>

namespace ornavox {

// A level meter as the window's description draws it: a child window that
// paints itself and lets the pointer through to what lies beneath (the skin's
// drag area). GUI thread.
class LevelMeterWindow {
public:
    // At `place` in `parent`'s client area; hidden until show_reading().
    LevelMeterWindow(HWND parent, const RECT& place);
    ~LevelMeterWindow();
    LevelMeterWindow(const LevelMeterWindow&) = delete;
    LevelMeterWindow& operator=(const LevelMeterWindow&) = delete;

    void show_reading(const MeterReading& reading);
    void hide();
    // Shown, whether or not its window is.
    bool visible() const;
    const MeterReading& reading() const { return reading_; }
    HWND handle() const { return window_; }
    // Paints the reading into `dc`, over `width` x `height` from its corner.
    void draw(HDC dc, int width, int height) const;

private:
    template <class Owner>
    friend Owner* win32::window_owner(HWND, UINT, LPARAM);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void paint();

    HWND window_ = nullptr;
    MeterReading reading_;
};

} // namespace ornavox
