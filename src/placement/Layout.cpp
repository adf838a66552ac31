#include "placement/Layout.h"

#include <algorithm>
#include <cmath>

namespace panemark::Layout {

namespace {

double atLeastZero(double value) {
    return value > 0 ? value : 0;
} // NaN counts as 0 too

struct AxisSpan {
    double count; // cells along the axis, at least 1
    double low;   // first cell of the span
    double span;  // cells after the first
};

// Clamps one axis of a span into a grid of `cells` cells; computed so that no extreme stored
// value can overflow.
AxisSpan clampAxis(std::int64_t cells, std::int64_t start, std::int64_t end) {
    const std::int64_t count = std::max<std::int64_t>(cells, 1);
    const std::int64_t low = std::min(count - 1, std::max(std::min(start, end), std::int64_t{0}));
    const std::int64_t highest = std::max(start, end);
    const std::int64_t high = highest > 0 ? std::min(count - 1, highest) : 0;
    return {static_cast<double>(count), static_cast<double>(low), static_cast<double>(high - low)};
}

// Rounding each value on its own can take an edge up to a pixel past the area's own (a height
// of 1029 halved): the frame moves back inside by that much, keeping its size, rather than
// reach a pixel under a panel, where a window manager would push it anyway.
double backInside(double start, double length, double areaStart, double areaLength) {
    const double before = areaStart - start;
    const double after = (start + length) - (areaStart + areaLength);
    if (before > 0 && before <= 1 && after + before <= 0) {
        return start + std::ceil(before);
    }
    if (after > 0 && after <= 1 && before + after <= 0) {
        return start - std::ceil(after);
    }
    return start;
}

} // namespace

double roundHalfTowardTop(double y) {
    // Cells are fractions of the area that binary arithmetic carries with tiny errors: an edge
    // meant to fall on a half pixel must not go one way or the other by chance.
    constexpr double slack = 1e-7;
    return std::ceil(y - 0.5 - slack);
}

Rect frame(const GridSpan& span, const Rect& area, double gap) {
    const double g = atLeastZero(gap);
    const AxisSpan cols = clampAxis(span.cols, span.colStart, span.colEnd);
    const AxisSpan rows = clampAxis(span.rows, span.rowStart, span.rowEnd);

    const double cellWidth = (area.width - g * (cols.count + 1)) / cols.count;
    const double cellHeight = (area.height - g * (rows.count + 1)) / rows.count;
    const double width = atLeastZero(g * cols.span + cellWidth * (cols.span + 1));
    const double height = atLeastZero(cellHeight * (rows.span + 1) + g * rows.span);
    const double x = area.minX() + g + (g + cellWidth) * cols.low;
    const double top = area.minY() + g + (g + cellHeight) * rows.low;

    const double roundedWidth = std::round(width);
    const double roundedHeight = std::round(height);
    const double bottom = roundHalfTowardTop(top + height);
    return {backInside(std::round(x), roundedWidth, area.minX(), area.width),
            backInside(bottom - roundedHeight, roundedHeight, area.minY(), area.height),
            roundedWidth, roundedHeight};
}

} // namespace panemark::Layout
