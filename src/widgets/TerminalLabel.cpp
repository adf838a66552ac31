#include "widgets/TerminalLabel.h"

#include "widgets/TerminalFont.h"
#include "widgets/ThemeStyle.h"

#include <QColor>
#include <QLabel>

namespace panemark {

QLabel* TerminalLabel::create(const QString& text, const QFont& font, const QColor& color,
                              QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setStyleSheet(ThemeStyle::textOverNothing(color));
    return label;
}

QLabel* TerminalLabel::create(const QString& text, double pointSize, const QColor& color,
                              QWidget* parent, QFont::Weight weight) {
    return create(text, TerminalFont::at(pointSize, weight), color, parent);
}

} // namespace panemark
