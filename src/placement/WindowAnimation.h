#pragma once

#include "model/AnimationCurve.h"
#include "model/Rect.h"

namespace panemark {

// One animation's parameters (window space).
struct WindowAnimation {
    Rect from;
    Rect to;
    double duration = 0;
    AnimationCurve curve;

    // The frame at progress p: origin and size interpolated componentwise, not rounded.
    static Rect interpolate(const Rect& from, const Rect& to, double p);
};

} // namespace panemark
