#include "theme/TerminalDivider.h"

#include <QPainter>

namespace panemark {

TerminalDivider::TerminalDivider(const QColor& color, QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
}

void TerminalDivider::drawCornerBrackets(QPainter& painter, const QRectF& rect, const QColor& color,
                                         double len, double inset, double lineWidth) {
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
