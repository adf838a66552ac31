#pragma once

#include "model/Rect.h"

namespace panemark {

// What window placement needs to know of a screen, in window space (origin at the top-left of
// the primary screen, y down): its whole frame, and the part that windows may use.
struct ScreenGeometry {
    Rect frame;
    Rect visibleFrame;

    bool operator==(const ScreenGeometry&) const = default;
};

} // namespace panemark
