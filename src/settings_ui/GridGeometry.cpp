#include "settings_ui/GridGeometry.h"

#include <algorithm>
#include <cmath>

namespace panemark {

GridGeometry::GridGeometry(std::int64_t cols, std::int64_t rows, QSizeF area)
    : cols_(cols), rows_(rows),
      cellWidth_(area.width() / static_cast<double>(std::max<std::int64_t>(cols, 1))),
      cellHeight_(area.height() / static_cast<double>(std::max<std::int64_t>(rows, 1))) {}

QRectF GridGeometry::cellRect(std::int64_t c, std::int64_t r) const {
    return QRectF(static_cast<double>(c) * cellWidth_ + gutter / 2,
                  static_cast<double>(r) * cellHeight_ + gutter / 2, cellWidth_ - gutter,
                  cellHeight_ - gutter);
}

namespace {

std::int64_t cellIndex(double coordinate, double pitch, std::int64_t count) {
    const std::int64_t last = std::max<std::int64_t>(count - 1, 0);
    const double index = std::trunc(coordinate / pitch);
    if (!(index > 0)) {
        return 0; // negative, or not a number
    }
    return index >= static_cast<double>(last) ? last : static_cast<std::int64_t>(index);
}

} // namespace

std::int64_t GridGeometry::columnAt(double x) const {
    return cellIndex(x, cellWidth_, cols_);
}

std::int64_t GridGeometry::rowAt(double y) const {
    return cellIndex(y, cellHeight_, rows_);
}

std::optional<GridSpan> GridGeometry::spanFor(QPointF press, QPointF pointer) const {
    if (!(cellWidth_ > 0) || !(cellHeight_ > 0)) {
        return std::nullopt;
    }
    return GridSpan{cols_,
                    rows_,
                    columnAt(press.x()),
                    columnAt(pointer.x()),
                    rowAt(press.y()),
                    rowAt(pointer.y())};
}

double GridGeometry::numberPointSize() const {
    return std::min(cellWidth_, cellHeight_) > 44 ? 18 : 11;
}

QSizeF GridGeometry::boardSize(QSizeF space) {
    const double width = std::min(space.width(), space.height() * aspectRatio);
    return {std::max(width, 0.0), std::max(width / aspectRatio, 0.0)};
}

} // namespace panemark
