#pragma once

#include <cstdint>

namespace panemark {

// One cell of a command's grid: zero-based column and row, row 0 at the top.
struct GridCell {
    std::int64_t col = 0;
    std::int64_t row = 0;

    bool operator==(const GridCell&) const = default;
};

} // namespace panemark
