#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>
#include <thread>

namespace panemark {
namespace {

// The simulated applications must behave as the tests of the mover assume.
TEST(SimDesktopTest, ApplicationsClampSizesAndMayMoveWhileResizing) {
    SimDesktop desktop;
    SimDesktop::WindowSpec terminal;
    terminal.frame = {0, 0, 400, 300};
    terminal.widthIncrement = 7;
    terminal.heightIncrement = 13;
    terminal.minWidth = 140;
    terminal.resizeShiftY = 20;
    const WindowRef window = desktop.addWindow(terminal);
    desktop.writeSize(window, 500, 500);
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 20, 497, 494}));
    desktop.writeSize(window, 10, 500);
    EXPECT_EQ(desktop.frameOf(window)->width, 140);
}

TEST(SimDesktopTest, VanishedWindowsReadAsNothingAndWritesGoNowhere) {
    SimDesktop desktop;
    const WindowRef window = desktop.addWindow({.frame = {1, 2, 3, 4}});
    desktop.focus(window);
    desktop.removeWindow(window);
    EXPECT_FALSE(desktop.focusedWindow());
    EXPECT_FALSE(desktop.readFrame(window));
    EXPECT_FALSE(desktop.isSizeSettable(window));
    desktop.writePosition(window, 5, 5);
    EXPECT_FALSE(desktop.frameOf(window));
    EXPECT_EQ(desktop.writes().size(), 1u);
}

TEST(SimDesktopTest, WritesAreRecordedInOrderWithTheirThread) {
    SimDesktop desktop;
    const WindowRef window = desktop.addWindow({.frame = {0, 0, 10, 10}});
    desktop.writePosition(window, 1, 2);
    std::thread([&] { desktop.writeSize(window, 30, 40); }).join();
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].kind, SimDesktop::Write::Kind::position);
    EXPECT_EQ(writes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(writes[1].order, 1u);
    EXPECT_NE(writes[1].thread, std::this_thread::get_id());
}

} // namespace
} // namespace panemark
