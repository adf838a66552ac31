#include "model/Ordering.h"

#include "model/LabeledChoice.h"

#include <algorithm>

namespace panemark {

namespace {

std::int64_t atLeastOne(std::int64_t value) {
    return std::max<std::int64_t>(value, 1);
}

// The spiral as a walk, ring by ring from the outside in, for grids small enough to list.
std::vector<GridCell> clockwiseCells(std::int64_t cols, std::int64_t rows) {
    std::vector<GridCell> cells;
    cells.reserve(static_cast<std::size_t>(cols * rows));
    std::int64_t top = 0;
    std::int64_t left = 0;
    std::int64_t right = cols - 1;
    std::int64_t bottom = rows - 1;
    while (right >= left) {
        for (std::int64_t col = left; col <= right; ++col) {
            cells.push_back({col, top});
        }
        if (top + 1 > bottom) {
            break;
        }
        for (std::int64_t row = top + 1; row <= bottom; ++row) {
            cells.push_back({right, row});
        }
        if (right - 1 < left) {
            break;
        }
        for (std::int64_t col = right - 1; col >= left; --col) {
            cells.push_back({col, bottom});
        }
        if (bottom - 1 < top + 1) {
            break;
        }
        for (std::int64_t row = bottom - 1; row >= top + 1; --row) {
            cells.push_back({left, row});
        }
        ++top;
        ++left;
        --right;
        --bottom;
    }
    return cells;
}

// Zero-based place of an in-grid cell on the clockwise spiral: the cells of the outer rings,
// then the place within the cell's own ring (top row, right column, bottom row, left column).
WideInt clockwiseIndex(WideInt col, WideInt row, WideInt cols, WideInt rows) {
    const WideInt ring = std::min({col, row, cols - 1 - col, rows - 1 - row});
    const WideInt outerCells = cols * rows - (cols - 2 * ring) * (rows - 2 * ring);
    const WideInt top = ring;
    const WideInt left = ring;
    const WideInt right = cols - 1 - ring;
    const WideInt bottom = rows - 1 - ring;
    const WideInt width = right - left + 1;
    const WideInt height = bottom - top + 1;
    WideInt offset;
    if (row == top) {
        offset = col - left;
    } else if (col == right) {
        offset = width + (row - top - 1);
    } else if (row == bottom) {
        offset = width + (height - 1) + (right - 1 - col);
    } else {
        offset = width + (height - 1) + (width - 1) + (bottom - 1 - row);
    }
    return outerCells + offset;
}

} // namespace

std::optional<Ordering> Ordering::fromRawValue(std::string_view raw) {
    return caseWithRawValue<Ordering>(raw);
}

std::string_view Ordering::rawValue() const {
    switch (value_) {
    case reading:
        return "reading";
    case clockwise:
        return "clockwise";
    case counterClockwise:
        return "counterClockwise";
    }
    return "reading";
}

std::string_view Ordering::label() const {
    switch (value_) {
    case reading:
        return "As you read a book";
    case clockwise:
        return "Clockwise";
    case counterClockwise:
        return "Counter-clockwise";
    }
    return "As you read a book";
}

std::vector<GridCell> Ordering::cells(std::int64_t cols, std::int64_t rows) const {
    cols = atLeastOne(cols);
    rows = atLeastOne(rows);
    if (static_cast<WideInt>(cols) * rows > maxListedCells) {
        return {};
    }
    switch (value_) {
    case reading: {
        std::vector<GridCell> cells;
        cells.reserve(static_cast<std::size_t>(cols * rows));
        for (std::int64_t row = 0; row < rows; ++row) {
            for (std::int64_t col = 0; col < cols; ++col) {
                cells.push_back({col, row});
            }
        }
        return cells;
    }
    case clockwise:
        return clockwiseCells(cols, rows);
    case counterClockwise: {
        std::vector<GridCell> cells = clockwiseCells(rows, cols);
        for (GridCell& cell : cells) {
            std::swap(cell.col, cell.row);
        }
        return cells;
    }
    }
    return {};
}

WideInt Ordering::position(GridCell cell, std::int64_t cols, std::int64_t rows) const {
    const WideInt c = atLeastOne(cols);
    const WideInt r = atLeastOne(rows);
    if (cell.col < 0 || cell.row < 0 || cell.col >= c || cell.row >= r) {
        return 1;
    }
    switch (value_) {
    case reading:
        return static_cast<WideInt>(cell.row) * c + cell.col + 1;
    case clockwise:
        return clockwiseIndex(cell.col, cell.row, c, r) + 1;
    case counterClockwise:
        return clockwiseIndex(cell.row, cell.col, r, c) + 1;
    }
    return 1;
}

} // namespace panemark
