#pragma once

#include <QImage>

namespace ornavox::skin_generator {

// One-bit masks (Format_Mono, index 1 = transparent) of the button shapes.
// Each is built to an exact count of transparent pixels, which the window's
// image lists promise.

// A disc centred in a square of side `size`, symmetric left to right and top
// to bottom, with exactly `transparent` pixels outside it.
QImage round_mask(int size, int transparent);

// A rectangle whose four corners are quarter ellipses with radii rx, ry.
QImage rounded_rect_mask(int width, int height, double rx, double ry);

// The round mask with a diagonal band, three pixels wide, opened up from the
// disc to the bottom-right corner (the handle of a magnifying glass).
QImage round_mask_with_handle(int size, int transparent);

int transparent_count(const QImage& mask);
bool is_opaque(const QImage& mask, int x, int y);

} // namespace ornavox::skin_generator
