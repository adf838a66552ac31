#include "placement/ScreenSet.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

ScreenGeometry screen(double x, double y, double w, double h) {
    return {Rect{x, y, w, h}, Rect{x, y + 25, w, h - 25}};
}

const ScreenGeometry left = screen(0, 0, 1440, 900);
const ScreenGeometry right = screen(1440, 0, 1920, 1080);

TEST(ScreenSetTest, LargestOverlapWinsAndTiesGoToTheEarlierScreen) {
    const ScreenSet screens{{left, right}, right};
    EXPECT_EQ(screens.targetScreen(Rect{1300, 100, 400, 300}),
              right); // 260 of 400 columns on the right
    EXPECT_EQ(screens.targetScreen(Rect{1340, 100, 200, 300}), left); // 100 and 100: a tie
    EXPECT_EQ(screens.targetScreen(Rect{-5000, -5000, 10, 10}),
              left); // off every screen: the first
    // Touching an edge is an overlap of 0, which still beats having none.
    EXPECT_EQ((ScreenSet{{right, left}, std::nullopt}).targetScreen(Rect{-10, 0, 10, 10}), right);
    EXPECT_EQ((ScreenSet{{left, right}, std::nullopt}).targetScreen(Rect{3360, 0, 10, 10}), left);
}

TEST(ScreenSetTest, TheMainScreenStandsInOnlyWhenThereIsNoList) {
    EXPECT_EQ((ScreenSet{{}, right}).targetScreen(Rect{0, 0, 10, 10}), right);
    EXPECT_EQ((ScreenSet{{}, std::nullopt}).targetScreen(Rect{0, 0, 10, 10}), std::nullopt);
}

} // namespace
} // namespace panemark
