#pragma once

#include <QFont>

namespace panemark {

// The one typeface of every window: DejaVu Sans Mono asked for by name (the system's fixed font
// when it is missing), at the sizes the views give (design points, one pixel each at 1×), with
// letter tracking in the same points.
class TerminalFont {
public:
    static QFont at(double pointSize, QFont::Weight weight = QFont::Normal, double tracking = 0);
    // Ascent + descent + leading of the 13-point font: the palette's line height.
    static double lineHeight13();
};

} // namespace panemark
