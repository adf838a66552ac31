#include "placement/ScreenSet.h"

#include <algorithm>

namespace panemark {

namespace {

// The overlap of two rectangles, or none when they are apart. Touching edges overlap with an
// area of 0.
std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    const double left = std::max(a.minX(), b.minX());
    const double right = std::min(a.maxX(), b.maxX());
    const double bottom = std::max(a.minY(), b.minY());
    const double top = std::min(a.maxY(), b.maxY());
    if (!(left <= right && bottom <= top)) {
        return std::nullopt;
    }
    return Rect{left, bottom, right - left, top - bottom};
}

} // namespace

double ScreenSet::primaryHeight() const {
    for (const ScreenGeometry& screen : screens) {
        if (screen.frame.x == 0 && screen.frame.y == 0) {
            return screen.frame.height;
        }
    }
    return main ? main->frame.height : 0;
}

Rect ScreenSet::toScreenSpace(const Rect& windowFrame) const {
    return {windowFrame.x, primaryHeight() - windowFrame.y - windowFrame.height, windowFrame.width,
            windowFrame.height};
}

Rect ScreenSet::toWindowSpace(const Rect& screenFrame) const {
    // The same reflection in the other direction.
    return toScreenSpace(screenFrame);
}

std::optional<ScreenGeometry> ScreenSet::targetScreen(const Rect& base) const {
    std::optional<ScreenGeometry> candidate = main;
    if (!candidate && !screens.empty()) {
        candidate = screens.front();
    }
    double bestOverlap = -1;
    for (const ScreenGeometry& screen : screens) {
        if (auto overlap = intersection(screen.frame, base)) {
            const double area = overlap->width * overlap->height;
            if (area > bestOverlap) {
                candidate = screen;
                bestOverlap = area;
            }
        } else if (bestOverlap < 0) {
            candidate = screen;
            bestOverlap = 0;
        }
    }
    return candidate;
}

} // namespace panemark
