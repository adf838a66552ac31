#include "tray_ui/ScrollIndicatorGeometry.h"

#include <algorithm>

namespace panemark {

std::optional<ScrollIndicatorGeometry::Thumb>
ScrollIndicatorGeometry::thumb(const ScrollMetrics& metrics, double available) {
    if (!(metrics.containerHeight + 1 < metrics.contentHeight) || !(available > 0)) {
        return std::nullopt;
    }
    const double height = std::clamp(metrics.containerHeight / metrics.contentHeight * available,
                                     std::min(minimumThumb, available), available);
    const double progress = metrics.offsetY / (metrics.contentHeight - metrics.containerHeight);
    double top = 0;
    if (progress > 1) {
        top = available - height;
    } else if (progress > 0) {
        top = (available - height) * progress;
    }
    return Thumb{top, height};
}

} // namespace panemark
