#pragma once

#include "base/Scheduler.h"
#include "platform/ScreenService.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace panemark {

// The external displays connected right now, by UUID, and a callback when that set changes:
// half a second after the last screen change, and only when a display came or went (a new
// resolution or arrangement calls nothing). Built-in panels never count. Main thread only.
class DisplayWatcher {
public:
    struct Display {
        std::string uuid;
        std::string name;
    };

    static constexpr double debounce = 0.5;

    DisplayWatcher(ScreenService& screens, Scheduler& mainLoop);

    const std::set<std::string>& currentUUIDs() const { return currentUUIDs_; }
    // Assigned by the owner after creation: the first evaluation never calls it.
    std::function<void()> onChange;

    // The external displays in the order the platform lists its screens.
    static std::vector<Display> currentExternalDisplays(ScreenService& screens);

private:
    static std::set<std::string> computeExternalUUIDs(ScreenService& screens);
    void scheduleRecompute();
    void recompute();

    ScreenService& screens_;
    Scheduler& mainLoop_;
    std::set<std::string> currentUUIDs_;
    Subscription observer_;
    TimerHandle debounceWorkItem_;
};

} // namespace panemark
