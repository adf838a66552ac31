#include "MoverFixture.h"

#include <cmath>

namespace panemark {
namespace {

class WindowMoverTest : public MoverFixture {};

TEST_F(WindowMoverTest, SnapWritesTheExactFrameOnTheAnimatorsQueue) {
    const WindowRef window = addFocusedWindow({300, 200, 400, 300});
    mover->apply(gridCommand(2, 0), 0, noAnimation);
    EXPECT_TRUE(desktop.writes().empty()); // nothing is written on the calling thread
    EXPECT_EQ(mover->animator().inFlight(), (WindowAnimator::InFlight{window, leftHalf}));

    queue->runDue();
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].frame, leftHalf);
    EXPECT_EQ(desktop.frameOf(window), leftHalf);
    EXPECT_EQ(writes[0].timeout, WindowAnimator::finalWriteTimeout);
    EXPECT_FALSE(mover->animator().inFlight());
}

TEST_F(WindowMoverTest, WhatCannotBeDoneBeepsOnceAndWritesNothing) {
    mover->apply(gridCommand(2, 0), 0, animation); // the desktop is in front
    EXPECT_EQ(desktop.beepCount(), 1);

    SimDesktop::WindowSpec unreadable;
    unreadable.frameUnreadable = true;
    addFocusedWindow({0, 0, 10, 10}, unreadable);
    mover->apply(maximizeCommand(), 0, animation);
    EXPECT_EQ(desktop.beepCount(), 2);

    desktop.setScreens({});
    addFocusedWindow({0, 0, 10, 10});
    mover->apply(maximizeCommand(), 0, animation);
    EXPECT_EQ(desktop.beepCount(), 3);

    queue->runDue();
    EXPECT_TRUE(desktop.writes().empty());
}

TEST_F(WindowMoverTest, TargetsOutOfSightOrUnderAPixelBeepAndLeaveTheWindow) {
    addFocusedWindow({300, 200, 400, 300});
    ZoneCommand tooSmall;
    tooSmall.fixedSize = FixedSizeSpec{0, 300};
    ZoneCommand negative;
    negative.fixedSize = FixedSizeSpec{-5, 300};
    for (const ZoneCommand& command : {tooSmall, negative}) {
        mover->apply(command, 0, noAnimation);
    }
    mover->apply(gridCommand(2, 0), 5000, noAnimation); // a gap that leaves no cell at all
    queue->runDue();
    EXPECT_EQ(desktop.beepCount(), 3);
    EXPECT_TRUE(desktop.writes().empty());
    EXPECT_TRUE(WindowMover::isReachable({990, 0, 20, 20}, {0, 0, 1000, 776}));
    EXPECT_FALSE(WindowMover::isReachable({1000, 0, 20, 20}, {0, 0, 1000, 776}));
    EXPECT_FALSE(WindowMover::isReachable({0, 0, std::nan(""), 20}, {0, 0, 1000, 776}));
}

TEST_F(WindowMoverTest, AWindowAlreadyAtItsTargetIsSnappedNotAnimated) {
    addFocusedWindow(leftHalf);
    mover->apply(gridCommand(2, 0), 0, animation);
    queue->runDue();
    EXPECT_EQ(desktop.writes().size(), 1u);
    EXPECT_EQ(queue->pendingCount(), 0u); // no frame timer
}

TEST_F(WindowMoverTest, OwnWindowsAreWrittenAtOnceOnTheCallingThread) {
    SimDesktop::WindowSpec spec;
    spec.pid = SimDesktop::ownPid;
    addFocusedWindow({300, 200, 400, 300}, spec);
    mover->apply(gridCommand(2, 1), 0, animation);
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].frame, rightHalf);
    EXPECT_EQ(writes[0].thread, std::this_thread::get_id());
    EXPECT_FALSE(mover->animator().inFlight());
}

TEST_F(WindowMoverTest, AWindowWithoutAProcessGoesThroughTheQueueAndAnimates) {
    SimDesktop::WindowSpec spec;
    spec.pid = 0; // no _NET_WM_PID
    const WindowRef window = addFocusedWindow({300, 200, 400, 300}, spec);
    mover->apply(gridCommand(2, 1), 0, {true, AnimationCurve::linear, 0.25});
    EXPECT_TRUE(desktop.writes().empty()); // nothing written on the calling thread
    queue->advance(1);
    EXPECT_GT(desktop.writes().size(), 1u); // animation steps, then the exact landing
    EXPECT_EQ(desktop.frameOf(window), rightHalf);
}

TEST_F(WindowMoverTest, WindowsThatCannotBeResizedOrProbedAreSnapped) {
    for (const auto probe : {SimDesktop::SizeProbe::notSettable, SimDesktop::SizeProbe::fails}) {
        desktop.clearWrites();
        SimDesktop::WindowSpec spec;
        spec.sizeProbe = probe;
        addFocusedWindow({300, 200, 400, 300}, spec);
        mover->apply(gridCommand(2, 1), 0, animation);
        queue->runDue();
        EXPECT_EQ(desktop.writes().size(), 1u);
        EXPECT_EQ(queue->pendingCount(), 0u);
    }
}

TEST_F(WindowMoverTest, TerminalsClampTheSizeButLandAtTheTargetsCorner) {
    SimDesktop::WindowSpec spec;
    spec.widthIncrement = 9;
    spec.heightIncrement = 17;
    const WindowRef window = addFocusedWindow({300, 200, 400, 300}, spec);
    mover->apply(gridCommand(2, 1), 0, animation);
    runToEnd();
    EXPECT_EQ(desktop.frameOf(window), (Rect{500, 24, 495, 765}));
}

TEST_F(WindowMoverTest, HalfStepCutThenPressedAgainMidAnimationWidens) {
    const WindowRef window = addFocusedWindow({200, 300, 400, 300});
    mover->apply(halfCommand(HalfAction::top), 0, animation);
    const Rect cut{200, 24, 400, 388};
    EXPECT_EQ(mover->animator().inFlight()->target, cut);
    frame();
    frame();
    // The window is half-way; the second press sees it at its cut target, in the top half.
    mover->apply(halfCommand(HalfAction::top), 0, animation);
    EXPECT_EQ(mover->animator().inFlight()->target, topHalf);
    runToEnd();
    EXPECT_EQ(desktop.frameOf(window), topHalf);
    // And once more: already there, nothing happens.
    desktop.clearWrites();
    mover->apply(halfCommand(HalfAction::top), 0, animation);
    runToEnd();
    EXPECT_TRUE(desktop.writes().empty());
}

TEST_F(WindowMoverTest, TheSameCommandTwiceDuringItsAnimationDoesNothing) {
    addFocusedWindow({300, 24, 500, 776});
    mover->apply(gridCommand(2, 0), 0, animation);
    frame();
    frame();
    const auto writesSoFar = desktop.writes().size();
    mover->apply(gridCommand(2, 0), 0, animation);
    EXPECT_EQ(queue->pendingCount(), 1u); // only the running animation's timer
    frame();
    EXPECT_EQ(desktop.writes().size(), writesSoFar + 1); // its next step, nothing more
}

TEST_F(WindowMoverTest, TheWindowsScreenIsChosenByOverlap) {
    // A second screen to the right, lower than the primary, with a dock at its bottom.
    const Screen right{
        Rect{1000, 400, 800, 600}, Rect{1000, 400, 800, 550}, 2, "Right", false, "SCREEN-2"};
    desktop.setScreens({Screen{screenFrame, visibleFrame, 1, "Built-in", true, "SCREEN-1"}, right},
                       0);
    const WindowRef window = addFocusedWindow({1100, 500, 300, 200});
    mover->apply(maximizeCommand(), 0, noAnimation);
    queue->runDue();
    EXPECT_EQ(desktop.frameOf(window), (Rect{1000, 400, 800, 550}));
}

TEST_F(WindowMoverTest, AScreenUnpluggedMidAnimationLeavesTheWindowInsideARemainingOne) {
    const Screen right{
        Rect{1000, 0, 1600, 900}, Rect{1000, 0, 1600, 860}, 2, "Right", false, "SCREEN-2"};
    const Screen left{screenFrame, visibleFrame, 1, "Built-in", true, "SCREEN-1"};
    desktop.setScreens({left, right}, 0);
    const WindowRef window = addFocusedWindow({1100, 100, 600, 400});
    mover->apply(maximizeCommand(), 0, animation); // heading for the whole right screen
    frame();
    frame();
    // Unplugged half-way.
    desktop.setScreens({left}, 0);
    desktop.announceScreensChanged();
    runToEnd();
    const Rect landed = desktop.frameOf(window).value();
    EXPECT_GE(landed.minX(), visibleFrame.minX()) << testing::PrintToString(landed);
    EXPECT_GE(landed.minY(), visibleFrame.minY()) << testing::PrintToString(landed);
    EXPECT_LE(landed.maxX(), visibleFrame.maxX()) << testing::PrintToString(landed);
    EXPECT_LE(landed.maxY(), visibleFrame.maxY()) << testing::PrintToString(landed);
    EXPECT_EQ(landed, visibleFrame); // the whole right screen's size, shrunk to this one

    // A screen that goes while nothing moves, or that was not the one moved to, moves nothing.
    desktop.setScreens({left, right}, 0);
    desktop.announceScreensChanged();
    mover->apply(gridCommand(2, 0), 0, animation); // the left half of the left screen
    frame();
    desktop.setScreens({left}, 0);
    desktop.announceScreensChanged();
    runToEnd();
    EXPECT_EQ(desktop.frameOf(window), leftHalf);
}

TEST_F(WindowMoverTest, AClockJumpOfMinutesMidAnimationLandsTheWindowAtOnce) {
    const WindowRef window = addFocusedWindow({300, 200, 400, 300});
    mover->apply(gridCommand(2, 1), 0, animation);
    frame();
    frame();
    ASSERT_NE(desktop.frameOf(window), rightHalf);
    desktop.clearWrites();
    // Suspended mid-animation, woken minutes later.
    queue->jump(300);
    EXPECT_EQ(desktop.frameOf(window), rightHalf);
    EXPECT_EQ(desktop.writes().size(), 1u); // straight there, no steps
    EXPECT_EQ(queue->pendingCount(), 0u);   // and nothing left running
    EXPECT_FALSE(mover->animator().inFlight());
}

} // namespace
} // namespace panemark
