#include "widgets/TerminalDivider.h"

#include <QPainter>

namespace panemark {

TerminalDivider::TerminalDivider(const QColor& color, QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
}

} // namespace panemark
