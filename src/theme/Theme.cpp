#include "theme/Theme.h"

namespace panemark::Theme {

QColor withOpacity(const QColor& color, double opacity) {
    QColor faded = color;
    faded.setAlphaF(static_cast<float>(opacity));
    return faded;
}

QColor warnWash() {
    return withOpacity(warn, 0.1);
}

QColor warnRule() {
    return withOpacity(warn, 0.4);
}

QLinearGradient phosphorBar(const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, phosphor);
    gradient.setColorAt(1, QColor(33, 194, 74));
    return gradient;
}

QLinearGradient cellSelected(const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, phosphor);
    gradient.setColorAt(1, QColor(22, 181, 58));
    return gradient;
}

} // namespace panemark::Theme
