#pragma once

#include "model/AnimationCurve.h"
#include "model/Rect.h"

namespace panemark {

// One animation's parameters (window space), and how each of its steps writes the frame.
struct WindowAnimation {
    enum class FrameWrite { positionOnly, positionThenSize, sizeThenPosition };

    Rect from;
    Rect to;
    double duration = 0;
    AnimationCurve curve;

    // Moving without resizing writes positions only; shrinking writes the size first so the
    // window never pokes out past its target; growing or reshaping writes the position first.
    static FrameWrite writeOrder(const Rect& from, const Rect& to);

    // The frame at progress p: origin and size interpolated componentwise, not rounded.
    static Rect interpolate(const Rect& from, const Rect& to, double p);
};

} // namespace panemark
