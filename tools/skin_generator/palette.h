#pragma once

#include <QColor>

namespace ornavox::skin_generator {

// The four images of a block, in their order within the block.
enum class Face { normal = 0, hover = 1, pressed = 2, spare = 3 };

namespace colour {
inline const QColor black(20, 20, 20);
inline const QColor green(18, 170, 50);
inline const QColor red(222, 32, 32);
inline const QColor blue(28, 86, 232);
inline const QColor yellow(255, 212, 0);
// Not pure white: pure white inside a face is the see-through colour.
inline const QColor white(250, 250, 250);
inline const QColor grey(135, 135, 135);
inline const QColor teal(0, 128, 128);
inline const QColor orange(255, 136, 0);
inline const QColor violet(140, 60, 205);
inline const QColor bronze_rim(139, 94, 62);
} // namespace colour

} // namespace ornavox::skin_generator
