#include "widgets/ScreenFit.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace panemark::ScreenFit {

namespace {

QScreen* screenFor(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget()) {
        if (QScreen* screen = parent->window()->screen()) {
            return screen;
        }
    }
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        return screen;
    }
    return QGuiApplication::primaryScreen();
}

} // namespace

QRect usableAreaFor(const QWidget* window) {
    const QScreen* screen = screenFor(window);
    return screen ? screen->availableGeometry() : QRect();
}

QSize fittedSize(const QSize& wanted, const QRect& area) {
    if (area.isEmpty()) {
        return wanted;
    }
    const QSize room = area.size() - QSize(2 * margin, 2 * margin);
    return {std::max(1, std::min(wanted.width(), room.width())),
            std::max(1, std::min(wanted.height(), room.height()))};
}

QPoint fittedOrigin(const QRect& frame, const QRect& area) {
    if (area.isEmpty()) {
        return frame.topLeft();
    }
    const int x =
        std::clamp(frame.x(), area.left() + margin,
                   std::max(area.left() + margin, area.right() + 1 - margin - frame.width()));
    const int y =
        std::clamp(frame.y(), area.top() + margin,
                   std::max(area.top() + margin, area.bottom() + 1 - margin - frame.height()));
    return {x, y};
}

void fitSize(QWidget* window) {
    const QRect area = usableAreaFor(window);
    if (area.isEmpty()) {
        return;
    }
    const bool fixed = window->minimumSize() == window->maximumSize();
    const QSize size = fittedSize(window->size(), area);
    if (fixed) {
        window->setFixedSize(size);
    } else {
        window->setMinimumSize(window->minimumSize().boundedTo(size));
        window->resize(size);
    }
}

void keepInside(QWidget* window) {
    const QRect area = usableAreaFor(window);
    const QRect frame = window->frameGeometry();
    if (area.isEmpty() || area.contains(frame)) {
        return; // where the window manager or Qt put it
    }
    const QPoint inside = fittedOrigin(frame, area);
    if (inside != frame.topLeft()) {
        window->move(inside);
    }
}

void fit(QWidget* window) {
    fitSize(window);
    keepInside(window);
}

} // namespace panemark::ScreenFit
