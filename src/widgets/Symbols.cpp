#include "widgets/Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace panemark {

namespace {

void chevron(QPainter& painter, const QRectF& r, bool up) {
    const double midX = r.center().x();
    const double top = r.top() + r.height() * 0.3;
    const double bottom = r.bottom() - r.height() * 0.3;
    QPainterPath path;
    if (up) {
        path.moveTo(r.left() + r.width() * 0.2, bottom);
        path.lineTo(midX, top);
        path.lineTo(r.right() - r.width() * 0.2, bottom);
    } else {
        path.moveTo(r.left() + r.width() * 0.2, top);
        path.lineTo(midX, bottom);
        path.lineTo(r.right() - r.width() * 0.2, top);
    }
    painter.drawPath(path);
}

} // namespace

void Symbols::draw(QPainter& painter, Name name, const QRectF& rect, const QColor& color,
                   double lineWidth) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF r = rect.adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    switch (name) {
    case Name::rectangleSplit3x1: {
        painter.drawRoundedRect(r, r.height() * 0.15, r.height() * 0.15);
        for (int i = 1; i < 3; ++i) {
            const double x = r.left() + r.width() * i / 3.0;
            painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        }
        break;
    }
    case Name::rectangleSplit3x3: {
        painter.drawRoundedRect(r, r.height() * 0.12, r.height() * 0.12);
        QPen inner = painter.pen(); // the dividers finer than the frame, or small sizes clog
        inner.setWidthF(lineWidth * 0.6);
        painter.setPen(inner);
        for (int i = 1; i < 3; ++i) {
            const double x = r.left() + r.width() * i / 3.0;
            const double y = r.top() + r.height() * i / 3.0;
            painter.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
            painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        }
        break;
    }
    case Name::chevronUp:
        chevron(painter, r, true);
        break;
    case Name::chevronDown:
        chevron(painter, r, false);
        break;
    case Name::chevronUpDown: {
        const QRectF upper(r.left(), r.top() - r.height() * 0.15, r.width(), r.height() / 2);
        const QRectF lower(r.left(), r.center().y() + r.height() * 0.15, r.width(), r.height() / 2);
        chevron(painter, upper, true);
        chevron(painter, lower, false);
        break;
    }
    case Name::plus:
        painter.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
        [[fallthrough]];
    case Name::minus:
        painter.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        break;
    case Name::warningTriangle: {
        QPainterPath path;
        path.moveTo(r.center().x(), r.top());
        path.lineTo(r.right(), r.bottom());
        path.lineTo(r.left(), r.bottom());
        path.closeSubpath();
        painter.drawPath(path);
        painter.drawLine(QPointF(r.center().x(), r.top() + r.height() * 0.38),
                         QPointF(r.center().x(), r.top() + r.height() * 0.68));
        painter.drawPoint(QPointF(r.center().x(), r.top() + r.height() * 0.84));
        break;
    }
    case Name::ellipsisCircle:
        painter.drawEllipse(r);
        for (const double at : {0.3, 0.5, 0.7}) {
            painter.drawPoint(QPointF(r.left() + r.width() * at, r.center().y()));
        }
        break;
    case Name::xmarkCircle: {
        painter.drawEllipse(r);
        const QRectF cross =
            r.adjusted(r.width() * 0.32, r.height() * 0.32, -r.width() * 0.32, -r.height() * 0.32);
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
        break;
    }
    case Name::duplicate: {
        const QSizeF square(r.width() * 0.7, r.height() * 0.7);
        painter.drawRoundedRect(QRectF(r.topLeft(), square), 1.5, 1.5);
        painter.drawRoundedRect(
            QRectF(r.bottomRight() - QPointF(square.width(), square.height()), square), 1.5, 1.5);
        break;
    }
    case Name::checkmark: {
        QPainterPath path;
        path.moveTo(r.left(), r.top() + r.height() * 0.55);
        path.lineTo(r.left() + r.width() * 0.38, r.bottom());
        path.lineTo(r.right(), r.top());
        painter.drawPath(path);
        break;
    }
    }
    painter.restore();
}

QPixmap Symbols::pixmap(Name name, QSizeF size, const QColor& color, double pixelRatio) {
    QPixmap image((size * pixelRatio).toSize());
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter, name, QRectF(QPointF(0, 0), size), color, 1.5);
    return image;
}

} // namespace panemark
