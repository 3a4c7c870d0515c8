#pragma once

#include "platform/win32/window_class.h"
#include "ui/button_face.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>

namespace ornavox {

// The skin's picture button: a child window that shows one face of an image
// list over the window's background picture, by the shared face rules. A face
// stays until the next redraw; a repaint shows the last face drawn. Its hint
// is its window text, so that a screen reader names it. GUI thread.
class ImageButton {
public:
    // `background` is the parent's picture, drawn beneath the face's masked
    // pixels; both it and `list` outlive the button.
    ImageButton(HWND parent, int id, const RECT& place, HIMAGELIST list, HBITMAP background, int imageid,
                const std::string& hint);
    ~ImageButton();
    ImageButton(const ImageButton&) = delete;
    ImageButton& operator=(const ImageButton&) = delete;

    HWND handle() const { return window_; }
    int imageid() const { return face_.imageid(); }
    int buttonstate() const { return face_.buttonstate(); }
    std::string hint() const { return hint_; }

    void set_face(int imageid, const std::string& hint);
    // The normal face now, as if the pointer had left.
    void show_normal_face();

    // Each runs on the GUI thread with the face already drawn.
    std::function<void()> on_enter;
    std::function<void()> on_leave;
    std::function<void()> on_click;
    std::function<void(POINT screen)> on_context; // a right-click

private:
    template <class Owner>
    friend Owner* win32::window_owner(HWND, UINT, LPARAM);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    void redraw();
    void paint();
    void pointer_at(POINT client);

    HWND window_ = nullptr;
    HIMAGELIST list_;
    HBITMAP background_;
    POINT origin_; // in the parent
    std::string hint_;
    ButtonFace face_;
    std::optional<int> shown_; // the image last drawn
    bool tracking_ = false;
};

} // namespace ornavox
