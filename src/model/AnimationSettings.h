#pragma once

#include "model/AnimationCurve.h"

namespace panemark {

// Whether and how a command's window move is animated.
struct AnimationSettings {
    bool enabled = true;
    AnimationCurve curve = AnimationCurve::easeInOut;
    double duration = 0.25; // seconds

    bool operator==(const AnimationSettings&) const = default;
};

} // namespace panemark
