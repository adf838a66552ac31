#pragma once

#include "placement/ScreenGeometry.h"

#include <optional>
#include <vector>

namespace panemark {

// The attached screens in the platform's order (the first carries the primary role) and the
// main screen, which may be absent. Converts between window space (origin at the top-left of
// the primary screen, y down) and screen space (bottom-left, y up); only y changes.
struct ScreenSet {
    std::vector<ScreenGeometry> screens;
    std::optional<ScreenGeometry> main;

    // Height of the first screen whose frame starts at (0, 0); else of the main screen; else 0.
    double primaryHeight() const;

    Rect toScreenSpace(const Rect& windowFrame) const;
    Rect toWindowSpace(const Rect& screenFrame) const;

    // The screen a window with this frame (screen space) belongs to: the largest overlap wins,
    // the earlier screen on a tie, the first screen when it overlaps none; the main screen only
    // when the list is empty; none when there is no screen at all.
    std::optional<ScreenGeometry> targetScreen(const Rect& base) const;
};

} // namespace panemark
