#include "ui/qt/imagelist.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace ornavox {

namespace {

constexpr int kImagesPerRow = 4;

bool mask_bit(const QImage& mask, int x, int y)
{
    return (mask.constScanLine(y)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

} // namespace

TImageList::TImageList(int width, int height) : width_(width), height_(height)
{
}

bool TImageList::load(const QImage& sheet, const QImage& mask_sheet)
{
    if (sheet.isNull() || mask_sheet.isNull() || width_ <= 0 || height_ <= 0)
        return false;
    if (sheet.width() != kImagesPerRow * width_ || sheet.height() % height_ != 0 || sheet.height() == 0)
        return false;
    if (mask_sheet.size() != sheet.size())
        return false;
    const QImage colours = sheet.convertToFormat(QImage::Format_ARGB32);
    const QImage mask_colours = mask_sheet.convertToFormat(QImage::Format_ARGB32);
    for (int top = 0; top < sheet.height(); top += height_)
        for (int left = 0; left < sheet.width(); left += width_)
            append(colours, mask_colours, QPoint(left, top));
    return true;
}

void TImageList::add(const QImage& image, const QImage& mask)
{
    append(image.convertToFormat(QImage::Format_ARGB32), mask.convertToFormat(QImage::Format_ARGB32), QPoint());
}

// One image from the cell at `at` of `colours` and of `mask_colours` (both
// ARGB32). What the cell lacks is white and transparent. A mask pixel is
// transparent when it is light, whatever colour table its file carried; the
// plain weighted grey decides, as masks are black and white (Qt's own grey
// conversion sets up colour-space tables first, a millisecond at start).
void TImageList::append(const QImage& colours, const QImage& mask_colours, QPoint at)
{
    QImage image(width_, height_, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QImage mask(width_, height_, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    const int columns = std::clamp(colours.width() - at.x(), 0, width_);
    const int rows = std::clamp(colours.height() - at.y(), 0, height_);
    for (int y = 0; y < rows; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(colours.constScanLine(at.y() + y)) + at.x();
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < columns; ++x)
            to[x] = from[x] | 0xff000000u;
    }
    const int mask_columns = std::clamp(mask_colours.width() - at.x(), 0, width_);
    const int mask_rows = std::clamp(mask_colours.height() - at.y(), 0, height_);
    for (int y = 0; y < mask_rows; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(mask_colours.constScanLine(at.y() + y)) + at.x();
        uchar* bits = mask.scanLine(y);
        for (int x = 0; x < mask_columns; ++x)
            if (qGray(from[x]) >= 128)
                bits[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    }

    // The face as drawn: the image with its masked pixels see-through.
    QImage face(width_, height_, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height_; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(face.scanLine(y));
        for (int x = 0; x < width_; ++x)
            to[x] = mask_bit(mask, x, y) ? 0 : from[x];
    }
    images_.push_back(std::move(image));
    masks_.push_back(std::move(mask));
    faces_.push_back(std::move(face));
}

void TImageList::clear()
{
    images_.clear();
    masks_.clear();
    faces_.clear();
}

int TImageList::transparent_pixels(int index) const
{
    const QImage& m = masks_.at(index);
    int count = 0;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            count += mask_bit(m, x, y) ? 1 : 0;
    return count;
}

void TImageList::draw(QPainter& painter, int x, int y, int index) const
{
    if (index < 0 || index >= count())
        return;
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(x, y, faces_[index]);
    painter.setCompositionMode(previous);
}

} // namespace ornavox
