#pragma once

#include <QMargins>
#include <QRectF>

class QPainter;

namespace panemark {

// The rounded, sunken box behind text fields: outlined in phosphor while it has the focus.
class TerminalWell {
public:
    // Room between the well's edge and its content.
    static QMargins padding() { return {10, 6, 10, 6}; }
    static void paint(QPainter& painter, const QRectF& area, bool focused);
};

} // namespace panemark
