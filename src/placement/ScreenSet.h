#pragma once

#include "placement/ScreenGeometry.h"

#include <optional>
#include <vector>

namespace panemark {

// The attached screens in the platform's order (the first carries the primary role) and the
// main screen, which may be absent. All in window space.
struct ScreenSet {
    std::vector<ScreenGeometry> screens;
    std::optional<ScreenGeometry> main;

    // The screen a window with this frame belongs to: the largest overlap wins,
    // the earlier screen on a tie, the first screen when it overlaps none; the main screen only
    // when the list is empty; none when there is no screen at all.
    std::optional<ScreenGeometry> targetScreen(const Rect& base) const;
};

} // namespace panemark
