#include "MoverFixture.h"
#include "base/ThreadScheduler.h"

#include <cmath>

namespace panemark {
namespace {

class WindowAnimatorTest : public MoverFixture {
protected:
    WindowAnimator& animator() { return mover->animator(); }
};

TEST_F(WindowAnimatorTest, StepsFollowTheCurveOnTheClockAndTheLastWriteIsExact) {
    const Rect from{100, 100, 200, 100};
    const Rect to{500, 300, 400, 300};
    const WindowRef window = desktop.addWindow({.frame = from});
    animator().animate(window, from, to, 0.25, AnimationCurve::easeInOut);
    queue->runDue();

    for (int step = 1; step <= 14; ++step) {
        frame();
        const double p = AnimationCurve(AnimationCurve::easeInOut)
                             .progress(step * WindowAnimator::frameInterval / 0.25);
        const Rect expected = WindowAnimation::interpolate(from, to, p);
        const auto writes = desktop.writes();
        ASSERT_EQ(writes.size(), static_cast<std::size_t>(step));
        EXPECT_NEAR(writes.back().frame.x, expected.x, 1e-9);
        EXPECT_NEAR(writes.back().frame.height, expected.height, 1e-9);
        EXPECT_EQ(writes.back().timeout, WindowAnimator::stepTimeout);
    }
    frame(); // 15/60 s = 0.25 s: the finish
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 14u + 1u);
    EXPECT_EQ(writes.back().frame, to);
    EXPECT_EQ(writes.back().timeout, WindowAnimator::finalWriteTimeout);
    EXPECT_EQ(writes.back().window, window);
    EXPECT_FALSE(animator().inFlight());
    EXPECT_EQ(queue->pendingCount(), 0u);
}

TEST_F(WindowAnimatorTest, HalfTheDurationWithEaseInOutIsHalfWay) {
    const Rect from{0, 0, 100, 100};
    const Rect to{200, 100, 300, 500};
    const WindowRef window = desktop.addWindow({.frame = from});
    // A duration whose half is a whole number of frames: 10/60 s, looked at after frame 5.
    animator().animate(window, from, to, 10 * WindowAnimator::frameInterval,
                       AnimationCurve::easeInOut);
    queue->runDue();
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    const Rect halfWay = *desktop.frameOf(window);
    EXPECT_NEAR(halfWay.x, 100, 1e-6);
    EXPECT_NEAR(halfWay.y, 50, 1e-6);
    EXPECT_NEAR(halfWay.width, 200, 1e-6);
    EXPECT_NEAR(halfWay.height, 300, 1e-6);
}

TEST_F(WindowAnimatorTest, ASecondAnimationOfTheSameWindowReplacesTheFirstWithoutLanding) {
    const WindowRef window = desktop.addWindow({.frame = {0, 0, 100, 100}});
    animator().animate(window, {0, 0, 100, 100}, {900, 0, 100, 100}, 0.25, AnimationCurve::linear);
    queue->runDue();
    frame();
    frame();
    const Rect halfWay = *desktop.frameOf(window);
    animator().animate(window, halfWay, {0, 500, 100, 100}, 0.25, AnimationCurve::linear);
    desktop.clearWrites();
    runToEnd();
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 500, 100, 100}));
    // No landing at the first target, and the first timer is gone: every write heads for the
    // second.
    for (const auto& write : desktop.writes()) {
        EXPECT_NE(write.frame.x, 900);
    }
}

TEST_F(WindowAnimatorTest, ADifferentWindowLandsTheFirstExactlyOnThePoolWhileTheSecondAnimates) {
    const WindowRef first = desktop.addWindow({.frame = {0, 0, 100, 100}});
    const WindowRef second = desktop.addWindow({.frame = {0, 0, 100, 100}});
    animator().animate(first, {0, 0, 100, 100}, {900, 0, 100, 100}, 0.25, AnimationCurve::linear);
    queue->runDue();
    frame();
    animator().animate(second, {0, 0, 100, 100}, {0, 700, 100, 100}, 0.25, AnimationCurve::linear);
    EXPECT_EQ(animator().inFlight()->window, second);
    frame();
    frame();
    EXPECT_NE(desktop.frameOf(first), (Rect{900, 0, 100, 100})); // not yet: the pool has not run
    const auto queueWritesToFirst = desktop.writesTo(first).size();
    pool->runDue();
    EXPECT_EQ(desktop.frameOf(first), (Rect{900, 0, 100, 100}));
    EXPECT_EQ(desktop.writesTo(first).size(), queueWritesToFirst + 1);
    EXPECT_EQ(desktop.writesTo(first).back().timeout, WindowAnimator::finalWriteTimeout);
    runToEnd();
    EXPECT_EQ(desktop.frameOf(second), (Rect{0, 700, 100, 100}));
    EXPECT_EQ(desktop.writesTo(first).size(), queueWritesToFirst + 1); // the first's timer is gone
}

TEST_F(WindowAnimatorTest, SnapDuringAnAnimationCancelsItsTimerAndWritesOnce) {
    const WindowRef window = desktop.addWindow({.frame = {0, 0, 100, 100}});
    animator().animate(window, {0, 0, 100, 100}, {900, 0, 100, 100}, 0.25, AnimationCurve::linear);
    queue->runDue();
    frame();
    animator().snap({10, 20, 300, 400}, window);
    desktop.clearWrites();
    runToEnd();
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].frame, (Rect{10, 20, 300, 400}));
    EXPECT_FALSE(animator().inFlight());
}

TEST_F(WindowAnimatorTest, LateWorkNeverClearsTheRecordOfANewerCommand) {
    const WindowRef first = desktop.addWindow({.frame = {0, 0, 100, 100}});
    const WindowRef second = desktop.addWindow({.frame = {0, 0, 100, 100}});
    animator().snap({1, 1, 50, 50}, first);
    animator().animate(second, {0, 0, 100, 100}, {500, 0, 100, 100}, 0.25, AnimationCurve::linear);
    queue->runDue(); // the old snap runs first, then the animation starts
    EXPECT_EQ(animator().inFlight(), (WindowAnimator::InFlight{second, {500, 0, 100, 100}}));
    EXPECT_EQ(desktop.frameOf(first), (Rect{1, 1, 50, 50}));
    pool->runDue();
    runToEnd();
    EXPECT_FALSE(animator().inFlight());
}

TEST_F(WindowAnimatorTest, DurationsThatAreNotPositiveNumbersLandAtTheFirstStep) {
    for (const double duration : {0.0, -1.0, std::nan(""), static_cast<double>(INFINITY)}) {
        const WindowRef window = desktop.addWindow({.frame = {0, 0, 100, 100}});
        animator().animate(window, {0, 0, 100, 100}, {300, 300, 200, 200}, duration,
                           AnimationCurve::easeOut);
        queue->runDue();
        frame();
        EXPECT_EQ(desktop.frameOf(window), (Rect{300, 300, 200, 200})) << duration;
        EXPECT_FALSE(animator().inFlight()) << duration;
    }
}

TEST_F(WindowAnimatorTest, AWindowThatVanishesMidAnimationCostsNothing) {
    const WindowRef gone = desktop.addWindow({.frame = {0, 0, 100, 100}});
    animator().animate(gone, {0, 0, 100, 100}, {900, 0, 100, 100}, 0.25, AnimationCurve::linear);
    queue->runDue();
    frame();
    desktop.removeWindow(gone);
    runToEnd();
    EXPECT_FALSE(animator().inFlight());

    const WindowRef next = addFocusedWindow({0, 0, 100, 100});
    mover->apply(gridCommand(2, 1), 0, animation);
    runToEnd();
    EXPECT_EQ(desktop.frameOf(next), rightHalf);
}

// The application's animator on real threads: writes leave the calling thread, and drain waits
// for the exact last write.
TEST(WindowAnimatorRealTimeTest, AnimatesOnItsOwnThreadAndDrainWaitsForTheLastWrite) {
    SimDesktop desktop;
    const WindowRef first = desktop.addWindow({.frame = {0, 0, 100, 100}});
    const WindowRef second = desktop.addWindow({.frame = {0, 0, 100, 100}});
    auto animator = WindowAnimator::make(desktop);
    animator->animate(first, {0, 0, 100, 100}, {640, 0, 320, 200}, 0.08, AnimationCurve::easeOut);
    animator->animate(second, {0, 0, 100, 100}, {0, 480, 640, 100}, 0.1, AnimationCurve::linear);
    ASSERT_TRUE(animator->drain(5));
    EXPECT_EQ(desktop.frameOf(first), (Rect{640, 0, 320, 200}));
    EXPECT_EQ(desktop.frameOf(second), (Rect{0, 480, 640, 100}));
    const auto writes = desktop.writesTo(second);
    ASSERT_GE(writes.size(), 1u);
    EXPECT_EQ(writes.back().frame, (Rect{0, 480, 640, 100}));
    for (const auto& write : desktop.writes()) {
        EXPECT_NE(write.thread, std::this_thread::get_id());
    }
}

TEST(WindowAnimatorRealTimeTest, DestroyingTheAnimatorMidAnimationStopsCleanly) {
    SimDesktop desktop;
    const WindowRef window = desktop.addWindow({.frame = {0, 0, 100, 100}});
    auto animator = WindowAnimator::make(desktop);
    animator->animate(window, {0, 0, 100, 100}, {640, 0, 320, 200}, 0.4, AnimationCurve::linear);
    animator.reset(); // joins its threads; the sanitizer builds check that nothing runs on
    const auto writes = desktop.writes().size();
    desktop.writeFrame(window, {1, 1, 100, 100}, 0.25);
    EXPECT_EQ(desktop.writes().size(), writes + 1);
}

} // namespace
} // namespace panemark
