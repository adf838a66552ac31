#include "placement/ScreenSet.h"

#include <algorithm>

namespace panemark {

namespace {

// The overlap of two rectangles, or none when they are apart. Touching edges overlap with an
// area of 0.
std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    const double left = std::max(a.minX(), b.minX());
    const double right = std::min(a.maxX(), b.maxX());
    const double top = std::max(a.minY(), b.minY());
    const double bottom = std::min(a.maxY(), b.maxY());
    if (!(left <= right && top <= bottom)) {
        return std::nullopt;
    }
    return Rect{left, top, right - left, bottom - top};
}

} // namespace

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
