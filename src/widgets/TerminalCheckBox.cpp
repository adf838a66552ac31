#include "widgets/TerminalCheckBox.h"

#include "widgets/Symbols.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace panemark {

TerminalCheckBox::TerminalCheckBox(const QString& text, double pointSize, const QColor& textColor,
                                   QWidget* parent)
    : QCheckBox(text, parent), textColor_(textColor) {
    setFont(TerminalFont::at(pointSize));
    setCursor(Qt::PointingHandCursor);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QSize TerminalCheckBox::sizeHint() const {
    const QFontMetrics metrics(font());
    return {boxSide + spacing + metrics.horizontalAdvance(text()) + 2,
            std::max(boxSide + 2, metrics.height())};
}

QSize TerminalCheckBox::minimumSizeHint() const {
    return {boxSide + spacing + QFontMetrics(font()).averageCharWidth() * 8, boxSide + 2};
}

int TerminalCheckBox::heightForWidth(int width) const {
    const QFontMetrics metrics(font());
    const int textWidth = std::max(width - boxSide - spacing - 2, 1);
    const QRect needed = metrics.boundingRect(QRect(0, 0, textWidth, 10000),
                                              Qt::TextWordWrap | Qt::AlignLeft, text());
    return std::max(boxSide + 2, needed.height());
}

bool TerminalCheckBox::hitButton(const QPoint& position) const {
    return rect().contains(position); // the label too, as people expect
}

void TerminalCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The box beside the first line of the label.
    const double firstLine = QFontMetricsF(font()).height();
    const QRectF box(1, std::max(0.0, (std::min<double>(height(), firstLine) - boxSide) / 2.0),
                     boxSide, boxSide);
    const bool on = isChecked();
    painter.setBrush(on ? Theme::phosphor : Theme::sunken);
    painter.setPen(QPen(on ? Theme::phosphor : (hasFocus() ? Theme::phosphor : Theme::line), 1));
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    if (on) {
        Symbols::draw(painter, Symbols::Name::checkmark, box.adjusted(2.5, 3, -2.5, -3),
                      Theme::onPhosphor, 1.6);
    }
    painter.setPen(textColor_);
    painter.setFont(font());
    painter.drawText(QRectF(box.right() + spacing, 0, width() - box.right() - spacing, height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text());
}

} // namespace panemark
