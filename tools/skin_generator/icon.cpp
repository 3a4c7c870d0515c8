#include "tools/skin_generator/icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <limits>

namespace ornavox::skin_generator {

namespace {

const QList<QRgb> kPalette{
    qRgb(0, 0, 0),       qRgb(36, 38, 46),    qRgb(86, 90, 102),   qRgb(136, 142, 154),
    qRgb(186, 192, 202), qRgb(232, 236, 242), qRgb(255, 255, 255), qRgb(110, 0, 0),
    qRgb(196, 18, 18),   qRgb(250, 76, 64),   qRgb(255, 168, 156), qRgb(0, 104, 108),
    qRgb(0, 168, 166),   qRgb(255, 150, 40),  qRgb(250, 222, 192), qRgb(168, 108, 68),
};

int nearest(QRgb c)
{
    int best = 1;
    int best_distance = std::numeric_limits<int>::max();
    for (int i = 1; i < kPalette.size(); ++i) {
        const int dr = qRed(c) - qRed(kPalette[i]);
        const int dg = qGreen(c) - qGreen(kPalette[i]);
        const int db = qBlue(c) - qBlue(kPalette[i]);
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < best_distance) {
            best_distance = d;
            best = i;
        }
    }
    return best;
}

} // namespace

// Drawn on a grid of 32 x 32, scaled to `size`.
QImage draw_theme_icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Microphone: a rounded capsule with a grille, in a U-shaped holder.
    QLinearGradient metal(7, 0, 19, 0);
    metal.setColorAt(0, QColor(236, 240, 246));
    metal.setColorAt(0.45, QColor(180, 186, 198));
    metal.setColorAt(1, QColor(84, 88, 100));
    p.setPen(QPen(QColor(36, 38, 46), 1.2));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(7.5, 2.5, 11, 17), 5.5, 5.5);
    p.setPen(QPen(QColor(86, 90, 102), 1.0));
    for (double y : {7.0, 10.0, 13.0})
        p.drawLine(QPointF(9.5, y), QPointF(16.5, y));
    QPainterPath holder;
    holder.moveTo(4.5, 12);
    holder.cubicTo(4.5, 22, 21.5, 22, 21.5, 12);
    p.setPen(QPen(QColor(36, 38, 46), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(holder);
    p.drawLine(QPointF(13, 21.5), QPointF(13, 26.5));
    p.drawLine(QPointF(8.5, 27.5), QPointF(17.5, 27.5));

    // The record dot.
    QRadialGradient dot(QPointF(22.5, 21.5), 8);
    dot.setColorAt(0, QColor(255, 168, 156));
    dot.setColorAt(0.45, QColor(250, 76, 64));
    dot.setColorAt(1, QColor(196, 18, 18));
    p.setPen(QPen(QColor(110, 0, 0), 1.0));
    p.setBrush(dot);
    p.drawEllipse(QPointF(24, 24), 6.5, 6.5);
    return image;
}

QImage draw_icon()
{
    const QImage source = draw_theme_icon(32);
    QImage indexed(32, 32, QImage::Format_Indexed8);
    indexed.setColorTable(kPalette);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = source.pixel(x, y);
            if (qAlpha(c) < 128) {
                indexed.setPixel(x, y, 0);
                continue;
            }
            // Anti-aliased edges are blended over white before a colour is chosen.
            const double a = qAlpha(c) / 255.0;
            const auto over_white = [a](int v) { return static_cast<int>(v * a + 255 * (1 - a) + 0.5); };
            indexed.setPixel(x, y, nearest(qRgb(over_white(qRed(c)), over_white(qGreen(c)), over_white(qBlue(c)))));
        }
    }
    return indexed;
}

} // namespace ornavox::skin_generator
