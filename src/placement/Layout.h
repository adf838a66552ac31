#pragma once

#include "model/GridSpan.h"
#include "model/Rect.h"
#include "model/ZoneCommand.h"

namespace panemark {

// The rectangle of a span of grid cells laid over an area, with a gap between neighbouring
// cells and between the outer cells and the area's edges. All in window space (y down, row 0 at
// the top). Spans are clamped into the grid; cols and rows below 1 count as 1; a negative or
// NaN gap counts as 0. x, width and height are each rounded on their own, halves away from
// zero; vertically the bottom edge is rounded (halves toward the top of the screen) and y is
// that edge less the rounded height, so that a frame lands on the pixels users have always
// seen it take; a frame that rounding took up to a pixel past the area's edge moves back
// inside. The size is never negative.
namespace Layout {

// A window's bottom edge rounded to a whole pixel, halves toward the top of the screen.
double roundHalfTowardTop(double y);

Rect frame(const GridSpan& span, const Rect& area, double gap);
inline Rect frame(const ZoneCommand& command, const Rect& area, double gap) {
    return frame(command.gridSpan(), area, gap);
}

} // namespace Layout

} // namespace panemark
