#include "widgets/SectionHeader.h"

#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace panemark {

SectionHeader::SectionHeader(const QString& text, const QString& trailing, QWidget* parent)
    : QWidget(parent), text_(text), trailing_(trailing) {
    setAccessibleName(text);
    setAccessibleDescription("heading");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SectionHeader::sizeHint() const {
    const QFontMetrics metrics(TerminalFont::at(10, QFont::DemiBold, 2));
    // Two spare pixels above and below: hinting can put the underscore of ">_" a row under the
    // font's descent.
    return {metrics.horizontalAdvance(shownText()), metrics.height() + 4};
}

void SectionHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(TerminalFont::at(10, QFont::DemiBold, 2));
    painter.setPen(Theme::textDim);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
    if (!trailing_.isEmpty()) {
        painter.setFont(TerminalFont::at(9));
        painter.setPen(Theme::textFaint);
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, trailing_);
    }
}

} // namespace panemark
