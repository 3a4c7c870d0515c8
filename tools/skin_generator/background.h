#pragma once

#include <QImage>

namespace ornavox::skin_generator {

// The window's 351 x 124 face: marble, slots and wells behind the buttons,
// the display field behind the labels and a treble clef.
QImage draw_background();

} // namespace ornavox::skin_generator
