#include "base/ThreadScheduler.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace panemark {
namespace {

// What the worker ran, in order, with a way to wait for a number of runs.
class Runs {
public:
    void add(int value) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(value);
        }
        changed_.notify_all();
    }
    std::vector<int> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return values_.size() >= count; });
        return values_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> values_;
};

TEST(ThreadSchedulerTest, OneThreadRunsTasksByDueTimeAndACancelledOneNever) {
    Runs runs;
    ThreadScheduler scheduler("test");
    // Queued behind a task that holds the thread until all are in, so order is the due time's.
    std::mutex gate;
    std::unique_lock closed(gate);
    scheduler.post([&] { std::lock_guard open(gate); }).detach();
    scheduler.after(0.02, [&] { runs.add(3); }).detach();
    TimerHandle cancelled = scheduler.after(0.01, [&] { runs.add(99); });
    scheduler.post([&] { runs.add(1); }).detach();
    scheduler.after(0.01, [&] { runs.add(2); }).detach();
    cancelled.cancel();
    closed.unlock();
    EXPECT_EQ(runs.waitFor(3), (std::vector<int>{1, 2, 3}));
}

TEST(ThreadSchedulerTest, DestroyedWhileItsThreadWaitsForALaterTaskItDropsItAtOnce) {
    // The thread sleeps until the task's due time; the scheduler goes first. The later task
    // never runs, and nothing reads the dropped entry (a sanitizer build sees it if it does).
    auto ran = std::make_shared<bool>(false);
    for (int round = 0; round < 20; ++round) {
        Runs started;
        ThreadScheduler scheduler("test");
        scheduler.after(60, [ran] { *ran = true; }).detach();
        scheduler.post([&] { started.add(round); }).detach();
        started.waitFor(1);
        // A moment for the thread to go back to waiting for the later task. Only how often the
        // sanitizer catches a fault depends on it, never whether the test passes.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(*ran);
}

TEST(ThreadSchedulerTest, ATaskMayScheduleTheNextOneFromItsOwnThread) {
    Runs runs;
    ThreadScheduler scheduler("test");
    std::function<void(int)> step = [&](int n) {
        runs.add(n);
        if (n < 3) {
            scheduler.after(0.001, [&, n] { step(n + 1); }).detach();
        }
    };
    scheduler.post([&] { step(1); }).detach();
    EXPECT_EQ(runs.waitFor(3), (std::vector<int>{1, 2, 3}));
}

} // namespace
} // namespace panemark
