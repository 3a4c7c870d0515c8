#pragma once

#include <QImage>

namespace ornavox::skin_generator {

// The program icon, 32 x 32, as a 16-colour indexed image; index 0 is the
// transparent colour.
QImage draw_icon();

// The same drawing in full colour at `size` pixels square, for the icon
// themes of Linux desktops.
QImage draw_theme_icon(int size);

} // namespace ornavox::skin_generator
