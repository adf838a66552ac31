#include "widgets/AppIcon.h"

#include "widgets/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace panemark {

void AppIcon::draw(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(rect.width(), rect.height());
    const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    const double radius = side * 0.22;

    QLinearGradient face(square.topLeft(), square.bottomLeft());
    face.setColorAt(0, Theme::raised);
    face.setColorAt(1, Theme::bg);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(square, radius, radius);

    // The mark: thick enough to read at 16 pixels, where it is all the icon shows.
    const double stroke = std::max(1.0, side * 0.07);
    const QRectF mark = square.adjusted(side * 0.18, side * 0.27, -side * 0.18, -side * 0.27);
    QPen pen(Theme::phosphor, stroke);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(mark, stroke, stroke);
    // The left column lit, as a window tiled there.
    const double column = mark.width() / 3;
    painter.fillRect(QRectF(mark.left(), mark.top(), column, mark.height())
                         .adjusted(stroke / 2, stroke / 2, 0, -stroke / 2),
                     Theme::cellSelected(mark));
    for (int i = 1; i < 3; ++i) {
        const double x = mark.left() + column * i;
        painter.drawLine(QPointF(x, mark.top()), QPointF(x, mark.bottom()));
    }

    painter.setPen(QPen(Theme::line, std::max(1.0, side / 64)));
    painter.setBrush(Qt::NoBrush);
    const double half = painter.pen().widthF() / 2;
    painter.drawRoundedRect(square.adjusted(half, half, -half, -half), radius, radius);
    painter.restore();
}

QPixmap AppIcon::pixmap(int size, double pixelRatio) {
    const int pixels = static_cast<int>(std::ceil(size * pixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        draw(painter, QRectF(0, 0, pixels, pixels));
    }
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

QIcon AppIcon::icon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(pixmap(size));
    }
    return icon;
}

} // namespace panemark
