#pragma once

#include <QImage>

namespace ornavox::skin_generator {

// The program icon, 32 x 32, as a 16-colour indexed image; index 0 is the
// transparent colour.
QImage draw_icon();

} // namespace ornavox::skin_generator
