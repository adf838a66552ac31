#include "tray_ui/PaletteLayout.h"

#include "tray_ui/ScrollIndicatorGeometry.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace panemark {
namespace {

// A 13-point monospaced line of 16 points: rows of 28.
const PaletteLayout layout(16);

TEST(PaletteLayoutTest, TheListGrowsWithItsRowsUpToACapThatTheScreenSets) {
    // Every row fits while there is room: the list grows a row at a time.
    EXPECT_EQ(layout.baseCommandListHeight(8, 1, 1000) - layout.baseCommandListHeight(7, 1, 1000),
              layout.rowHeight() + 1);
    EXPECT_GE(layout.baseCommandListHeight(7, 1, 1000), layout.estimatedContentHeight(7));
    // A long list stops at the cap, which leaves the screen's margin free, and never below
    // the smallest cap on a small screen; without a known screen, a fixed cap.
    for (const double screen : {500.0, 700.0, 1000.0, 1400.0}) {
        const double cap = layout.baseCommandListHeight(144, 1, screen);
        EXPECT_EQ(cap, std::max(PaletteLayout::minimumCap, screen - PaletteLayout::screenMargin))
            << screen;
        EXPECT_LT(cap, layout.estimatedContentHeight(144));
    }
    EXPECT_EQ(layout.baseCommandListHeight(144, 1, std::nullopt), PaletteLayout::capWithoutScreen);
    // No commands: the empty state, whatever the screen.
    EXPECT_EQ(layout.baseCommandListHeight(0, 1, 500), PaletteLayout::emptyStateHeight);
}

TEST(PaletteLayoutTest, AnOpenPickerTakesItsRoomFromTheListButLeavesTwoRows) {
    const double twoRows = layout.minimumVisibleCommandHeight();
    EXPECT_EQ(twoRows, layout.estimatedContentHeight(2));
    for (const int profiles : {2, 3, 10, 40}) {
        for (const int commands : {1, 7, 144}) {
            const double closed = layout.commandListHeight(false, commands, profiles, 1000);
            const double open = layout.commandListHeight(true, commands, profiles, 1000);
            const double picker = layout.profilePickerHeight(true, commands, profiles, 1000);
            EXPECT_EQ(layout.profilePickerHeight(false, commands, profiles, 1000), 0);
            // The palette keeps its height: what the picker gets, the list gives.
            EXPECT_LE(open + picker, std::max(closed, twoRows + picker)) << profiles;
            EXPECT_GE(open, std::min(closed, twoRows)) << profiles << " " << commands;
        }
    }
    // With no commands, the empty state stays whole.
    EXPECT_EQ(layout.commandListHeight(true, 0, 40, 1000), PaletteLayout::emptyStateHeight);
}

TEST(ScrollIndicatorTest, AThumbOnlyForContentThatDoesNotFitAndItReachesTheEnd) {
    EXPECT_FALSE(ScrollIndicatorGeometry::thumb({0, 300, 300}, 300));
    EXPECT_FALSE(ScrollIndicatorGeometry::thumb({0, 300.5, 300}, 300)); // within a point
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({0, 600, 300}, 300),
              (ScrollIndicatorGeometry::Thumb{0, 150}));
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({300, 600, 300}, 300),
              (ScrollIndicatorGeometry::Thumb{150, 150}));
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({5000, 100000, 300}, 300)->height, 24);
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({99700, 100000, 300}, 300)->top, 276);
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({-40, 600, 300}, 300)->top, 0); // overscrolled
    EXPECT_EQ(ScrollIndicatorGeometry::thumb({400, 600, 300}, 300)->top, 150);
}

} // namespace
} // namespace panemark
