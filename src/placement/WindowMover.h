#pragma once

#include "model/AnimationSettings.h"
#include "model/FixedSizeSpec.h"
#include "model/HalfAction.h"
#include "model/ZoneCommand.h"
#include "placement/ScreenSet.h"
#include "placement/TargetRules.h"
#include "placement/WindowAnimation.h"
#include "placement/WindowAnimator.h"
#include "platform/Beeper.h"
#include "platform/ScreenService.h"
#include "platform/WindowService.h"

#include <memory>
#include <optional>
#include <vector>

namespace panemark {

// Carries out a layout command on the focused window: finds it, reads its frame, picks the
// screen and target, then writes the frame at once or hands it to the animator. Never fails
// towards the caller: a command that cannot be carried out beeps once (where there is a bell).
class WindowMover {
public:
    static constexpr double elementTimeout = 0.25;
    static constexpr double probeTimeout = 0.05;

    WindowMover(WindowService& windows, ScreenService& screens, Beeper* bell,
                std::unique_ptr<WindowAnimator> animator);

    // Runs a command by the rule of its kind (TargetRules::ruleFor, the one place that tells the
    // kinds apart) on a window, or on the focused one when none is named.
    void apply(const ZoneCommand& command, double gap, const AnimationSettings& animation,
               std::optional<WindowRef> window = std::nullopt);
    // The focused window of the application in front, asked as a command asks.
    std::optional<WindowRef> focusedWindow();

    WindowAnimator& animator() { return *animator_; }

    // A target can be carried out when it is at least a pixel each way and overlaps the
    // visible frame it was computed in.
    static bool isReachable(const Rect& target, const Rect& visibleFrame);
    // Where a frame headed for a screen that went lands instead: inside the visible frame of
    // the remaining screen nearest to it, shrunk to fit; none without screens.
    static std::optional<Rect> landingOnRemaining(const Rect& target,
                                                  const std::vector<Screen>& screens);

private:
    void applyTarget(const AnimationSettings& animation, const TargetRules::Rule& rule,
                     std::optional<WindowRef> window);
    ScreenSet screenSet();
    bool isAlreadyHeadingTo(WindowRef window, const Rect& target) const;
    // A command that cannot be carried out beeps, where the desktop has a bell.
    void refuse();
    // A screen unplugged under an animation: the window is not left where nothing shows it.
    void keepMovingWindowOnAScreen();

    WindowService& windows_;
    ScreenService& screens_;
    Beeper* bell_; // none on a desktop without one
    std::unique_ptr<WindowAnimator> animator_;
    Subscription screensChanged_;
};

} // namespace panemark
