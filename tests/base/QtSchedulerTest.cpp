#include "base/QtScheduler.h"

#include "base/Log.h"
#include "base/Result.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace panemark {
namespace {

// The real scheduler needs a real event loop; these few tests run it for milliseconds.
class QtSchedulerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_base";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) {
            app = new QCoreApplication(argc, argv);
        }
    }

    // Processes events until done() holds or two seconds pass.
    static bool spinUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            10);
        }
        return done();
    }

    static inline QCoreApplication* app = nullptr;
    QtScheduler scheduler;
};

TEST_F(QtSchedulerTest, PostAndAfterRunOnceOnTheLoopAndCancelledTimersDoNot) {
    int posted = 0;
    int delayed = 0;
    int cancelled = 0;
    auto postHandle = scheduler.post([&] { ++posted; });
    auto afterHandle = scheduler.after(0.02, [&] { ++delayed; });
    auto cancelHandle = scheduler.after(0.01, [&] { ++cancelled; });
    cancelHandle.cancel();
    EXPECT_EQ(posted, 0); // never synchronously

    ASSERT_TRUE(spinUntil([&] { return delayed == 1; }));
    // A later timer has fired: any stray repeat of the earlier ones would have run by then.
    bool later = false;
    auto laterHandle = scheduler.after(0.03, [&] { later = true; });
    ASSERT_TRUE(spinUntil([&] { return later; }));
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(delayed, 1);
    EXPECT_EQ(cancelled, 0);
}

TEST_F(QtSchedulerTest, RepeatingTimerRunsUntilItsHandleIsDroppedFromInside) {
    int runs = 0;
    auto handle = std::make_unique<TimerHandle>();
    *handle = scheduler.every(0.005, [&] {
        if (++runs == 3) {
            handle.reset();
        }
    });
    ASSERT_TRUE(spinUntil([&] { return runs >= 3; }));
    const double before = scheduler.now();
    spinUntil([&] { return scheduler.now() - before > 0.05; });
    EXPECT_EQ(runs, 3);
}

TEST_F(QtSchedulerTest, ATaskThatThrowsIsLoggedAndTheLoopGoesOn) {
    Log::Capture log;
    bool next = false;
    auto failing = scheduler.post([] { throw std::runtime_error("boom"); });
    auto following = scheduler.post([&] { next = true; });
    ASSERT_TRUE(spinUntil([&] { return next; }));
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Panemark: a task on the main loop failed: boom"});
}

TEST(ResultTest, ReadingTheValueOfAnErrorStopsWithAMessageThatSaysSo) {
    const Result<int> failed = Error{"no such file"};
    EXPECT_DEATH((void)failed.value(), "Result::value\\(\\) called on an error: no such file");
}

} // namespace
} // namespace panemark
