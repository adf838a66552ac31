#include "placement/TargetRules.h"

#include "placement/Layout.h"

#include <cmath>

namespace panemark::TargetRules {

namespace {

constexpr GridSpan topHalf{1, 2, 0, 0, 0, 0};
constexpr GridSpan bottomHalf{1, 2, 0, 0, 1, 1};
constexpr GridSpan wholeArea{1, 1, 0, 0, 0, 0};

// Within tolerance of a half: the bottom edge and the height decide; the horizontal plays no
// part.
bool isInHalf(const Rect& base, const Rect& half, double tolerance) {
    return std::abs(base.maxY() - half.maxY()) <= tolerance &&
           std::abs(base.height - half.height) <= tolerance;
}

} // namespace

Rect grid(const GridSpan& span, double gap, const Rect& visibleFrame) {
    return Layout::frame(span, visibleFrame, gap);
}

Rect maximize(const Rect& visibleFrame) {
    return visibleFrame;
}

Rect fixedSize(const FixedSizeSpec& size, const Rect& visibleFrame) {
    const auto width = static_cast<double>(size.width);
    const auto height = static_cast<double>(size.height);
    const double bottom = Layout::roundHalfTowardTop(visibleFrame.midY() + height / 2);
    return {std::round(visibleFrame.midX() - width / 2), bottom - height, width, height};
}

std::optional<Rect> halfStep(HalfAction action, double gap, const Rect& visibleFrame,
                             const Rect& base) {
    const Rect top = Layout::frame(topHalf, visibleFrame, gap);
    const Rect bottom = Layout::frame(bottomHalf, visibleFrame, gap);
    const Rect whole = Layout::frame(wholeArea, visibleFrame, gap);
    const double tolerance = gap + 8; // the gap as given, not raised to 0

    const Rect& aimed = action == HalfAction::top ? top : bottom;
    const Rect& opposite = action == HalfAction::top ? bottom : top;
    if (isInHalf(base, opposite, tolerance)) {
        return Rect{base.x, whole.y, base.width, whole.height};
    }
    if (isInHalf(base, aimed, tolerance)) {
        const bool fullWidth = std::abs(base.width - top.width) <= tolerance;
        return fullWidth ? std::nullopt : std::optional<Rect>(aimed);
    }
    return Rect{base.x, aimed.y, base.width, aimed.height};
}

Rule ruleFor(const ZoneCommand& command, double gap) {
    switch (command.kind()) {
    case ZoneCommand::Kind::fixedSize:
        return [size = *command.fixedSize](const Rect& visible, const Rect&) {
            return fixedSize(size, visible);
        };
    case ZoneCommand::Kind::maximize:
        return [](const Rect& visible, const Rect&) { return maximize(visible); };
    case ZoneCommand::Kind::halfStep:
        return [action = *command.halfAction, gap](const Rect& visible, const Rect& base) {
            return halfStep(action, gap, visible, base);
        };
    case ZoneCommand::Kind::grid:
        break;
    }
    return [span = command.gridSpan(), gap](const Rect& visible, const Rect&) {
        return grid(span, gap, visible);
    };
}

} // namespace panemark::TargetRules
