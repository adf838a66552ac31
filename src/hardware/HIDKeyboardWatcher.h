#pragma once

#include "base/Scheduler.h"
#include "platform/KeyboardDevices.h"
#include "profiles/HIDDeviceID.h"

#include <functional>
#include <unordered_set>

namespace panemark {

// The keyboard models connected right now, and a callback when that set changes: 0.3 s after
// the last plug or unplug, and only when a model came or went (a second keyboard of a model
// already there changes nothing). When the system cannot report plugging, says so once and stays
// empty, so keyboard triggers never fit. Main thread only.
class HIDKeyboardWatcher {
public:
    static constexpr double debounce = 0.3;

    HIDKeyboardWatcher(KeyboardDevices& devices, Scheduler& mainLoop);

    const std::unordered_set<HIDDeviceID>& currentDeviceIDs() const { return current_; }
    bool isWatching() const { return watching_; }
    // Assigned by the owner after creation: the first reading never calls it.
    std::function<void()> onChange;

private:
    void scheduleRefresh();
    void refresh();

    KeyboardDevices& devices_;
    Scheduler& mainLoop_;
    bool watching_ = false;
    std::unordered_set<HIDDeviceID> current_;
    Subscription observer_;
    TimerHandle debounceWorkItem_;
};

} // namespace panemark
