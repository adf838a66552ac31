#pragma once

#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinScriptMessages.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace panemark {

// The active window and the screens as the script last described them. A command asks for its
// window first, then that window's frame, its process and the screens: the look that found the
// window answers the rest, as long as it is recent and nothing was placed since.
class KWinSnapshot {
public:
    static constexpr double lifetime = 0.2;

    explicit KWinSnapshot(KWinScriptChannel& channel) : channel_(channel) {}

    // A new look: what a command starts with.
    std::optional<KWinScriptMessages::Look> refresh(double timeout);
    // A look no older than `lifetime`, asking the script for a new one when there is none.
    std::optional<KWinScriptMessages::Look> get(double timeout);
    // Whatever was seen last happened before a change.
    void invalidate();
    KWinScriptChannel& channel() { return channel_; }

private:
    using Clock = std::chrono::steady_clock;

    KWinScriptChannel& channel_;
    std::mutex mutex_;
    std::optional<KWinScriptMessages::Look> look_;
    Clock::time_point takenAt_;
};

} // namespace panemark
