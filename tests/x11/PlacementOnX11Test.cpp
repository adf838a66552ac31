#include "../support/Printers.h"
#include "PlacementStack.h"
#include "TestClient.h"
#include "XvfbSession.h"
#include "model/StockCommands.h"
#include "placement/WindowMover.h"
#include "platform/x11/X11Bell.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace panemark {
namespace {

constexpr AnimationSettings snapping{false, AnimationCurve::easeInOut, 0.25};

// A real display (Xvfb with openbox, 2560 × 1440) and the application's placement stack on it.
class PlacementOnX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(stack.open());
        connection = stack.connection.get();
        screens = stack.screens.get();
        windows = stack.windows.get();
        mover = stack.mover.get();
        ASSERT_TRUE(client.connected());
    }

    void apply(const ZoneCommand& command, const AnimationSettings& animation = snapping) {
        ASSERT_TRUE(stack.apply(command, animation));
    }

    XvfbSession session;
    TestClient client;
    PlacementStack stack;
    X11Connection* connection = nullptr;
    X11Screens* screens = nullptr;
    X11Windows* windows = nullptr;
    WindowMover* mover = nullptr;
};

TEST_F(PlacementOnX11Test, StockCommandsLandTheOuterFrameExactlyOnBothMonitorsWithADockOnOne) {
    ASSERT_TRUE(session.splitIntoTwoMonitors());
    client.createBottomDock(1280, 2559, 40, 1440); // on the right monitor only

    const std::vector<Screen> list = screens->screens();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1280, 1440}));
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, 0, 1280, 1440}));
    EXPECT_EQ(list[1].frame, (Rect{1280, 0, 1280, 1440}));
    EXPECT_EQ(list[1].visibleFrame, (Rect{1280, 0, 1280, 1400})); // y down, the dock below
    EXPECT_NE(list[0].uuid, list[1].uuid);

    const std::vector<ZoneCommand> stock = stockCommands();
    // In root coordinates, after each command in turn, on the left monitor …
    const std::vector<Rect> onLeft = {{0, 0, 427, 1440},  {427, 0, 427, 1440}, {853, 0, 427, 1440},
                                      {0, 0, 640, 1440},  {640, 0, 640, 1440}, {640, 0, 640, 720},
                                      {640, 0, 640, 1440}};
    // … and on the right one, above its dock.
    const std::vector<Rect> onRight = {
        {1280, 0, 427, 1400}, {1707, 0, 427, 1400}, {2133, 0, 427, 1400}, {1280, 0, 640, 1400},
        {1920, 0, 640, 1400}, {1920, 0, 640, 700},  {1920, 0, 640, 1400}};
    for (const auto& [start, expected] : {std::pair{Rect{100, 100, 500, 400}, onLeft},
                                          std::pair{Rect{1500, 100, 500, 400}, onRight}}) {
        const xcb_window_t window =
            client.createWindow(static_cast<int>(start.x), static_cast<int>(start.y), 500, 400);
        for (std::size_t i = 0; i < stock.size(); ++i) {
            apply(stock[i]);
            EXPECT_EQ(client.waitForFrame(window, expected[i]), expected[i])
                << stock[i].displayName();
        }
        client.destroyWindow(window);
    }
}

TEST_F(PlacementOnX11Test, AStrutOfPanemarksOwnWindowsNeverCounts) {
    const xcb_window_t ours = client.createBottomDock(0, 2559, 60, 1440);
    client.claimForThisProcess(ours); // as if Panemark had made it
    EXPECT_EQ(screens->screens().front().visibleFrame, (Rect{0, 0, 2560, 1440}));
    client.createBottomDock(0, 2559, 30, 1440); // someone else's
    EXPECT_EQ(screens->screens().front().visibleFrame, (Rect{0, 0, 2560, 1410}));
}

TEST_F(PlacementOnX11Test, AMaximizedWindowIsUnmaximizedAndPlaced) {
    const xcb_window_t window = client.createWindow(300, 300, 400, 300);
    ASSERT_TRUE(client.maximize(window));
    // The state is set before the window manager has given the window its maximized frame;
    // moving it in between would race the window manager, not test Panemark.
    ASSERT_EQ(client.waitForFrame(window, {0, 0, 2560, 1440}), (Rect{0, 0, 2560, 1440}));
    apply(stockCommands()[4]); // right half
    EXPECT_EQ(client.waitForFrame(window, {1280, 0, 1280, 1440}), (Rect{1280, 0, 1280, 1440}));
    EXPECT_FALSE(client.isMaximized(window));
}

TEST_F(PlacementOnX11Test, AnXtermLandsAtTheTargetCornerWithItsSizeClampedToWholeCells) {
    session.spawn({"xterm", "-geometry", "80x24+200+200"});
    const std::optional<xcb_window_t> xterm = client.findWindow("xterm");
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(client.activate(*xterm));
    apply(stockCommands()[4]); // right half: 1280, 0, 1280 × 1440
    // A terminal keeps to whole character cells: a little smaller than the target, never larger.
    auto settled = [](const Rect& frame) {
        return frame.x == 1280 && frame.y == 0 && frame.width <= 1280 && frame.width > 1280 - 20 &&
               frame.height <= 1440 && frame.height > 1440 - 30;
    };
    std::optional<Rect> frame = client.outerFrame(*xterm);
    for (int i = 0; i < 300 && frame && !settled(*frame); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        frame = client.outerFrame(*xterm);
    }
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->x, 1280);
    EXPECT_EQ(frame->y, 0);
    EXPECT_LE(frame->width, 1280);
    EXPECT_GT(frame->width, 1280 - 20);
    EXPECT_LE(frame->height, 1440);
    EXPECT_GT(frame->height, 1440 - 30);
}

TEST_F(PlacementOnX11Test, AnAnimatedMoveEndsExactlyAtTheTarget) {
    const xcb_window_t window = client.createWindow(900, 500, 300, 200);
    apply(stockCommands()[0], {true, AnimationCurve::easeInOut, 0.2});
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 853, 1440}), (Rect{0, 0, 853, 1440}));
    apply(stockCommands()[6], {true, AnimationCurve::easeOut, 0.1}); // bottom half, shrinking
    EXPECT_EQ(client.waitForFrame(window, {0, 720, 853, 720}), (Rect{0, 720, 853, 720}));
}

TEST_F(PlacementOnX11Test, AWindowDestroyedMidAnimationCostsNothingAndTheNextCommandWorks) {
    const xcb_window_t doomed = client.createWindow(900, 500, 300, 200);
    mover->apply(stockCommands()[3], 0, {true, AnimationCurve::linear, 0.4});
    client.destroyWindow(doomed);
    EXPECT_TRUE(mover->animator().drain(5));

    const xcb_window_t next = client.createWindow(100, 100, 300, 200);
    apply(stockCommands()[4], {true, AnimationCurve::linear, 0.1});
    EXPECT_EQ(client.waitForFrame(next, {1280, 0, 1280, 1440}), (Rect{1280, 0, 1280, 1440}));
}

TEST_F(PlacementOnX11Test, ValuesXCannotHoldAreClampedNotSent) {
    EXPECT_EQ(X11Windows::clampPosition(1e9), 32767);
    EXPECT_EQ(X11Windows::clampPosition(-1e9), -32768);
    EXPECT_EQ(X11Windows::clampPosition(std::nan("")), 0);
    EXPECT_EQ(X11Windows::clampSize(0), 1u);
    EXPECT_EQ(X11Windows::clampSize(-50), 1u);
    EXPECT_EQ(X11Windows::clampSize(1e12), 32767u);
    EXPECT_EQ(X11Windows::clampSize(std::nan("")), 1u);

    // A fixed size far beyond what X can hold: the window still gets a size X accepts.
    const xcb_window_t window = client.createWindow(100, 100, 300, 200);
    ZoneCommand huge;
    huge.fixedSize = FixedSizeSpec{std::numeric_limits<std::int64_t>::max(), -5};
    apply(huge);
    const std::optional<Rect> frame = client.outerFrame(window);
    ASSERT_TRUE(frame);
    EXPECT_GE(frame->height, 1);
}

// Which window is in front, for a failure.
std::string inFront(X11Windows& windows) {
    const std::optional<WindowRef> window = windows.focusedWindow(0.25);
    return window ? "window " + std::to_string(window->id) + " is in front" : "none";
}

TEST_F(PlacementOnX11Test, WithTheDesktopInFrontACommandChangesNothing) {
    EXPECT_FALSE(windows->focusedWindow(0.25)) << inFront(*windows);
    apply(stockCommands()[0]);
    EXPECT_FALSE(windows->focusedWindow(0.25)) << inFront(*windows);
}

TEST_F(PlacementOnX11Test, ScreenChangesAreAnnouncedOnTheEventLoop) {
    int argc = 1;
    char name[] = "test_x11";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto eventConnection = X11Connection::open(nullptr);
    ASSERT_TRUE(eventConnection);
    X11EventSource events(*eventConnection);
    screens->watch(events);
    int announcements = 0;
    auto subscription = screens->onScreensChanged([&] { ++announcements; });
    ASSERT_TRUE(session.splitIntoTwoMonitors());
    QElapsedTimer clock;
    clock.start();
    while (announcements == 0 && clock.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_GT(announcements, 0);
    EXPECT_EQ(screens->screens().size(), 2u);
}

} // namespace
} // namespace panemark
