#include "widgets/Glow.h"

#include "widgets/Theme.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QWidget>

namespace panemark {

void Glow::apply(QWidget& widget, const QColor& color, double radius, double opacity) {
    auto* glow = new QGraphicsDropShadowEffect(&widget);
    glow->setColor(Theme::withOpacity(color, opacity));
    glow->setBlurRadius(radius);
    glow->setOffset(0, 0);
    widget.setGraphicsEffect(glow);
}

void Glow::paintRings(QPainter& painter, const QRectF& rect, double cornerRadius, int rings,
                      double ringWidth, double opacity) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int ring = rings; ring >= 1; --ring) {
        painter.setPen(
            QPen(Theme::withOpacity(Theme::phosphor, opacity / (ring + 1)), ring * ringWidth));
        painter.drawRoundedRect(rect, cornerRadius, cornerRadius);
    }
    painter.restore();
}

} // namespace panemark
