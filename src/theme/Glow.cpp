#include "theme/Glow.h"

#include "theme/Theme.h"

#include <QGraphicsDropShadowEffect>
#include <QWidget>

namespace panemark {

void Glow::apply(QWidget& widget, const QColor& color, double radius, double opacity) {
    auto* glow = new QGraphicsDropShadowEffect(&widget);
    glow->setColor(Theme::withOpacity(color, opacity));
    glow->setBlurRadius(radius);
    glow->setOffset(0, 0);
    widget.setGraphicsEffect(glow);
}

} // namespace panemark
