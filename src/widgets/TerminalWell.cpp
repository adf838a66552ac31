#include "widgets/TerminalWell.h"

#include "widgets/Theme.h"

#include <QPainter>

namespace panemark {

void TerminalWell::paint(QPainter& painter, const QRectF& area, bool focused) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double width = focused ? 1.4 : 1;
    // Inset by half the pen so the whole outline lies inside the area.
    const QRectF box = area.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    painter.setBrush(Theme::sunken);
    QPen pen(focused ? Theme::phosphor : Theme::line, width);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawRoundedRect(box, 4, 4);
    painter.restore();
}

} // namespace panemark
