#pragma once

#include <QColor>

class QWidget;

namespace panemark {

// A soft halo of a colour around what a widget draws: a shadow with no offset. Titles glow in
// phosphor at opacity 0.5 with radius 5.
class Glow {
public:
    static void apply(QWidget& widget, const QColor& color, double radius, double opacity);
};

} // namespace panemark
