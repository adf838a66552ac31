#include "settings_ui/CommandRow.h"

#include "widgets/Glow.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace panemark {

CommandRow::CommandRow(std::size_t index, const ZoneCommand& command, bool selected,
                       QWidget* parent)
    : QWidget(parent), selected_(selected) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(sizeHint().height()); // the list scrolls rather than squeezing rows
    display(index, command, selected);
}

QString CommandRow::accessibilityLabel(const ZoneCommand& command,
                                       const std::optional<std::string>& shortcut) {
    QStringList parts{QString::fromStdString(command.displayName())};
    parts << (command.halfAction
                  ? QString("Half-step")
                  : QString::number(command.cols) + " by " + QString::number(command.rows));
    if (shortcut) {
        parts << "shortcut " + QString::fromStdString(*shortcut);
    }
    return parts.join(", ");
}

void CommandRow::display(std::size_t index, const ZoneCommand& command, bool selected) {
    const QString number = QString::asprintf("%02zu", index + 1);
    const QString name = QString::fromStdString(command.displayName());
    const QString detail =
        command.halfAction ? QString("Half-step")
                           : QString::number(command.cols) + "×" + QString::number(command.rows);
    const std::optional<std::string> shortcut =
        command.shortcut ? std::optional(command.shortcut->displayString()) : std::nullopt;
    const QString shortcutText = shortcut ? QString::fromStdString(*shortcut) : QString();
    id_ = command.id;
    const bool same = number == number_ && name == name_ && detail == detail_ &&
                      shortcutText == shortcut_ && selected == selected_ &&
                      !accessibleName().isEmpty();
    if (same) {
        return;
    }
    number_ = number;
    name_ = name;
    detail_ = detail;
    shortcut_ = shortcutText;
    selected_ = selected;
    setAccessibleName(accessibilityLabel(command, shortcut));
    update();
}

QSize CommandRow::sizeHint() const {
    const QFontMetrics name(TerminalFont::at(13));
    const QFontMetrics detail(TerminalFont::at(10));
    return {260, name.height() + detail.height() + 12};
}

void CommandRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (selected_) {
        Glow::paintRings(painter, area, 4, 3, 1, 0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::phosphorBar(area));
        painter.drawRoundedRect(area, 4, 4);
        painter.fillRect(QRectF(area.left(), area.top(), 3, area.height()), Theme::marker);
    }
    const QColor bright = selected_ ? Theme::onPhosphor : Theme::textBright;
    const QColor normal = selected_ ? Theme::onPhosphor : Theme::text;
    const QColor dim = selected_ ? Theme::onPhosphor : Theme::textDim;
    const QRectF content = area.adjusted(8, 5, -10, -5);

    painter.setFont(TerminalFont::at(9));
    painter.setPen(dim);
    painter.drawText(QRectF(content.left(), content.top(), 22, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, number_);

    const QFont shortcutFont = TerminalFont::at(13);
    const double shortcutWidth =
        shortcut_.isEmpty() ? 0 : QFontMetricsF(shortcutFont).horizontalAdvance(shortcut_) + 10;
    const QRectF texts(content.left() + 26, content.top(), content.width() - 26 - shortcutWidth,
                       content.height());
    const QFont nameFont = TerminalFont::at(13, selected_ ? QFont::Bold : QFont::Normal);
    const QFontMetricsF nameMetrics(nameFont);
    painter.setFont(nameFont);
    painter.setPen(bright);
    painter.drawText(QRectF(texts.left(), texts.top(), texts.width(), nameMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(name_, Qt::ElideRight, texts.width()));
    painter.setFont(TerminalFont::at(10));
    painter.setPen(dim);
    painter.drawText(QRectF(texts.left(), texts.top() + nameMetrics.height(), texts.width(),
                            texts.height() - nameMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, detail_);
    if (!shortcut_.isEmpty()) {
        painter.setFont(shortcutFont);
        painter.setPen(normal);
        painter.drawText(content, Qt::AlignRight | Qt::AlignVCenter, shortcut_);
    }
}

void CommandRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->pos())) {
        Q_EMIT chosen(id_);
    }
}

} // namespace panemark
