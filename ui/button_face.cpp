#include "ui/button_face.h"

#include <cstdint>

namespace ornavox {

// 64-bit, so that no imageid or buttonstate a caller writes can overflow.
std::optional<int> ButtonFace::image(int count) const
{
    const int64_t face = static_cast<int64_t>(imageid_) * 4 + buttonstate_;
    const bool block_held = count >= (static_cast<int64_t>(imageid_) + 1) * 4;
    if (block_held && face >= 0 && face < count)
        return static_cast<int>(face);
    return std::nullopt;
}

bool ButtonFace::pointer_entered()
{
    if (pointer_inside_)
        return false;
    pointer_inside_ = true;
    buttonstate_ = 1;
    return true;
}

bool ButtonFace::pointer_left()
{
    if (!pointer_inside_)
        return false;
    pointer_inside_ = false;
    buttonstate_ = 0;
    return true;
}

void ButtonFace::pressed()
{
    pointer_inside_ = true;
    click_armed_ = true;
    buttonstate_ = 2;
}

bool ButtonFace::released(bool over_button)
{
    const bool clicked = click_armed_ && over_button;
    click_armed_ = false;
    return clicked;
}

} // namespace ornavox
