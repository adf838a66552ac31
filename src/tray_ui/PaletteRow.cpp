#include "tray_ui/PaletteRow.h"

#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace panemark {

PaletteRow::PaletteRow(std::string name, std::string shortcut, QWidget* parent)
    : QWidget(parent), name_(std::move(name)), shortcut_(std::move(shortcut)) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setAccessibleName(QString::fromStdString(name_));
    setAccessibleDescription(shortcut_.empty() ? QString()
                                               : "Shortcut " + QString::fromStdString(shortcut_));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(static_cast<int>(std::ceil(TerminalFont::lineHeight13())) + 12);
}

QSize PaletteRow::sizeHint() const {
    return {200, height()};
}

void PaletteRow::setHighlighted(bool highlighted) {
    if (highlighted_ != highlighted) {
        highlighted_ = highlighted;
        update();
    }
}

void PaletteRow::trigger() {
    Q_EMIT triggered();
}

namespace {

constexpr double sidePadding = 10;
constexpr double nameToShortcutGap = 12;

QFont nameFont(bool lit) {
    return TerminalFont::at(13, lit ? QFont::Bold : QFont::Normal);
}

} // namespace

QString PaletteRow::shownName() const {
    const QFontMetricsF metrics(nameFont(highlighted_));
    const double shortcutWidth =
        shortcut_.empty() ? 0
                          : QFontMetricsF(TerminalFont::at(13))
                                    .horizontalAdvance(QString::fromStdString(shortcut_)) +
                                nameToShortcutGap;
    const double available = std::max(0.0, width() - 2 * sidePadding - shortcutWidth);
    return metrics.elidedText(QString::fromStdString(name_), Qt::ElideRight, available);
}

void PaletteRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    const bool lit = highlighted_;
    if (lit) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::phosphorBar(area));
        painter.drawRoundedRect(area, 3, 3);
    }
    painter.setPen(lit ? Theme::onPhosphor : Theme::text);
    const QRectF inner = area.adjusted(sidePadding, 0, -sidePadding, 0);
    painter.setFont(nameFont(lit));
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, shownName());
    if (!shortcut_.empty()) {
        painter.setFont(TerminalFont::at(13));
        painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(shortcut_));
    }
}

void PaletteRow::enterEvent(QEnterEvent*) {
    setHighlighted(true);
}

void PaletteRow::leaveEvent(QEvent*) {
    setHighlighted(false);
}

void PaletteRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        trigger();
    }
}

} // namespace panemark
