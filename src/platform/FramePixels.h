#pragma once

#include "model/Rect.h"

namespace panemark {

// Frames as compositors take them: whole pixels, within any screen's reach, at least 1 × 1. A
// frame that is not a number becomes 0, never a value a cast to an integer cannot hold.
namespace FramePixels {

Rect rounded(const Rect& frame);

} // namespace FramePixels

} // namespace panemark
