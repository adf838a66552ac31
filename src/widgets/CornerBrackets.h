#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace panemark {

// Four L-shaped brackets, one per corner of a rectangle, each two strokes of len meeting inset
// in from both edges: the frame of a terminal screen.
struct CornerBrackets {
    QColor color;
    double len = 10;
    double inset = 6;
    double lineWidth = 1;

    void paint(QPainter& painter, const QRectF& rect) const;
};

} // namespace panemark
