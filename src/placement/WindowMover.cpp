#include "placement/WindowMover.h"

#include <algorithm>
#include <cmath>

namespace panemark {

WindowMover::WindowMover(WindowService& windows, ScreenService& screens, Beeper* bell,
                         std::unique_ptr<WindowAnimator> animator)
    : windows_(windows), screens_(screens), bell_(bell), animator_(std::move(animator)) {
    screensChanged_ = screens_.onScreensChanged([this] { keepMovingWindowOnAScreen(); });
}

void WindowMover::keepMovingWindowOnAScreen() {
    const std::optional<WindowAnimator::InFlight> moving = animator_->inFlight();
    if (!moving) {
        return;
    }
    const std::vector<Screen> screens = screens_.screens();
    const auto shows = [&](const Screen& screen) {
        const Rect& area = screen.visibleFrame;
        const Rect& target = moving->target;
        return target.midX() >= area.minX() && target.midX() < area.maxX() &&
               target.midY() >= area.minY() && target.midY() < area.maxY();
    };
    if (std::any_of(screens.begin(), screens.end(), shows)) {
        return; // its screen is still there
    }
    if (const std::optional<Rect> landing = landingOnRemaining(moving->target, screens)) {
        animator_->snap(*landing, moving->window);
    }
}

std::optional<Rect> WindowMover::landingOnRemaining(const Rect& target,
                                                    const std::vector<Screen>& screens) {
    const auto distance = [&](const Rect& area) {
        const double dx = target.midX() - std::clamp(target.midX(), area.minX(), area.maxX());
        const double dy = target.midY() - std::clamp(target.midY(), area.minY(), area.maxY());
        return dx * dx + dy * dy;
    };
    const Screen* nearest = nullptr;
    for (const Screen& screen : screens) {
        if (screen.visibleFrame.width >= 1 && screen.visibleFrame.height >= 1 &&
            (!nearest || distance(screen.visibleFrame) < distance(nearest->visibleFrame))) {
            nearest = &screen;
        }
    }
    if (!nearest) {
        return std::nullopt;
    }
    const Rect& area = nearest->visibleFrame;
    const double width = std::min(target.width, area.width);
    const double height = std::min(target.height, area.height);
    return Rect{std::clamp(target.x, area.minX(), area.maxX() - width),
                std::clamp(target.y, area.minY(), area.maxY() - height), width, height};
}

void WindowMover::refuse() {
    if (bell_) {
        bell_->beep();
    }
}

void WindowMover::apply(const ZoneCommand& command, double gap, const AnimationSettings& animation,
                        std::optional<WindowRef> window) {
    applyTarget(animation, TargetRules::ruleFor(command, gap), window);
}

std::optional<WindowRef> WindowMover::focusedWindow() {
    return windows_.focusedWindow(elementTimeout);
}

void WindowMover::applyTarget(const AnimationSettings& animation, const TargetRules::Rule& rule,
                              std::optional<WindowRef> chosen) {
    const std::optional<WindowRef> window = chosen ? chosen : focusedWindow();
    if (!window) {
        refuse();
        return;
    }
    const std::optional<Rect> current = windows_.readFrame(*window, elementTimeout);
    if (!current) {
        refuse();
        return;
    }
    // Keys pressed faster than the animation runs: start from where the window is heading.
    const std::optional<WindowAnimator::InFlight> inFlight = animator_->inFlight();
    const Rect base = inFlight && inFlight->window == *window ? inFlight->target : *current;

    const std::optional<ScreenGeometry> screen = screenSet().targetScreen(base);
    if (!screen) {
        refuse();
        return;
    }
    const std::optional<Rect> placed = rule(screen->visibleFrame, base);
    if (!placed) {
        return; // already in place
    }
    if (!isReachable(*placed, screen->visibleFrame)) {
        refuse(); // hand-edited extremes: never move a window out of sight
        return;
    }
    const Rect target = *placed;

    // Our own windows are ours to write here; every other one, whether or not it names its
    // process, goes through the animator's queue and may animate.
    const std::optional<std::int64_t> pid = windows_.processId(*window, elementTimeout);
    if (pid && *pid == windows_.ownProcessId()) {
        windows_.writeFrame(*window, target, elementTimeout);
        return;
    }
    if (isAlreadyHeadingTo(*window, target)) {
        return;
    }
    if (animation.enabled && *current != target) {
        const std::optional<bool> settable = windows_.isSizeSettable(*window, probeTimeout);
        if (settable.value_or(false)) {
            animator_->animate(*window, *current, target, animation.duration, animation.curve);
            return;
        }
    }
    animator_->snap(target, *window);
}

ScreenSet WindowMover::screenSet() {
    ScreenSet set;
    for (const Screen& screen : screens_.screens()) {
        set.screens.push_back({screen.frame, screen.visibleFrame});
    }
    // The main screen stands in only when the list is empty; it costs round trips to find, so
    // it is asked for only then.
    if (set.screens.empty()) {
        if (const std::optional<Screen> main = screens_.mainScreen()) {
            set.main = ScreenGeometry{main->frame, main->visibleFrame};
        }
    }
    return set;
}

bool WindowMover::isReachable(const Rect& target, const Rect& visibleFrame) {
    const bool finite = std::isfinite(target.x) && std::isfinite(target.y) &&
                        std::isfinite(target.width) && std::isfinite(target.height);
    if (!finite || target.width < 1 || target.height < 1) {
        return false;
    }
    return target.x < visibleFrame.x + visibleFrame.width &&
           visibleFrame.x < target.x + target.width &&
           target.y < visibleFrame.y + visibleFrame.height &&
           visibleFrame.y < target.y + target.height;
}

bool WindowMover::isAlreadyHeadingTo(WindowRef window, const Rect& target) const {
    const std::optional<WindowAnimator::InFlight> inFlight = animator_->inFlight();
    return inFlight && inFlight->window == window && inFlight->target == target;
}

} // namespace panemark
