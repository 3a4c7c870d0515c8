#include "tools/skin_generator/image_lists.h"

#include "tools/skin_generator/drawing.h"
#include "tools/skin_generator/palette.h"
#include "tools/skin_generator/shapes.h"

#include <QLinearGradient>
#include <QPainter>

#include <array>
#include <cmath>
#include <functional>

namespace ornavox::skin_generator {

namespace {

constexpr int kFaces = 4;

QImage white_image(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A dome lit from the top left; pressed, it is darker and lit from the
// bottom right, so that it reads as pushed in.
QImage dome_face(const QImage& mask, QColor light, QColor dark, QColor rim, bool pressed)
{
    const double size = mask.width();
    const double radius = size / 2.0;
    if (pressed) {
        light = scaled(light, 0.86);
        dark = scaled(dark, 0.8);
        rim = scaled(rim, 0.8);
    }
    const double lit = pressed ? 0.3 : -0.35;
    const QPointF highlight(radius + lit * radius, radius + lit * radius);
    QImage image = white_image(mask.width(), mask.height());
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (!is_opaque(mask, x, y))
                continue;
            QColor c;
            if (on_rim(mask, x, y)) {
                c = rim;
            } else {
                const double d = std::hypot(x + 0.5 - highlight.x(), y + 0.5 - highlight.y()) / (1.45 * radius);
                c = mix(light, dark, std::pow(std::min(d, 1.0), 1.4));
            }
            image.setPixel(x, y, c.rgb());
        }
    }
    return image;
}

// A pill lit from above, with a glossy upper half; pressed, the light comes
// from below and the face is darker.
QImage pill_face(const QImage& mask, bool pressed)
{
    QColor top(255, 242, 228), middle(246, 214, 184), bottom(206, 156, 116), rim = colour::bronze_rim;
    if (pressed) {
        std::swap(top, bottom);
        top = scaled(top, 0.85);
        middle = scaled(middle, 0.85);
        bottom = scaled(bottom, 0.9);
        rim = scaled(rim, 0.8);
    }
    QImage image = white_image(mask.width(), mask.height());
    const double h = mask.height();
    for (int y = 0; y < mask.height(); ++y) {
        const double t = (y + 0.5) / h;
        QColor c = t < 0.5 ? mix(top, middle, t * 2) : mix(middle, bottom, (t - 0.5) * 2);
        if (!pressed && t < 0.45)
            c = mix(c, QColor(255, 255, 255), 0.25 * (1.0 - t / 0.45));
        for (int x = 0; x < mask.width(); ++x) {
            if (!is_opaque(mask, x, y))
                continue;
            image.setPixel(x, y, on_rim(mask, x, y) ? rim.rgb() : c.rgb());
        }
    }
    return image;
}

struct SymbolSet {
    std::function<QPainterPath(int block)> path;
    std::function<QColor(int block, Face face)> colour;
};

QPainterPath circle(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath stroke(const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath list1_symbol(int block)
{
    QPainterPath path;
    switch (block) {
    case 0: { // play
        path.moveTo(9.2, 6.6);
        path.lineTo(18.2, 12.0);
        path.lineTo(9.2, 17.4);
        path.closeSubpath();
        break;
    }
    case 1: // pause
        path.addRoundedRect(QRectF(7.6, 7.0, 3.4, 10.0), 0.8, 0.8);
        path.addRoundedRect(QRectF(13.0, 7.0, 3.4, 10.0), 0.8, 0.8);
        break;
    case 2: // record
        path = circle({12.0, 12.0}, 5.2);
        break;
    case 3: // stop
        path.addRoundedRect(QRectF(7.5, 7.5, 9.0, 9.0), 1.2, 1.2);
        break;
    case 4: { // information
        path = circle({12.0, 6.9}, 1.8);
        QPainterPath stem;
        stem.addRect(QRectF(10.8, 10.0, 2.6, 7.0));
        stem.addRect(QRectF(9.7, 10.0, 2.0, 1.4));
        stem.addRect(QRectF(9.6, 16.4, 5.0, 1.5));
        path = path.united(stem.simplified());
        break;
    }
    case 5: { // web: a magnifying glass whose handle runs into the corner
        QPainterPath ring = circle({10.0, 10.0}, 5.6).subtracted(circle({10.0, 10.0}, 3.6));
        QPainterPath handle;
        handle.moveTo(13.9, 13.9);
        handle.lineTo(25.0, 25.0);
        path = ring.united(stroke(handle, 3.3, Qt::FlatCap));
        break;
    }
    case 6: { // output file: a sheet with a folded corner and lines of text
        QPainterPath sheet;
        sheet.moveTo(7.2, 4.8);
        sheet.lineTo(13.8, 4.8);
        sheet.lineTo(17.2, 8.2);
        sheet.lineTo(17.2, 19.2);
        sheet.lineTo(7.2, 19.2);
        sheet.closeSubpath();
        QPainterPath fold;
        fold.moveTo(13.8, 4.8);
        fold.lineTo(13.8, 8.2);
        fold.lineTo(17.2, 8.2);
        QPainterPath lines;
        for (double y : {11.0, 13.6, 16.2}) {
            lines.moveTo(9.4, y);
            lines.lineTo(15.0, y);
        }
        path = stroke(sheet, 1.4).united(stroke(fold, 1.2)).united(stroke(lines, 1.2, Qt::FlatCap));
        break;
    }
    default:
        break;
    }
    return path;
}

QColor list1_colour(int block, Face face)
{
    if (face == Face::normal)
        return colour::black;
    if (face == Face::spare)
        return colour::grey;
    switch (block) {
    case 0:
    case 1:
        return colour::green;
    case 3:
        return colour::blue;
    default:
        return colour::red;
    }
}

void add_face(ImageListArt& art, QImage image, const QImage& mask)
{
    finish_face(image, mask);
    art.images.push_back(image);
    art.masks.push_back(mask);
}

QPointF pressed_shift(Face face)
{
    return face == Face::pressed ? QPointF(1, 1) : QPointF(0, 0);
}

} // namespace

QImage ImageListArt::sheet() const
{
    const int rows = static_cast<int>(images.size()) / kFaces;
    QImage out = white_image(image_width * kFaces, image_height * rows);
    QPainter painter(&out);
    for (std::size_t i = 0; i < images.size(); ++i)
        painter.drawImage(static_cast<int>(i % kFaces) * image_width, static_cast<int>(i / kFaces) * image_height,
                          images[i]);
    return out;
}

QImage ImageListArt::mask_sheet() const
{
    const int rows = static_cast<int>(masks.size()) / kFaces;
    QImage out(image_width * kFaces, image_height * rows, QImage::Format_Mono);
    out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    out.fill(0);
    for (std::size_t i = 0; i < masks.size(); ++i) {
        const int left = static_cast<int>(i % kFaces) * image_width;
        const int top = static_cast<int>(i / kFaces) * image_height;
        for (int y = 0; y < image_height; ++y)
            for (int x = 0; x < image_width; ++x)
                out.setPixel(left + x, top + y, masks[i].pixelIndex(x, y));
    }
    return out;
}

ImageListArt draw_image_list1()
{
    constexpr int size = 24;
    constexpr int blocks = 7;
    constexpr int web_block = 5;
    ImageListArt art{size, size, {}, {}};
    const QImage round = round_mask(size, 140);
    const QImage round_with_handle = round_mask_with_handle(size, 140);
    const QColor light(255, 247, 236), dark(212, 166, 126);
    for (int block = 0; block < blocks; ++block) {
        const QImage& mask = block == web_block ? round_with_handle : round;
        for (int f = 0; f < kFaces; ++f) {
            const Face face = static_cast<Face>(f);
            const bool pressed = face == Face::pressed;
            QImage image = dome_face(mask, light, dark, colour::bronze_rim, pressed);
            QPainterPath symbol = list1_symbol(block).translated(pressed_shift(face));
            draw_symbol(image, mask, symbol, list1_colour(block, face), face == Face::normal);
            add_face(art, image, mask);
        }
    }
    return art;
}

ImageListArt draw_image_list3()
{
    constexpr int width = 64, height = 20;
    ImageListArt art{width, height, {}, {}};
    const QImage mask = rounded_rect_mask(width, height, 11.0, 9.5);
    const std::array<QString, 5> words{"MENU", "Mixer", "Music", "Voice", "Options"};
    for (const QString& word : words) {
        for (int f = 0; f < kFaces; ++f) {
            const Face face = static_cast<Face>(f);
            QImage image = pill_face(mask, face == Face::pressed);
            const QColor ink = face == Face::normal ? colour::black
                : face == Face::spare               ? colour::white
                                                    : colour::blue;
            const QPainterPath text = text_path(word, QStringLiteral("Liberation Sans"), 12, true, false,
                                                QPointF(width / 2.0, height / 2.0) + pressed_shift(face));
            draw_symbol(image, mask, text, ink, face == Face::normal);
            add_face(art, image, mask);
        }
    }
    return art;
}

ImageListArt draw_image_list4()
{
    constexpr int size = 18;
    ImageListArt art{size, size, {}, {}};
    const QImage mask = round_mask(size, 88);
    struct Ball {
        QColor base;
        QColor hover;
    };
    const std::array<Ball, 3> balls{Ball{QColor(58, 186, 88), colour::yellow}, Ball{QColor(240, 196, 40), colour::blue},
                                    Ball{QColor(222, 62, 50), colour::white}};
    for (int block = 0; block < 3; ++block) {
        QPainterPath symbol;
        if (block == 0) {
            symbol = text_path(QStringLiteral("?"), QStringLiteral("DejaVu Sans"), 14, true, false, {9.0, 9.0});
        } else if (block == 1) {
            symbol.moveTo(9.0, 14.2);
            symbol.lineTo(4.2, 9.0);
            symbol.lineTo(7.3, 9.0);
            symbol.lineTo(7.3, 3.8);
            symbol.lineTo(10.7, 3.8);
            symbol.lineTo(10.7, 9.0);
            symbol.lineTo(13.8, 9.0);
            symbol.closeSubpath();
        } else {
            QPainterPath cross;
            cross.moveTo(5.6, 5.6);
            cross.lineTo(12.4, 12.4);
            cross.moveTo(12.4, 5.6);
            cross.lineTo(5.6, 12.4);
            symbol = stroke(cross, 2.6);
        }
        const Ball& ball = balls[static_cast<std::size_t>(block)];
        for (int f = 0; f < kFaces; ++f) {
            // The spare image repeats the normal one.
            const Face face = static_cast<Face>(f) == Face::spare ? Face::normal : static_cast<Face>(f);
            QImage image = dome_face(mask, mix(ball.base, QColor(255, 255, 255), 0.65), scaled(ball.base, 0.7),
                                     scaled(ball.base, 0.5), face == Face::pressed);
            draw_symbol(image, mask, symbol.translated(pressed_shift(face)),
                        face == Face::normal ? colour::black : ball.hover, face == Face::normal);
            add_face(art, image, mask);
        }
    }
    return art;
}

namespace {

// The product's name in an italic serif after a small sound-wave ornament.
QPainterPath banner_lettering()
{
    QPainterPath path =
        text_path(QStringLiteral("Ornavox"), QStringLiteral("Liberation Serif"), 28, true, true, QPointF(104.0, 13.5));
    const std::array<double, 5> heights{6.0, 12.0, 18.0, 11.0, 5.0};
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const double x = 18.0 + 5.0 * static_cast<double>(i);
        path.addRoundedRect(QRectF(x, 13.5 - heights[i] / 2.0, 3.0, heights[i]), 1.5, 1.5);
    }
    return path.simplified();
}

struct Lettering {
    QColor top;
    QColor bottom;
    QColor outline;
    QColor glow; // transparent for none
    QPointF shift;
};

QImage banner_face(const QPainterPath& letters, const Lettering& style, int width, int height)
{
    QImage image = white_image(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = letters.translated(style.shift);
    if (style.glow.alpha() > 0) {
        for (int width_px : {9, 7, 5, 3}) {
            QColor c = style.glow;
            c.setAlpha(style.glow.alpha() / 3 + (9 - width_px) * 8);
            painter.setPen(QPen(c, width_px, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 60));
        painter.drawPath(path.translated(1.2, 1.4));
    }
    QLinearGradient fill(0, path.boundingRect().top(), 0, path.boundingRect().bottom());
    fill.setColorAt(0.0, style.top);
    fill.setColorAt(1.0, style.bottom);
    painter.setPen(QPen(style.outline, 1.0));
    painter.setBrush(fill);
    painter.drawPath(path);
    return image;
}

} // namespace

ImageListArt draw_image_list2()
{
    constexpr int width = 186, height = 29;
    ImageListArt art{width, height, {}, {}};
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    const QPainterPath letters = banner_lettering();
    const std::array<Lettering, kFaces> styles{
        Lettering{QColor(40, 176, 170), QColor(0, 104, 108), QColor(0, 70, 74), QColor(0, 0, 0, 0), {0, 0}},
        Lettering{QColor(255, 214, 90), colour::orange, QColor(196, 84, 0), QColor(255, 150, 30, 150), {0, 0}},
        Lettering{QColor(214, 92, 0), QColor(255, 172, 64), QColor(150, 60, 0), QColor(255, 150, 30, 90), {1, 1}},
        Lettering{QColor(190, 130, 240), colour::violet, QColor(84, 30, 130), QColor(0, 0, 0, 0), {0, 0}},
    };
    for (const Lettering& style : styles) {
        QImage image = banner_face(letters, style, width, height);
        art.images.push_back(image);
        art.masks.push_back(mask);
    }
    return art;
}

} // namespace ornavox::skin_generator
