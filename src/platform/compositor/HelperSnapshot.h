#pragma once

#include "platform/compositor/CompositorHelper.h"
#include "platform/compositor/HelperReplies.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace panemark {

// The active window and the screens as the compositor's helper last described them. A command asks
// for its window first, then that window's frame, its process and the screens: the look that found
// the window answers the rest, as long as it is recent and nothing was placed since.
class HelperSnapshot {
public:
    static constexpr double lifetime = 0.2;

    explicit HelperSnapshot(CompositorHelper& helper) : helper_(helper) {}

    // A new look: what a command starts with.
    std::optional<HelperReplies::Look> refresh(double timeout);
    // A look no older than `lifetime`, asking the helper for a new one when there is none.
    std::optional<HelperReplies::Look> get(double timeout);
    // Whatever was seen last happened before a change.
    void invalidate();
    CompositorHelper& helper() { return helper_; }

private:
    using Clock = std::chrono::steady_clock;

    CompositorHelper& helper_;
    std::mutex mutex_;
    std::optional<HelperReplies::Look> look_;
    Clock::time_point takenAt_;
};

} // namespace panemark
