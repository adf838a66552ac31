#pragma once

#include <cstdint>

namespace panemark {

// The exact size, in points, that a fixed-size command gives the window.
struct FixedSizeSpec {
    std::int64_t width = 0;
    std::int64_t height = 0;

    bool operator==(const FixedSizeSpec&) const = default;

    // What a new fixed-size command starts with, and what the editor shows without one.
    static constexpr std::int64_t defaultWidth = 1920;
    static constexpr std::int64_t defaultHeight = 1080;
};

} // namespace panemark
