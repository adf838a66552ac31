#pragma once

#include <cstdint>

namespace panemark {

// The grid fields of a command: a grid of cols × rows and a span of its cells, the ends of
// each range in either order and not necessarily inside the grid.
struct GridSpan {
    std::int64_t cols = 1;
    std::int64_t rows = 1;
    std::int64_t colStart = 0;
    std::int64_t colEnd = 0;
    std::int64_t rowStart = 0;
    std::int64_t rowEnd = 0;

    bool operator==(const GridSpan&) const = default;
};

} // namespace panemark
