#pragma once

#include <optional>

namespace ornavox {

// The face rules of the skin's picture button, whatever draws it: which
// image of its list shows (imageid * 4 + buttonstate: normal, hover,
// pressed), how the pointer and the left button change it, and when a
// release is a click. The front end draws the face and runs the handlers
// these answers ask for.
class ButtonFace {
public:
    int buttonstate() const { return buttonstate_; }
    // Written as the layout writes it; the face shows it at the next redraw.
    void set_buttonstate(int state) { buttonstate_ = state; }
    int imageid() const { return imageid_; }
    void set_imageid(int id) { imageid_ = id; }

    // The image to draw from a list of `count` images, or nullopt when the
    // list does not hold the whole block of four for imageid.
    std::optional<int> image(int count) const;

    // The pointer came over the button: true (hover face, run the enter
    // handler) unless it was over it already.
    bool pointer_entered();
    // The pointer left it: true (normal face, run the leave handler) unless
    // it was not over it.
    bool pointer_left();
    // A left press on the button: pressed face; the pointer is over it even
    // when its entry was not reported yet.
    void pressed();
    // The left button came up, over the button or not: true when that
    // completes a click, that is when this button was pressed. The face
    // stays as it is while the click's handler runs (it may ask a question);
    // release_done() then shows the normal face.
    bool released(bool over_button);
    void release_done() { buttonstate_ = 0; }

private:
    int buttonstate_ = 0;
    int imageid_ = 0;
    bool click_armed_ = false;
    bool pointer_inside_ = false;
};

} // namespace ornavox
