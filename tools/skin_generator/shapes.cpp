#include "tools/skin_generator/shapes.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>
#include <string>

namespace ornavox::skin_generator {

namespace {

QImage empty_mask(int width, int height)
{
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    return mask;
}

// Squared distance of a pixel's centre from the square's centre, doubled
// twice so that it is an integer: (2dx)^2 + (2dy)^2.
int distance4(int size, int x, int y)
{
    const int dx = 2 * x + 1 - size;
    const int dy = 2 * y + 1 - size;
    return dx * dx + dy * dy;
}

} // namespace

QImage round_mask(int size, int transparent)
{
    // Rings of equal distance are masked from the outside in; when the last
    // ring would overshoot, only its pixels that lie nearer the left and right
    // edges than the top and bottom ones are taken, which keeps both mirror
    // symmetries.
    std::set<int, std::greater<>> rings;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            rings.insert(distance4(size, x, y));
    QImage mask = empty_mask(size, size);
    int count = 0;
    for (int ring : rings) {
        int in_ring = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                in_ring += distance4(size, x, y) == ring;
        const bool whole = count + in_ring <= transparent;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (distance4(size, x, y) != ring)
                    continue;
                const int dx = std::abs(2 * x + 1 - size);
                const int dy = std::abs(2 * y + 1 - size);
                if (whole || dx > dy) {
                    mask.setPixel(x, y, 1);
                    ++count;
                }
            }
        }
        if (count >= transparent)
            break;
    }
    if (count != transparent)
        throw std::runtime_error("no symmetric disc of size " + std::to_string(size) + " leaves "
                                 + std::to_string(transparent) + " pixels outside");
    return mask;
}

QImage rounded_rect_mask(int width, int height, double rx, double ry)
{
    QImage mask = empty_mask(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Distance into the corner, measured from the nearer edges.
            const double cx = std::min(x + 0.5, width - (x + 0.5));
            const double cy = std::min(y + 0.5, height - (y + 0.5));
            if (cx >= rx || cy >= ry)
                continue;
            const double ex = (cx - rx) / rx;
            const double ey = (cy - ry) / ry;
            if (ex * ex + ey * ey > 1.0)
                mask.setPixel(x, y, 1);
        }
    }
    return mask;
}

QImage round_mask_with_handle(int size, int transparent)
{
    QImage mask = round_mask(size, transparent);
    for (int y = size / 2; y < size; ++y)
        for (int x = size / 2; x < size; ++x)
            if (std::abs(x - y) <= 1)
                mask.setPixel(x, y, 0);
    return mask;
}

int transparent_count(const QImage& mask)
{
    int count = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            count += mask.pixelIndex(x, y);
    return count;
}

bool is_opaque(const QImage& mask, int x, int y)
{
    return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() && mask.pixelIndex(x, y) == 0;
}

} // namespace ornavox::skin_generator
