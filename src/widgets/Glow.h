#pragma once

#include <QColor>

class QPainter;
class QRectF;
class QWidget;

namespace panemark {

// A soft halo of a colour around what a widget draws: a shadow with no offset. Titles glow in
// phosphor at opacity 0.5 with radius 5.
class Glow {
public:
    static void apply(QWidget& widget, const QColor& color, double radius, double opacity);
    // A painted halo around a rounded rectangle: `rings` strokes of phosphor, each ringWidth
    // wider and fainter than the last, from `opacity` at the edge. Drawn before the shape.
    static void paintRings(QPainter& painter, const QRectF& rect, double cornerRadius, int rings,
                           double ringWidth, double opacity);
};

} // namespace panemark
