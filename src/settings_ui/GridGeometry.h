#pragma once

#include "model/GridSpan.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <optional>

namespace panemark {

// Where the grid preview draws its cells in an area, and which span a press and drag pick.
class GridGeometry {
public:
    static constexpr double aspectRatio = 1.6;
    static constexpr double padding = 14;
    static constexpr double gutter = 3;

    GridGeometry(std::int64_t cols, std::int64_t rows, QSizeF area);

    double cellWidth() const { return cellWidth_; }
    double cellHeight() const { return cellHeight_; }
    // The rounded cell at column c, row r, inset half a gutter on every side.
    QRectF cellRect(std::int64_t c, std::int64_t r) const;
    // The cell under a point of the area, clamped into the grid: gutters belong half to each
    // neighbour, and points outside the area to the nearest edge cell.
    std::int64_t columnAt(double x) const;
    std::int64_t rowAt(double y) const;
    // The span a gesture picks: the start corner under the press, the end under the pointer.
    // None on an empty area.
    std::optional<GridSpan> spanFor(QPointF press, QPointF pointer) const;
    // Cell numbers in 18 points where cells are roomy, 11 where they are not.
    double numberPointSize() const;

    // The largest board of the preview's aspect within a space.
    static QSizeF boardSize(QSizeF space);

private:
    std::int64_t cols_;
    std::int64_t rows_;
    double cellWidth_;
    double cellHeight_;
};

} // namespace panemark
