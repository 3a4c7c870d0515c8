#include "tools/skin_generator/background.h"

#include "tools/skin_generator/drawing.h"
#include "tools/skin_generator/palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdint>

namespace ornavox::skin_generator {

namespace {

constexpr int kWidth = 351;
constexpr int kHeight = 124;

// Value noise from an integer hash: the same picture on every machine.
double lattice(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffu) / 65535.0;
}

double smooth_noise(double x, double y)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = lattice(x0, y0) + (lattice(x0 + 1, y0) - lattice(x0, y0)) * sx;
    const double bottom = lattice(x0, y0 + 1) + (lattice(x0 + 1, y0 + 1) - lattice(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

double turbulence(double x, double y)
{
    double sum = 0, scale = 1;
    for (int octave = 0; octave < 5; ++octave) {
        sum += std::abs(smooth_noise(x / scale, y / scale) - 0.5) * scale;
        scale *= 2;
    }
    return sum / 31.0;
}

// Soft clouds with thin veins running diagonally across the face.
void draw_marble(QImage& image)
{
    const QColor base(252, 226, 202), vein(214, 168, 134), light(255, 244, 232);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double t = turbulence(x * 0.55 + 40, y * 0.55 + 17);
            const double v = std::abs(std::sin(x * 0.021 + y * 0.034 + 7.5 * t));
            const double veins = std::pow(1.0 - v, 9.0);
            const double fine = std::pow(1.0 - std::abs(std::sin(x * 0.05 - y * 0.02 + 5.0 * t)), 14.0);
            const double cloud = smooth_noise(x / 31.0 + 5, y / 27.0 + 9);
            QColor c = mix(base, light, cloud * 0.8);
            c = mix(c, vein, veins * 0.65 + fine * 0.3);
            image.setPixel(x, y, c.rgb());
        }
    }
}

// A raised rim around the whole window.
void draw_frame(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(150, 104, 72));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    p.setPen(QColor(255, 250, 244));
    p.drawLine(1, 1, kWidth - 3, 1);
    p.drawLine(1, 1, 1, kHeight - 3);
    p.setPen(QColor(205, 160, 126));
    p.drawLine(2, kHeight - 2, kWidth - 2, kHeight - 2);
    p.drawLine(kWidth - 2, 2, kWidth - 2, kHeight - 2);
}

// A hollow pressed into the surface: dark upper left edge, light lower right.
void draw_recess(QPainter& p, const QPainterPath& shape, const QColor& fill)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 244));
    p.drawPath(shape.translated(0.8, 0.8));
    p.setBrush(QColor(120, 80, 52, 200));
    p.drawPath(shape.translated(-0.8, -0.8));
    p.setBrush(fill);
    p.drawPath(shape);
}

QPainterPath rounded(const QRectF& r, double rx, double ry)
{
    QPainterPath path;
    path.addRoundedRect(r, rx, ry, Qt::AbsoluteSize);
    return path;
}

QPainterPath disc(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

void draw_slots(QPainter& p)
{
    for (int left : {20, 86, 152, 218})
        draw_recess(p, rounded(QRectF(left - 1, 2, 66, 22), 11.5, 10.5), QColor(196, 146, 110));
}

void draw_lamps(QPainter& p)
{
    const std::array<QColor, 3> colours{QColor(58, 186, 88), QColor(240, 196, 40), QColor(222, 62, 50)};
    const std::array<int, 3> lefts{286, 306, 326};
    for (std::size_t i = 0; i < 3; ++i) {
        const QPointF centre(lefts[i] + 9.0, 5 + 9.0);
        draw_recess(p, disc(centre, 10.0), QColor(180, 132, 98));
        QRadialGradient glow(centre - QPointF(3, 3), 11);
        glow.setColorAt(0, mix(colours[i], QColor(255, 255, 255), 0.6));
        glow.setColorAt(1, scaled(colours[i], 0.75));
        p.setBrush(glow);
        p.setPen(QPen(scaled(colours[i], 0.5), 1.0));
        p.drawEllipse(centre, 8.6, 8.6);
    }
}

void draw_display(QPainter& p)
{
    const QRectF field(10, 27, 335, 64);
    const QPainterPath shape = rounded(field, 9, 9);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 244));
    p.drawPath(shape.translated(1.0, 1.0));
    p.setBrush(QColor(110, 70, 44));
    p.drawPath(shape.translated(-1.0, -1.0));
    QLinearGradient glass(0, field.top(), 0, field.bottom());
    glass.setColorAt(0.0, QColor(22, 30, 40));
    glass.setColorAt(0.5, QColor(32, 44, 56));
    glass.setColorAt(1.0, QColor(24, 33, 43));
    p.setBrush(glass);
    p.drawPath(shape);
    // Inner shadow along the top edge, and a faint reflection.
    p.setClipPath(shape);
    QLinearGradient shade(0, field.top(), 0, field.top() + 6);
    shade.setColorAt(0, QColor(0, 0, 0, 120));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shade);
    p.drawRect(field);
    QPainterPath sheen;
    sheen.moveTo(field.left(), field.top() + 4);
    sheen.lineTo(field.right() - 90, field.top() + 4);
    sheen.cubicTo(field.right() - 150, field.top() + 18, field.left() + 120, field.top() + 26, field.left(),
                  field.top() + 30);
    sheen.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 14));
    p.drawPath(sheen);
    // The blue status word sits on a pale chip so that it reads on the glass.
    QLinearGradient chip(0, 47, 0, 64);
    chip.setColorAt(0, QColor(226, 234, 242));
    chip.setColorAt(1, QColor(196, 208, 220));
    p.setBrush(chip);
    p.setPen(QPen(QColor(120, 136, 150), 1.0));
    p.drawRoundedRect(QRectF(215.5, 47.5, 76, 16), 4, 4);
    p.setClipping(false);
}

void draw_wells(QPainter& p)
{
    const std::array<QPoint, 6> buttons{QPoint(193, 94), QPoint(219, 94), QPoint(244, 93),
                                        QPoint(271, 94), QPoint(297, 94), QPoint(323, 94)};
    for (const QPoint& b : buttons) {
        const QPointF centre(b.x() + 12.0, b.y() + 12.0);
        draw_recess(p, disc(centre, 13.2), QColor(190, 138, 102));
    }
}

// A treble clef, engraved: a light line under a dark one.
void draw_clef(QPainter& p)
{
    QPainterPath clef;
    clef.moveTo(5.6, 24.6);
    clef.cubicTo(7.6, 25.2, 8.4, 23.2, 8.1, 20.5);
    clef.lineTo(6.6, 6.2);
    clef.cubicTo(6.4, 3.0, 7.6, 0.6, 9.0, 1.0);
    clef.cubicTo(10.6, 1.6, 10.2, 5.2, 8.2, 7.6);
    clef.cubicTo(5.0, 11.2, 2.4, 13.2, 2.4, 16.6);
    clef.cubicTo(2.4, 20.4, 5.8, 21.6, 8.4, 21.1);
    clef.cubicTo(11.4, 20.5, 12.0, 17.2, 11.4, 15.6);
    clef.cubicTo(10.8, 13.6, 8.8, 12.8, 7.4, 13.2);
    clef.cubicTo(5.4, 13.8, 5.0, 16.0, 6.0, 17.2);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(3.0, 1.0);
    const QColor engraved(255, 248, 240), ink(112, 66, 40);
    for (const auto& [shift, colour] : {std::pair{QPointF(0.7, 0.7), engraved}, std::pair{QPointF(0, 0), ink}}) {
        p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(clef.translated(shift));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(QPointF(4.6, 24.2) + shift, 1.6, 1.6);
    }
    p.restore();
}

} // namespace

QImage draw_background()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    draw_marble(image);
    QPainter p(&image);
    draw_frame(p);
    draw_slots(p);
    draw_lamps(p);
    draw_display(p);
    draw_wells(p);
    draw_clef(p);
    return image;
}

} // namespace ornavox::skin_generator
