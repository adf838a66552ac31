#pragma once

#include <QColor>
#include <QWidget>

class QPainter;
class QRectF;

namespace panemark {

// A rule one point high across the full width.
class TerminalDivider : public QWidget {
public:
    explicit TerminalDivider(const QColor& color, QWidget* parent = nullptr);

    // Four L-shaped brackets, one per corner of rect, each two strokes of len meeting inset in
    // from both edges.
    static void drawCornerBrackets(QPainter& painter, const QRectF& rect, const QColor& color,
                                   double len, double inset, double lineWidth);
};

} // namespace panemark
