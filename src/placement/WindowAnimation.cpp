#include "placement/WindowAnimation.h"

namespace panemark {

Rect WindowAnimation::interpolate(const Rect& from, const Rect& to, double p) {
    return {from.x + (to.x - from.x) * p, from.y + (to.y - from.y) * p,
            from.width + (to.width - from.width) * p, from.height + (to.height - from.height) * p};
}

} // namespace panemark
