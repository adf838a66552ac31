#include "widgets/Scanlines.h"

#include "widgets/Theme.h"

#include <QPainter>
#include <cmath>

namespace panemark {

std::vector<double> Scanlines::offsets(double height, double spacing) {
    std::vector<double> offsets;
    if (!(height > 0) || !(spacing > 0) || !std::isfinite(height)) {
        return offsets;
    }
    for (double y = 0; y < height; y += spacing) {
        offsets.push_back(y);
    }
    return offsets;
}

void Scanlines::paint(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const QColor color = Theme::withOpacity(Theme::phosphor, opacity);
    for (const double y : offsets(area.height(), spacing)) {
        painter.fillRect(QRectF(area.left(), area.top() + y, area.width(), 1), color);
    }
    painter.restore();
}

} // namespace panemark
