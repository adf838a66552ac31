#pragma once

#include "base/Scheduler.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace panemark {

// A scheduler on a virtual clock for tests: nothing runs until advance() moves the clock, and
// then everything that fell due runs in order of due time (ties in order of scheduling), with
// now() reading each task's due time while it runs.
class ManualScheduler : public Scheduler {
public:
    double now() const override { return now_; }
    TimerHandle post(Task task) override;
    TimerHandle after(double seconds, Task task) override;
    TimerHandle every(double seconds, Task task) override;

    // Moves the clock forward by seconds, running what falls due on the way.
    void advance(double seconds);
    // Runs what is due now, including posted tasks and what they post in turn.
    void runDue() { advance(0); }
    // The clock leaps forward by seconds with nothing running on the way, as it does over a
    // suspend or a correction; then each overdue timer fires once, repeating ones included, as
    // real timers do when they wake late.
    void jump(double seconds);

    std::size_t pendingCount() const;
    std::optional<double> nextDueTime() const;

private:
    struct Entry {
        double due;
        std::uint64_t sequence;
        double interval; // 0 for a one-shot
        Task task;
        bool cancelled = false;
    };
    TimerHandle schedule(double delay, double interval, Task task);
    std::shared_ptr<Entry> takeNextDue(double limit);

    double now_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::vector<std::shared_ptr<Entry>> entries_;
};

} // namespace panemark
