#pragma once

#include "model/Rect.h"
#include "placement/WindowAnimation.h"
#include "platform/WindowRef.h"
#include "platform/WindowService.h"

namespace panemark {

// Writes a whole frame to a window. Stateless and safe on any thread: the mover and the
// animator both write through it, so neither needs the other.
class FrameWriter {
public:
    // Position, size, then position again, for applications that move a window while resizing
    // it. Each write may take up to timeout seconds.
    static void exact(WindowService& windows, const Rect& frame, WindowRef window, double timeout);
    // One animation step: as few writes as the step needs, in the order that keeps the window
    // on its path.
    static void fast(WindowService& windows, const Rect& frame, WindowRef window,
                     WindowAnimation::FrameWrite write, double timeout);
};

} // namespace panemark
