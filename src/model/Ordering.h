#pragma once

#include "model/GridCell.h"
#include "model/WideInt.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace panemark {

// The order in which a grid's cells are numbered, for labels and the grid preview.
class Ordering {
public:
    enum Value : std::uint8_t { reading, clockwise, counterClockwise };

    // Listing a grid's cells one by one is refused beyond this many cells.
    static constexpr WideInt maxListedCells = 1 << 20;

    constexpr Ordering(Value value = reading) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<Ordering, 3> allCases() {
        return {reading, clockwise, counterClockwise};
    }
    static std::optional<Ordering> fromRawValue(std::string_view raw);
    std::string_view rawValue() const;
    std::string_view label() const;

    // Every cell of a cols × rows grid once, in this order (values below 1 count as 1). A grid of
    // more than maxListedCells cells gives an empty list; position() serves any size.
    std::vector<GridCell> cells(std::int64_t cols, std::int64_t rows) const;

    // The 1-based place of cell in cells(cols, rows); 1 when the cell is not in the grid.
    // Computed directly, in time independent of the grid's size.
    WideInt position(GridCell cell, std::int64_t cols, std::int64_t rows) const;

private:
    Value value_;
};

} // namespace panemark
