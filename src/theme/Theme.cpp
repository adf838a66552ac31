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

QString menuStyle() {
    return "QMenu { background: " + sunken.name() + "; color: " + text.name() +
           "; border: 1px solid " + line.name() +
           "; padding: 4px 0; } QMenu::item { padding: 4px 18px 4px 12px; }"
           "QMenu::item:selected { background: " +
           phosphor.name() + "; color: " + onPhosphor.name() +
           "; } QMenu::item:disabled { color: " + textFaint.name() +
           "; } QMenu::separator { height: 1px; background: " + lineFaint.name() +
           "; margin: 4px 0; }";
}

QString scrollBarStyle() {
    return "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
           "QScrollBar::handle:vertical { background: " +
           withOpacity(phosphor, 0.55).name(QColor::HexArgb) +
           "; border-radius: 2px; min-height: 24px; }"
           "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
           "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";
}

} // namespace panemark::Theme
