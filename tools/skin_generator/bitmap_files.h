#pragma once

#include <QImage>
#include <QString>

namespace ornavox::skin_generator {

// Writers for the Windows picture formats the skin uses. They write the
// bytes themselves so that bit depths are exactly what the skin promises,
// whatever the toolkit's own writers would choose.

// 24-bit BI_RGB bitmap.
bool write_bmp24(const QImage& image, const QString& path);
// 32-bit BI_RGB bitmap (the fourth byte of a pixel is 255).
bool write_bmp32(const QImage& image, const QString& path);
// 1-bit bitmap with the colour table black, white; `transparent` pixels
// (value 1 in a Format_Mono mask) are written white.
bool write_bmp1(const QImage& mask, const QString& path);
// 32 x 32 icon, 4 bits per pixel: `indices` is a Format_Indexed8 image with at
// most 16 colours; pixels whose index is `transparent_index` are masked.
bool write_ico16(const QImage& indices, int transparent_index, const QString& path);

} // namespace ornavox::skin_generator
