#include "ui/imagelist.h"

#include <QPainter>

namespace ornavox {

namespace {

constexpr int kImagesPerRow = 4;

// Index 1 of a normalised mask means transparent, whatever colour table the
// source file carried: a pixel is transparent when it is light.
QImage normalise_mask(const QImage& source, int width, int height)
{
    const QImage gray = source.convertToFormat(QImage::Format_Grayscale8);
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inside = x < gray.width() && y < gray.height();
            const bool light = inside && gray.constScanLine(y)[x] >= 128;
            mask.setPixel(x, y, light ? 1 : 0);
        }
    }
    return mask;
}

} // namespace

TImageList::TImageList(int width, int height) : width_(width), height_(height)
{
}

bool TImageList::load(const QString& image_path, const QString& mask_path)
{
    const QImage sheet(image_path);
    const QImage mask_sheet(mask_path);
    if (sheet.isNull() || mask_sheet.isNull() || width_ <= 0 || height_ <= 0)
        return false;
    if (sheet.width() != kImagesPerRow * width_ || sheet.height() % height_ != 0 || sheet.height() == 0)
        return false;
    if (mask_sheet.size() != sheet.size())
        return false;
    const int blocks = sheet.height() / height_;
    for (int block = 0; block < blocks; ++block) {
        for (int column = 0; column < kImagesPerRow; ++column) {
            const QRect cell(column * width_, block * height_, width_, height_);
            add(sheet.copy(cell), mask_sheet.copy(cell));
        }
    }
    return true;
}

void TImageList::add(const QImage& image, const QImage& mask)
{
    QImage opaque(width_, height_, QImage::Format_ARGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image.convertToFormat(QImage::Format_RGB32));
    }
    images_.push_back(opaque);
    masks_.push_back(normalise_mask(mask, width_, height_));
}

void TImageList::clear()
{
    images_.clear();
    masks_.clear();
}

int TImageList::transparent_pixels(int index) const
{
    const QImage& m = masks_.at(index);
    int count = 0;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            count += m.pixelIndex(x, y);
    return count;
}

void TImageList::draw(QPainter& painter, int x, int y, int index) const
{
    if (index < 0 || index >= count())
        return;
    QImage face = images_[index];
    const QImage& m = masks_[index];
    for (int row = 0; row < height_; ++row) {
        auto* line = reinterpret_cast<QRgb*>(face.scanLine(row));
        for (int column = 0; column < width_; ++column)
            if (m.pixelIndex(column, row) == 1)
                line[column] = qRgba(0, 0, 0, 0);
    }
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(x, y, face);
    painter.setCompositionMode(previous);
}

} // namespace ornavox
