#pragma once

#include "base/Cancellable.h"

#include <functional>

namespace panemark {

// The only way domain code waits. Every returned handle cancels its timer when destroyed, so a
// timer never fires into an owner that is gone. Tasks run on the scheduler's thread.
class Scheduler {
public:
    using Task = std::function<void()>;

    // Repeating timers never fire more often than this.
    static constexpr double minimumInterval = 0.001;

    virtual ~Scheduler() = default;

    // Monotonic seconds since some fixed point.
    virtual double now() const = 0;

    // Runs task as soon as the scheduler next gets control.
    [[nodiscard]] virtual TimerHandle post(Task task) = 0;
    // Runs task once, seconds from now.
    [[nodiscard]] virtual TimerHandle after(double seconds, Task task) = 0;
    // Runs task every seconds, the first time seconds from now.
    [[nodiscard]] virtual TimerHandle every(double seconds, Task task) = 0;
};

} // namespace panemark
