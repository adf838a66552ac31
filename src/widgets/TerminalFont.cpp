#include "widgets/TerminalFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

namespace panemark {

QFont TerminalFont::at(double pointSize, QFont::Weight weight, double tracking) {
    QFont font("DejaVu Sans Mono");
    if (!QFontInfo(font).exactMatch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    font.setStyleHint(QFont::Monospace);
    // The views' sizes are points of a 72-per-inch design, where a point is a pixel; Qt's points
    // are 1/72 inch at 96 pixels per inch.
    font.setPointSizeF(pointSize * 72.0 / 96.0);
    font.setWeight(weight);
    if (tracking != 0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    }
    return font;
}

double TerminalFont::lineHeight13() {
    const QFontMetricsF metrics(at(13));
    return metrics.ascent() + metrics.descent() + metrics.leading();
}

} // namespace panemark
