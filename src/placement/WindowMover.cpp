#include "placement/WindowMover.h"

#include <algorithm>

namespace panemark {

WindowMover::WindowMover(WindowService& windows, ScreenService& screens, Beeper& beeper,
                         std::unique_ptr<WindowAnimator> animator)
    : windows_(windows), screens_(screens), beeper_(beeper), animator_(std::move(animator)) {}

void WindowMover::apply(const ZoneCommand& command, double gap,
                        const AnimationSettings& animation) {
    switch (command.kind()) {
    case ZoneCommand::Kind::fixedSize:
        applyFixedSize(*command.fixedSize, animation);
        return;
    case ZoneCommand::Kind::maximize:
        applyMaximize(animation);
        return;
    case ZoneCommand::Kind::halfStep:
        applyHalfStep(*command.halfAction, gap, animation);
        return;
    case ZoneCommand::Kind::grid:
        snapFocusedWindow(command, gap, animation);
        return;
    }
}

void WindowMover::snapFocusedWindow(const ZoneCommand& command, double gap,
                                    const AnimationSettings& animation) {
    const GridSpan span = command.gridSpan();
    applyTarget(animation, [span, gap](const Rect& visible, const Rect&) {
        return TargetRules::grid(span, gap, visible);
    });
}

void WindowMover::applyHalfStep(HalfAction action, double gap, const AnimationSettings& animation) {
    applyTarget(animation, [action, gap](const Rect& visible, const Rect& base) {
        return TargetRules::halfStep(action, gap, visible, base);
    });
}

void WindowMover::applyMaximize(const AnimationSettings& animation) {
    applyTarget(animation,
                [](const Rect& visible, const Rect&) { return TargetRules::maximize(visible); });
}

void WindowMover::applyFixedSize(const FixedSizeSpec& size, const AnimationSettings& animation) {
    applyTarget(animation, [size](const Rect& visible, const Rect&) {
        return TargetRules::fixedSize(size, visible);
    });
}

void WindowMover::applyTarget(const AnimationSettings& animation, const TargetRules::Rule& rule) {
    if (!windows_.isTrusted()) {
        windows_.promptForTrust();
        return;
    }
    const std::optional<WindowRef> window = focusedWindow();
    if (!window) {
        beeper_.beep();
        return;
    }
    const std::optional<Rect> current = windows_.readFrame(*window);
    if (!current) {
        beeper_.beep();
        return;
    }
    // Keys pressed faster than the animation runs: start from where the window is heading.
    const std::optional<WindowAnimator::InFlight> inFlight = animator_->inFlight();
    const Rect base = inFlight && inFlight->window == *window ? inFlight->target : *current;

    const ScreenSet screens = screenSet();
    const Rect baseInScreenSpace = screens.toScreenSpace(base);
    const std::optional<ScreenGeometry> screen = screens.targetScreen(baseInScreenSpace);
    if (!screen) {
        beeper_.beep();
        return;
    }
    const std::optional<Rect> targetInScreenSpace = rule(screen->visibleFrame, baseInScreenSpace);
    if (!targetInScreenSpace) {
        return; // already in place
    }
    const Rect target = screens.toWindowSpace(*targetInScreenSpace);

    const std::optional<std::int64_t> pid = windows_.processId(*window);
    if (!pid || *pid == windows_.ownProcessId()) {
        setFrameExact(windows_, target, *window);
        return;
    }
    if (isAlreadyHeadingTo(*window, target)) {
        return;
    }
    if (animation.enabled && *current != target) {
        windows_.setMessagingTimeout(*window, probeTimeout);
        const std::optional<bool> settable = windows_.isSizeSettable(*window);
        windows_.setMessagingTimeout(*window, elementTimeout);
        if (settable.value_or(false)) {
            animator_->animate(*window, *current, target, animation.duration, animation.curve);
            return;
        }
    }
    animator_->snap(target, *window);
}

std::optional<WindowRef> WindowMover::focusedWindow() {
    std::optional<WindowRef> window = windows_.focusedWindow();
    if (window) {
        windows_.setMessagingTimeout(*window, elementTimeout);
    }
    return window;
}

ScreenSet WindowMover::screenSet() {
    ScreenSet set;
    for (const Screen& screen : screens_.screens()) {
        set.screens.push_back({screen.frame, screen.visibleFrame});
    }
    // The main screen matters only without a screen at the origin or without any screen; it
    // costs round trips to find, so it is asked for only then.
    const bool needsMain =
        std::none_of(set.screens.begin(), set.screens.end(), [](const ScreenGeometry& screen) {
            return screen.frame.x == 0 && screen.frame.y == 0;
        });
    if (needsMain) {
        if (const std::optional<Screen> main = screens_.mainScreen()) {
            set.main = ScreenGeometry{main->frame, main->visibleFrame};
        }
    }
    return set;
}

bool WindowMover::isAlreadyHeadingTo(WindowRef window, const Rect& target) const {
    const std::optional<WindowAnimator::InFlight> inFlight = animator_->inFlight();
    return inFlight && inFlight->window == window && inFlight->target == target;
}

void WindowMover::setFrameExact(WindowService& windows, const Rect& frame, WindowRef window) {
    windows.writePosition(window, frame.x, frame.y);
    windows.writeSize(window, frame.width, frame.height);
    windows.writePosition(window, frame.x, frame.y);
}

void WindowMover::setFrameFast(WindowService& windows, const Rect& frame, WindowRef window,
                               WindowAnimation::FrameWrite write) {
    switch (write) {
    case WindowAnimation::FrameWrite::positionOnly:
        windows.writePosition(window, frame.x, frame.y);
        break;
    case WindowAnimation::FrameWrite::positionThenSize:
        windows.writePosition(window, frame.x, frame.y);
        windows.writeSize(window, frame.width, frame.height);
        break;
    case WindowAnimation::FrameWrite::sizeThenPosition:
        windows.writeSize(window, frame.width, frame.height);
        windows.writePosition(window, frame.x, frame.y);
        break;
    }
}

} // namespace panemark
