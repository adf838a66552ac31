#pragma once

#include "platform/helper/CompositorHelper.h"
#include "platform/helper/HelperReplies.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace panemark {

// The active window and the screens as the compositor's helper last described them. A helper
// that reports them itself whenever they change (the active window, its frame, the screens) is
// followed: a command then asks nothing before its placement, and a key press costs one round
// trip. Until the first report, or after the helper went away, a command asks for its window
// first, then that window's frame, its process and the screens: the look that found the window
// answers the rest, as long as it is recent and nothing was placed since. A command does not
// trust a report of no active window either: the window just activated may be reported by a
// message still on its way (it travels another way than the key press), and the look costs a
// round trip only when nothing seemed focused. Any thread.
class HelperSnapshot {
public:
    static constexpr double lifetime = 0.2;

    explicit HelperSnapshot(CompositorHelper& helper) : helper_(helper) {}

    // A new look: what a command starts with.
    std::optional<HelperReplies::Look> refresh(double timeout);
    // A look no older than `lifetime`, asking the helper for a new one when there is none.
    std::optional<HelperReplies::Look> get(double timeout);
    // Whatever was asked for last happened before a change. What the helper reports stands:
    // it reports the change itself.
    void invalidate();
    // The helper's own report of the active window and the screens; each replaces the last, as
    // they come in the order the helper sent them.
    void followed(const HelperReplies::Look& look);
    // The helper went away (reloaded, the shell restarted): asked again until it reports.
    void stopFollowing();
    bool isFollowing();
    CompositorHelper& helper() { return helper_; }

private:
    using Clock = std::chrono::steady_clock;

    bool reportNamesAWindow() const; // under mutex_

    CompositorHelper& helper_;
    std::mutex mutex_;
    std::optional<HelperReplies::Look> look_;
    Clock::time_point takenAt_;
    std::optional<HelperReplies::Look> reported_;
};

} // namespace panemark
