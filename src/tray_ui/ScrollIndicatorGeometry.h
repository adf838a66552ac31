#pragma once

#include <optional>

namespace panemark {

// Where a list is scrolled to, as the palette's themed indicator reads it.
struct ScrollMetrics {
    double offsetY = 0;
    double contentHeight = 0;
    double containerHeight = 0;

    bool operator==(const ScrollMetrics&) const = default;
};

// The thumb of the themed scroll indicator: none while the content fits; otherwise at least 24
// high, in proportion to what shows, and at the bottom when scrolled to the end.
class ScrollIndicatorGeometry {
public:
    struct Thumb {
        double top;
        double height;
        bool operator==(const Thumb&) const = default;
    };

    static constexpr double minimumThumb = 24;

    static std::optional<Thumb> thumb(const ScrollMetrics& metrics, double available);
};

} // namespace panemark
