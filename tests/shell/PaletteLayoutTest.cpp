#include "shell/PaletteLayout.h"

#include "shell/ScrollIndicatorGeometry.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

// A 13-point monospaced line of 16 points: rows of 28.
const PaletteLayout layout(16);

TEST(PaletteLayoutTest, TheListHoldsItsRowsUpToTheScreensCap) {
    EXPECT_EQ(layout.estimatedContentHeight(0), 0);
    EXPECT_EQ(layout.estimatedContentHeight(7), 28 * 7 + 6 + 12);
    EXPECT_EQ(layout.baseCommandListHeight(0, 1, 1000), 62); // the empty state
    EXPECT_EQ(layout.baseCommandListHeight(7, 1, 1000), 214);
    EXPECT_EQ(layout.baseCommandListHeight(144, 1, 500), 320);
    EXPECT_EQ(layout.baseCommandListHeight(144, 1, 1000), 740);
    EXPECT_EQ(layout.baseCommandListHeight(144, 1, std::nullopt), 540);
}

TEST(PaletteLayoutTest, AnOpenPickerLeavesTwoCommandRows) {
    const double twoRows = layout.minimumVisibleCommandHeight(); // 28 × 2 + 1 + 12
    EXPECT_EQ(twoRows, 69);
    // Three profiles, seven commands: room for all three profiles and the list shrinks.
    EXPECT_EQ(layout.profilePickerHeight(false, 7, 3, 1000), 0);
    EXPECT_EQ(layout.profilePickerHeight(true, 7, 3, 1000), 28 * 3 + 2 + 12);
    EXPECT_EQ(layout.commandListHeight(true, 7, 3, 1000), 214 - 98);
    // Forty profiles on a small screen: the picker gives way, two command rows stay.
    EXPECT_EQ(layout.commandListHeight(true, 144, 40, 500), twoRows);
    // With no commands, the empty state stays whole.
    EXPECT_EQ(layout.commandListHeight(true, 0, 40, 1000), 62);
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
