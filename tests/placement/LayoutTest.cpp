#include "placement/Layout.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace panemark {
namespace {

constexpr Rect area{0, 0, 1000, 800};
constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();

TEST(LayoutTest, CellsAreSeparatedFromEachOtherAndTheEdgesByTheGap) {
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, 1, 1, 0, 0}, area, 10), (Rect{340, 10, 320, 780}));
    EXPECT_EQ(Layout::frame(GridSpan{2, 2, 0, 1, 1, 1}, Rect{0, 25, 1440, 875}, 8),
              (Rect{8, 466, 1424, 426}));
    // Rows count from the top of the area.
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 0, 0}, area, 10), (Rect{10, 10, 980, 385}));
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 1, 1}, area, 10), (Rect{10, 405, 980, 385}));
    EXPECT_EQ(Layout::frame(GridSpan{1, 1, 0, 0, 0, 0}, Rect{-1280, 200, 1280, 1024}, 0),
              (Rect{-1280, 200, 1280, 1024}));
}

TEST(LayoutTest, SizesAndXRoundHalvesAwayFromZeroAndTheBottomEdgeHalvesUpward) {
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, 0, 0, 0, 0}, area, 0), (Rect{0, 0, 333, 800}));
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, 1, 1, 0, 0}, area, 0), (Rect{333, 0, 333, 800}));
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, 2, 2, 0, 0}, area, 0), (Rect{667, 0, 333, 800}));
    // 2.5 → 3 and -2.5 → -3, not banker's rounding.
    EXPECT_EQ(Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, Rect{-5, 0, 5, 5}, 0), (Rect{-5, 0, 3, 5}));
    EXPECT_EQ(Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, Rect{0, 0, 5, 5}, 0), (Rect{0, 0, 3, 5}));
    // The bottom edge at 3.5 rounds up the screen to 3, and y is that less the height.
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 1, 1}, Rect{0, 0.5, 3, 6}, 0), (Rect{0, 3, 3, 3}));
}

TEST(LayoutTest, AFrameRoundedAPixelPastTheAreasEdgeMovesBackInsideKeepingItsSize) {
    // Two rows of 437.5: each is 438 high. The bottom one's edge falls on 875; the top one's on
    // 437 would put its top a pixel above the area (under a panel): it starts at 0, and the
    // two overlap by a pixel.
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 0, 0}, Rect{0, 0, 1440, 875}, 0),
              (Rect{0, 0, 1440, 438}));
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 1, 1}, Rect{0, 0, 1440, 875}, 0),
              (Rect{0, 437, 1440, 438}));
    // The right one of two columns of 2.5 is 3 wide: it ends at the area's edge, not past it.
    EXPECT_EQ(Layout::frame(GridSpan{2, 1, 1, 1, 0, 0}, Rect{0, 0, 5, 5}, 0), (Rect{2, 0, 3, 5}));
    // A panel 27 high above an odd height: the top half stays below it.
    EXPECT_EQ(Layout::frame(GridSpan{1, 2, 0, 0, 0, 0}, Rect{0, 27, 1920, 1029}, 0),
              (Rect{0, 27, 1920, 515}));
}

TEST(LayoutTest, SpansAreOrderedAndClampedIntoTheGrid) {
    const Rect ordered = Layout::frame(GridSpan{4, 3, 1, 2, 0, 1}, area, 6);
    EXPECT_EQ(Layout::frame(GridSpan{4, 3, 2, 1, 1, 0}, area, 6), ordered);
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, 0, 7, 0, 0}, area, 0), (Rect{0, 0, 1000, 800}));
    EXPECT_EQ(Layout::frame(GridSpan{3, 1, -5, -2, 0, 0}, area, 0),
              Layout::frame(GridSpan{3, 1, 0, 0, 0, 0}, area, 0));
    EXPECT_EQ(Layout::frame(GridSpan{0, -2, 0, 0, 0, 0}, area, 0), area);
}

TEST(LayoutTest, GapsTooLargeForTheCellsGiveZeroSizeNeverNegative) {
    const Rect frame = Layout::frame(GridSpan{3, 3, 0, 2, 0, 2}, area, 600);
    EXPECT_EQ(frame.width, 0);
    EXPECT_EQ(frame.height, 0);
    EXPECT_EQ(Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, area, -40),
              Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, area, 0));
    EXPECT_EQ(Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, area, std::nan("")),
              Layout::frame(GridSpan{2, 1, 0, 0, 0, 0}, area, 0));
}

TEST(LayoutTest, ExtremeIntegersNeitherOverflowNorTakeTime) {
    for (const GridSpan& span :
         {GridSpan{max, max, min, max, max, min}, GridSpan{min, min, min, min, min, min},
          GridSpan{max, 1, max, max, 0, 0}}) {
        const Rect frame = Layout::frame(span, area, 10);
        EXPECT_TRUE(std::isfinite(frame.x) && std::isfinite(frame.y)) << frame.x << "," << frame.y;
        EXPECT_GE(frame.width, 0);
        EXPECT_GE(frame.height, 0);
    }
    // The whole of a huge grid still fills the area.
    EXPECT_EQ(Layout::frame(GridSpan{max, 1, 0, max, 0, 0}, area, 0).width, 1000);
}

} // namespace
} // namespace panemark
