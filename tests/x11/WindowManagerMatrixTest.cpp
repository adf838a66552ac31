#include "../support/ChildProcess.h"
#include "../support/Printers.h"
#include "PlacementStack.h"
#include "TestClient.h"
#include "XvfbSession.h"
#include "model/StockCommands.h"
#include "placement/Layout.h"
#include "placement/TargetRules.h"

#include <gtest/gtest.h>
#include <thread>

namespace panemark {
namespace {

using WindowManager = XvfbSession::WindowManager;
constexpr AnimationSettings snapping{false, AnimationCurve::easeInOut, 0.25};

// The exact placement checks under each common window manager, on two monitors with a dock on
// the right one. openbox runs the whole placement suite (PlacementOnX11Test); these run the
// representative part of it under the others.
class WindowManagerMatrixTest : public ::testing::TestWithParam<WindowManager> {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(stack.open());
        ASSERT_TRUE(client.connected());
    }

    void apply(const ZoneCommand& command) { ASSERT_TRUE(stack.apply(command, snapping)); }

    // The rows the desktop's own panel takes at the bottom of the primary monitor: Cinnamon's
    // (40 at scale 1); the other managers draw none.
    static double ownPanelHeight() { return GetParam() == WindowManager::cinnamon ? 40 : 0; }

    // The screens once the desktop's panel has taken its place (it comes up after the manager)
    // and they have held still for a moment (icewm may move its taskbar as it starts).
    std::vector<Screen> screensWithPanel(std::size_t count) {
        std::vector<Screen> list = stack.screens->screens();
        int unchanged = 0;
        for (int i = 0; i < 500 && unchanged < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const std::vector<Screen> now = stack.screens->screens();
            const bool panelUp = now.size() == count && now[0].visibleFrame.height <=
                                                            now[0].frame.height - ownPanelHeight();
            unchanged = panelUp && now == list ? unchanged + 1 : 0;
            list = now;
        }
        return list;
    }

    XvfbSession session{2560, 1440, GetParam()};
    TestClient client;
    PlacementStack stack;
};

// Where the stock commands put a window, in order, on a monitor whose usable part starts at x,
// from the top, `height` high (whatever panels take is at the bottom here).
std::vector<Rect> stockFrames(double x, double height) {
    return {{x, 0, 427, height},      {x + 427, 0, 427, height}, {x + 853, 0, 427, height},
            {x, 0, 640, height},      {x + 640, 0, 640, height}, {x + 640, 0, 640, height / 2},
            {x + 640, 0, 640, height}};
}

TEST_P(WindowManagerMatrixTest, StockCommandsLandExactlyAboveEveryPanel) {
    ASSERT_TRUE(session.splitIntoTwoMonitors());
    // A dock on the right monitor only. icewm's own taskbar, 26 rows along the bottom of the
    // whole screen, lives inside icewm's window tree; and icewm keeps windows inside its one
    // work area on every monitor, so the dock holds them back on the left monitor too.
    // Cinnamon's panel is on the left, primary, monitor.
    const bool icewm = GetParam() == WindowManager::icewm;
    client.createBottomDock(1280, 2559, 40, 1440);
    const double leftReserved = icewm ? 40 : ownPanelHeight();
    const double rightReserved = 40;

    const std::vector<Screen> list = screensWithPanel(2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, 0, 1280, 1440 - leftReserved}));
    EXPECT_EQ(list[1].visibleFrame, (Rect{1280, 0, 1280, 1440 - rightReserved}));

    const std::vector<ZoneCommand> stock = stockCommands();
    for (const auto& [start, expected] :
         {std::pair{Rect{100, 100, 500, 400}, stockFrames(0, 1440 - leftReserved)},
          std::pair{Rect{1500, 100, 500, 400}, stockFrames(1280, 1440 - rightReserved)}}) {
        const xcb_window_t window =
            client.createWindow(static_cast<int>(start.x), static_cast<int>(start.y), 500, 400);
        for (std::size_t i = 0; i < stock.size(); ++i) {
            apply(stock[i]);
            EXPECT_EQ(client.waitForFrame(window, expected[i]), expected[i])
                << XvfbSession::nameOf(GetParam()) << ": " << stock[i].displayName();
        }
        client.destroyWindow(window);
    }
}

TEST_P(WindowManagerMatrixTest, AnXtermLandsAtTheTargetCorner) {
    session.spawn({"xterm", "-geometry", "80x24+200+200"});
    const std::optional<xcb_window_t> xterm = client.findWindow("xterm");
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(client.activate(*xterm));
    screensWithPanel(1);
    const double reserved = GetParam() == WindowManager::icewm ? 26 : ownPanelHeight();
    apply(stockCommands()[4]); // Right half: a terminal keeps to whole character cells
    auto landed = [&](const Rect& frame) {
        return frame.x == 1280 && frame.y == 0 && frame.width <= 1280 && frame.width > 1260 &&
               frame.height <= 1440 - reserved && frame.height > 1440 - reserved - 30;
    };
    std::optional<Rect> frame;
    for (int i = 0; i < 300 && !(frame && landed(*frame)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        frame = client.outerFrame(*xterm);
    }
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->x, 1280);
    EXPECT_EQ(frame->y, 0);
    EXPECT_LE(frame->width, 1280);
    EXPECT_GT(frame->width, 1260);
    EXPECT_LE(frame->height, 1440 - reserved);
    EXPECT_GT(frame->height, 1440 - reserved - 30);
}

TEST_P(WindowManagerMatrixTest, MaximizeAFixedSizeAndGapsLandExactlyOnMonitorsOfTwoSizes) {
    // A tall primary monitor and a smaller one beside it, tops aligned.
    ASSERT_TRUE(session.splitIntoMonitors({{0, 0, 1600, 1440}, {1600, 0, 960, 1080}}));
    const std::vector<Screen> list = screensWithPanel(2);
    ASSERT_EQ(list.size(), 2u);
    ZoneCommand maximize;
    maximize.maximize = true;
    ZoneCommand fixed;
    fixed.fixedSize = FixedSizeSpec{800, 600};
    ZoneCommand lowerRight = ZoneCommand::firstCellOf(2, 2);
    lowerRight.colStart = lowerRight.colEnd = lowerRight.rowStart = lowerRight.rowEnd = 1;
    constexpr double gap = 12;
    for (const Screen& screen : list) {
        const Rect& visible = screen.visibleFrame;
        const xcb_window_t window =
            client.createWindow(static_cast<int>(visible.x) + 50, 100, 500, 400);
        Rect expected = *client.outerFrame(window);
        for (const auto& [command, withGap] :
             {std::pair{maximize, 0.0}, std::pair{fixed, 0.0}, std::pair{lowerRight, gap}}) {
            ASSERT_TRUE(stack.apply(command, snapping, withGap));
            expected = TargetRules::ruleFor(command, withGap)(visible, expected).value_or(expected);
            EXPECT_EQ(client.waitForFrame(window, expected), expected)
                << XvfbSession::nameOf(GetParam()) << " on " << screen.name << ": "
                << command.displayName();
        }
        client.destroyWindow(window);
    }
}

TEST_P(WindowManagerMatrixTest, AWindowThatDrawsItsOwnFrameLandsExactlyBesideOneTheManagerFrames) {
    const std::vector<Screen> list = screensWithPanel(1);
    ASSERT_EQ(list.size(), 1u);
    const Rect usable = list[0].visibleFrame;
    session.spawn({"env", "NO_AT_BRIDGE=1", "GDK_BACKEND=x11", "/usr/bin/python3", CSD_WINDOW});
    const std::optional<xcb_window_t> drawn = client.findWindow("panemark-csd-test", 15);
    ASSERT_TRUE(drawn) << "the GTK window did not appear";
    // A compositing manager lets GTK draw a shadow, the case that needs care; the others none.
    // GTK draws it once it sees the compositor, which on a busy machine may be after the window
    // appeared: the keys are pressed on the window as it then stays.
    const bool compositing =
        GetParam() == WindowManager::cinnamon || GetParam() == WindowManager::marco;
    const auto hasShadow = [&] {
        const std::vector<std::uint32_t> shadow = client.shadowExtents(*drawn);
        return shadow.size() == 4 && shadow[0] > 0;
    };
    ASSERT_TRUE(!compositing || ChildProcess::waitFor(hasShadow, 15))
        << "GTK drew no shadow under a compositing manager";
    const xcb_window_t framed = client.createWindow(900, 200, 500, 400);
    const std::vector<ZoneCommand> stock = stockCommands();
    // The halves, whose outer edges are the screen's: the shadow goes past them.
    const Rect left = Layout::frame(stock[3], usable, 0);
    const Rect right = Layout::frame(stock[4], usable, 0);
    for (int round = 0; round < 2; ++round) { // and back: each from where the other was
        ASSERT_TRUE(client.activate(*drawn));
        apply(stock[round == 0 ? 3 : 4]);
        ASSERT_TRUE(client.activate(framed));
        apply(stock[round == 0 ? 4 : 3]);
        EXPECT_EQ(client.waitForFrame(*drawn, round == 0 ? left : right), round == 0 ? left : right)
            << "the window that draws its own frame, shadow "
            << testing::PrintToString(client.shadowExtents(*drawn));
        EXPECT_EQ(client.waitForFrame(framed, round == 0 ? right : left),
                  round == 0 ? right : left);
    }
}

INSTANTIATE_TEST_SUITE_P(, WindowManagerMatrixTest,
                         ::testing::Values(WindowManager::metacity, WindowManager::xfwm4,
                                           WindowManager::icewm, WindowManager::marco,
                                           WindowManager::cinnamon),
                         [](const auto& info) { return XvfbSession::nameOf(info.param); });

} // namespace
} // namespace panemark
