#include "widgets/TerminalButton.h"

#include "widgets/LiteralText.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QPainter>

namespace panemark {

TerminalButton::TerminalButton(const QString& text, bool prominent, QWidget* parent)
    : QPushButton(LiteralText::forMnemonics(text), parent), prominent_(prominent), label_(text) {
    setFont(TerminalFont::at(12, prominent ? QFont::Bold : QFont::Normal));
    setCursor(Qt::PointingHandCursor);
    // Return belongs to the dialog's default button, never to whichever button has the focus
    // (Space presses that one, and the focus ring shows which it is).
    setAutoDefault(false);
}

void TerminalButton::setProminent(bool prominent) {
    if (prominent_ != prominent) {
        prominent_ = prominent;
        setFont(TerminalFont::at(font().pointSizeF() * 96.0 / 72.0,
                                 prominent ? QFont::Bold : QFont::Normal));
        updateGeometry();
        update();
    }
}

QSize TerminalButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(label_) + horizontalPadding, metrics.height() + 12};
}

bool TerminalButton::showsWholeLabel() const {
    return QFontMetrics(font()).horizontalAdvance(label_) <= width() - horizontalPadding;
}

QColor TerminalButton::labelColor() const {
    return prominent_ ? Theme::onPhosphor : Theme::textBright;
}

void TerminalButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (prominent_) {
        painter.setBrush(Theme::phosphorBar(area));
    } else {
        painter.setBrush(Theme::raised);
    }
    painter.setPen(QPen(Theme::line, 1));
    painter.drawRoundedRect(area, 4, 4);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(prominent_ ? Theme::textBright : Theme::phosphor, 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
    painter.setPen(labelColor());
    painter.setFont(font());
    // A label longer than any button can be (a long profile name) loses its middle, not its
    // ends.
    const QString shown =
        showsWholeLabel()
            ? label_
            : QFontMetrics(font()).elidedText(label_, Qt::ElideMiddle, width() - horizontalPadding);
    painter.drawText(rect(), Qt::AlignCenter, shown);
}

} // namespace panemark
