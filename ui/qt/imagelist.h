#pragma once

#include <QImage>
#include <QPoint>
#include <vector>

class QPainter;

namespace ornavox {

// Images of one size, each with a one-bit mask (1 = transparent). Drawn in the
// list's normal style: masked pixels leave what is beneath unchanged.
class TImageList {
public:
    TImageList(int width, int height);

    // Takes a sheet four images wide, one block of four per row, and a mask
    // sheet of the same layout (black = opaque, white = transparent). Appends
    // every image; false (nothing appended) when a sheet is null or its size
    // does not fit the layout.
    bool load(const QImage& sheet, const QImage& mask_sheet);
    void add(const QImage& image, const QImage& mask);
    void clear();

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return static_cast<int>(images_.size()); }
    const QImage& image(int index) const { return images_.at(index); }
    const QImage& mask(int index) const { return masks_.at(index); }
    int transparent_pixels(int index) const;

    // Draws image `index` with its top-left corner at (x, y). An index outside
    // the list draws nothing.
    void draw(QPainter& painter, int x, int y, int index) const;

private:
    void append(const QImage& colours, const QImage& mask_colours, QPoint at);

    int width_;
    int height_;
    std::vector<QImage> images_; // ARGB32, opaque
    std::vector<QImage> masks_;  // Format_Mono
    std::vector<QImage> faces_;  // premultiplied, masked pixels transparent
};

} // namespace ornavox
