#include "platform/FramePixels.h"

#include <algorithm>
#include <cmath>

namespace panemark::FramePixels {

namespace {

long long pixels(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return std::llround(std::clamp(value, -1e6, 1e6));
}

} // namespace

Rect rounded(const Rect& frame) {
    return {static_cast<double>(pixels(frame.x)), static_cast<double>(pixels(frame.y)),
            static_cast<double>(std::max(1LL, pixels(frame.width))),
            static_cast<double>(std::max(1LL, pixels(frame.height)))};
}

} // namespace panemark::FramePixels
