#pragma once

#include "model/GridSpan.h"
#include "model/Rect.h"
#include "model/ZoneCommand.h"

namespace panemark {

// The rectangle of a span of grid cells laid over an area, with a gap between neighbouring
// cells and between the outer cells and the area's edges. All in screen space (y up, row 0 at
// the top). Spans are clamped into the grid; cols and rows below 1 count as 1; a negative or
// NaN gap counts as 0. Each of x, y, width and height is rounded on its own, halves away from
// zero, and the size is never negative.
namespace Layout {

Rect frame(const GridSpan& span, const Rect& area, double gap);
inline Rect frame(const ZoneCommand& command, const Rect& area, double gap) {
    return frame(command.gridSpan(), area, gap);
}

} // namespace Layout

} // namespace panemark
