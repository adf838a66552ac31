#pragma once

#include "base/Scheduler.h"

#include <QElapsedTimer>
#include <QObject>
#include <cstddef>

namespace panemark {

// The scheduler of the running application: Qt timers on the thread that created it, which
// must run a Qt event loop. Handles must be destroyed on that thread too.
class QtScheduler : public Scheduler {
public:
    QtScheduler();

    double now() const override;
    TimerHandle post(Task task) override;
    TimerHandle after(double seconds, Task task) override;
    TimerHandle every(double seconds, Task task) override;

    // The timers of every QtScheduler that exist now (waiting, repeating, or handed out and not
    // yet gone): over a long session this stays level, which a soak run watches.
    static std::size_t liveTimers();

private:
    TimerHandle start(double seconds, bool repeating, Task task);
    QElapsedTimer clock_;
    QObject context_; // queued calls run on its thread, and not at all once it is gone
};

} // namespace panemark
