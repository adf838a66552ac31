#include "widgets/Theme.h"

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

QPalette windowPalette() {
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, bg);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, sunken);
        palette.setColor(group, QPalette::AlternateBase, raised);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, raised);
        palette.setColor(group, QPalette::ButtonText, textBright);
        palette.setColor(group, QPalette::Highlight, phosphor);
        palette.setColor(group, QPalette::HighlightedText, onPhosphor);
        palette.setColor(group, QPalette::PlaceholderText, textDim);
        palette.setColor(group, QPalette::ToolTipBase, raised);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::Link, textDim);
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, textFaint);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, textFaint);
    return palette;
}

} // namespace panemark::Theme
