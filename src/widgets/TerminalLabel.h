#pragma once

#include <QFont>

class QColor;
class QLabel;
class QString;
class QWidget;

namespace panemark {

// A line of text on the theme: the terminal type at a size, in a colour, over whatever is
// behind it.
class TerminalLabel {
public:
    static QLabel* create(const QString& text, const QFont& font, const QColor& color,
                          QWidget* parent);
    static QLabel* create(const QString& text, double pointSize, const QColor& color,
                          QWidget* parent, QFont::Weight weight = QFont::Normal);
};

} // namespace panemark
