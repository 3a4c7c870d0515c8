#include "tools/skin_generator/drawing.h"

#include "tools/skin_generator/shapes.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace ornavox::skin_generator {

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor scaled(const QColor& c, double factor)
{
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.redF() * factor, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.greenF() * factor, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blueF() * factor, 0.0, 1.0)));
}

QRegion opaque_region(const QImage& mask)
{
    QRegion region;
    for (int y = 0; y < mask.height(); ++y) {
        int x = 0;
        while (x < mask.width()) {
            if (!is_opaque(mask, x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < mask.width() && is_opaque(mask, x, y))
                ++x;
            region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

bool on_rim(const QImage& mask, int x, int y)
{
    return is_opaque(mask, x, y)
        && (!is_opaque(mask, x - 1, y) || !is_opaque(mask, x + 1, y) || !is_opaque(mask, x, y - 1)
            || !is_opaque(mask, x, y + 1));
}

void finish_face(QImage& image, const QImage& mask)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!is_opaque(mask, x, y))
                line[x] = qRgb(255, 255, 255);
            else if ((line[x] & 0xffffffu) == 0xffffffu)
                line[x] = qRgb(254, 254, 254);
        }
    }
}

QPainterPath text_path(const QString& text, const QString& family, int pixel_size, bool bold, bool italic,
                       QPointF centre)
{
    QFont font(family);
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(true);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    return path;
}

void draw_symbol(QImage& image, const QImage& mask, const QPainterPath& path, const QColor& colour, bool engraved)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRegion(opaque_region(mask));
    painter.setPen(Qt::NoPen);
    if (engraved) {
        painter.setBrush(QColor(255, 255, 255, 150));
        painter.drawPath(path.translated(0.6, 0.7));
    } else {
        painter.setBrush(QColor(0, 0, 0, 70));
        painter.drawPath(path.translated(0.8, 0.9));
    }
    painter.setBrush(colour);
    painter.drawPath(path);
}

} // namespace ornavox::skin_generator
