#include "widgets/TerminalBackground.h"

#include "widgets/Scanlines.h"
#include "widgets/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QRadialGradient>

namespace panemark {

TerminalBackground::TerminalBackground(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
        lower();
    }
}

bool TerminalBackground::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void TerminalBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect());
}

void TerminalBackground::paint(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.fillRect(area, Theme::bg);

    const QPointF glowCentre(area.left() + 0.36 * area.width(), area.top() + 0.3 * area.height());
    QRadialGradient glow(glowCentre, 760);
    glow.setColorAt(0, Theme::bgGlow);
    glow.setColorAt(1, Theme::withOpacity(Theme::bg, 0));
    painter.fillRect(area, glow);

    // Clear from the centre out to 240, then darkening to 0.55 black at 900 and beyond.
    constexpr double vignetteStart = 240;
    constexpr double vignetteEnd = 900;
    QRadialGradient vignette(area.center(), vignetteEnd);
    vignette.setColorAt(0, QColor(0, 0, 0, 0));
    vignette.setColorAt(vignetteStart / vignetteEnd, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, Theme::withOpacity(Qt::black, 0.55));
    painter.fillRect(area, vignette);

    Scanlines{3, 0.045}.paint(painter, area);
    painter.restore();
}

} // namespace panemark
