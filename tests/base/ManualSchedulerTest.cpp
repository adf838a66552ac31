#include "base/ManualScheduler.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace panemark {
namespace {

TEST(ManualSchedulerTest, RunsWhatFellDueInOrderOfDueTimeThenOfScheduling) {
    ManualScheduler scheduler;
    std::vector<std::string> ran;
    auto late =
        scheduler.after(0.5, [&] { ran.push_back("late@" + std::to_string(scheduler.now())); });
    auto early = scheduler.after(0.25, [&] { ran.push_back("early"); });
    auto tieA = scheduler.after(0.3, [&] { ran.push_back("tieA"); });
    auto tieB = scheduler.after(0.3, [&] { ran.push_back("tieB"); });
    auto posted = scheduler.post([&] { ran.push_back("posted"); });

    scheduler.advance(0.3);
    EXPECT_EQ(ran, (std::vector<std::string>{"posted", "early", "tieA", "tieB"}));
    EXPECT_DOUBLE_EQ(scheduler.now(), 0.3);

    scheduler.advance(1);
    ASSERT_EQ(ran.size(), 5u);
    EXPECT_EQ(ran.back(), "late@0.500000"); // the clock reads the task's due time while it runs
    EXPECT_DOUBLE_EQ(scheduler.now(), 1.3);
}

TEST(ManualSchedulerTest, NothingRunsBeforeTheClockMoves) {
    ManualScheduler scheduler;
    int runs = 0;
    auto handle = scheduler.post([&] { ++runs; });
    EXPECT_EQ(runs, 0);
    scheduler.runDue();
    EXPECT_EQ(runs, 1);
    scheduler.runDue();
    EXPECT_EQ(runs, 1);
}

TEST(ManualSchedulerTest, DestroyingOrCancellingTheHandleCancels) {
    ManualScheduler scheduler;
    int runs = 0;
    {
        auto dropped = scheduler.after(0.1, [&] { ++runs; });
    }
    auto cancelled = scheduler.after(0.1, [&] { ++runs; });
    cancelled.cancel();
    TimerHandle replaced = scheduler.after(0.1, [&] { ++runs; });
    replaced = scheduler.after(0.2, [&] { runs += 10; }); // assigning cancels the old timer
    scheduler.advance(1);
    EXPECT_EQ(runs, 10);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST(ManualSchedulerTest, RepeatingTimerFiresOnEachIntervalUntilCancelledFromInside) {
    ManualScheduler scheduler;
    std::vector<double> times;
    TimerHandle timer;
    timer = scheduler.every(2.0, [&] {
        times.push_back(scheduler.now());
        if (times.size() == 3) {
            timer.cancel();
        }
    });
    scheduler.advance(1.9);
    EXPECT_TRUE(times.empty());
    scheduler.advance(100);
    EXPECT_EQ(times, (std::vector<double>{2.0, 4.0, 6.0}));
}

TEST(ManualSchedulerTest, WorkScheduledWhileAdvancingRunsIfItFallsDueInTheSameAdvance) {
    ManualScheduler scheduler;
    std::vector<std::string> ran;
    TimerHandle inner;
    TimerHandle tooLate;
    auto outer = scheduler.after(0.1, [&] {
        ran.push_back("outer");
        inner = scheduler.after(0.1, [&] { ran.push_back("inner"); });
        tooLate = scheduler.after(5, [&] { ran.push_back("tooLate"); });
    });
    scheduler.advance(0.25);
    EXPECT_EQ(ran, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(scheduler.nextDueTime(), 5.1);
}

TEST(ManualSchedulerTest, HandlesMayOutliveTheSchedulerAndBadDelaysCountAsZero) {
    TimerHandle survivor;
    int runs = 0;
    {
        ManualScheduler scheduler;
        survivor = scheduler.after(1, [] {});
        auto negative = scheduler.after(-3, [&] { ++runs; });
        auto notANumber = scheduler.after(std::nan(""), [&] { ++runs; });
        auto busy = scheduler.every(0, [&] { ++runs; }); // clamped, so it cannot spin forever
        scheduler.advance(0.0105);
        EXPECT_EQ(runs, 2 + 10);
    }
    survivor.cancel(); // the scheduler is gone: nothing to do, nothing to crash
}

} // namespace
} // namespace panemark
