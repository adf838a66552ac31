#include "widgets/CornerBrackets.h"

#include <QPainter>

namespace panemark {

void CornerBrackets::paint(QPainter& painter, const QRectF& rect) const {
    painter.save();
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    const double left = rect.left() + inset;
    const double right = rect.right() - inset;
    const double top = rect.top() + inset;
    const double bottom = rect.bottom() - inset;
    const struct {
        double x, y, dx, dy;
    } corners[] = {
        {left, top, 1, 1}, {right, top, -1, 1}, {left, bottom, 1, -1}, {right, bottom, -1, -1}};
    for (const auto& corner : corners) {
        painter.drawLine(QPointF(corner.x, corner.y),
                         QPointF(corner.x + corner.dx * len, corner.y));
        painter.drawLine(QPointF(corner.x, corner.y),
                         QPointF(corner.x, corner.y + corner.dy * len));
    }
    painter.restore();
}

} // namespace panemark
