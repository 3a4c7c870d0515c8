#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QString>

namespace ornavox::skin_generator {

QColor mix(const QColor& a, const QColor& b, double t);
QColor scaled(const QColor& c, double factor);

// The opaque pixels of a mask (index 0) as a clip region.
QRegion opaque_region(const QImage& mask);

// Pixels of the shape that touch a masked pixel or the image's edge.
bool on_rim(const QImage& mask, int x, int y);

// Sets masked pixels to pure white and turns pure white inside the shape
// into a near white, so that only the outside is see-through.
void finish_face(QImage& image, const QImage& mask);

// `text` as an outline in the named family, centred on `centre`.
QPainterPath text_path(const QString& text, const QString& family, int pixel_size, bool bold, bool italic,
                       QPointF centre);

// Fills `path` in `colour`, over a soft shadow for coloured faces or over a
// light engraving for black ones, clipped to the shape.
void draw_symbol(QImage& image, const QImage& mask, const QPainterPath& path, const QColor& colour, bool engraved);

} // namespace ornavox::skin_generator
