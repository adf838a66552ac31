#include "model/Ordering.h"

#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <utility>

namespace panemark {
namespace {

using Cells = std::vector<GridCell>;

TEST(OrderingTest, SpiralsOnThreeByThree) {
    EXPECT_EQ(Ordering(Ordering::clockwise).cells(3, 3),
              (Cells{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {1, 1}}));
    EXPECT_EQ(Ordering(Ordering::counterClockwise).cells(3, 3),
              (Cells{{0, 0}, {0, 1}, {0, 2}, {1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}, {1, 1}}));
    EXPECT_EQ(Ordering(Ordering::reading).cells(2, 2), (Cells{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST(OrderingTest, NonPositiveSizesCountAsOne) {
    EXPECT_EQ(Ordering(Ordering::clockwise).cells(0, -4), (Cells{{0, 0}}));
    EXPECT_EQ(
        Ordering(Ordering::reading).position({0, 0}, std::numeric_limits<std::int64_t>::min(), 0),
        1);
}

// The listed orders and the direct position formula must agree on every grid the editor
// offers, and each order must list every cell exactly once.
TEST(OrderingTest, PositionAgreesWithTheListedOrderOnEveryEditableGrid) {
    for (const Ordering ordering : Ordering::allCases()) {
        for (std::int64_t cols = 1; cols <= 13; ++cols) {
            for (std::int64_t rows = 1; rows <= 13; ++rows) {
                const Cells cells = ordering.cells(cols, rows);
                ASSERT_EQ(cells.size(), static_cast<std::size_t>(cols * rows));
                std::set<std::pair<std::int64_t, std::int64_t>> seen;
                for (std::size_t i = 0; i < cells.size(); ++i) {
                    seen.insert({cells[i].col, cells[i].row});
                    ASSERT_EQ(ordering.position(cells[i], cols, rows), static_cast<WideInt>(i + 1))
                        << ordering.rawValue() << " " << cols << "x" << rows << " cell " << i;
                }
                ASSERT_EQ(seen.size(), cells.size());
            }
        }
    }
}

TEST(OrderingTest, CellsOutsideTheGridArePositionOne) {
    const Ordering clockwise = Ordering::clockwise;
    EXPECT_EQ(clockwise.position({3, 0}, 3, 3), 1);
    EXPECT_EQ(clockwise.position({-1, 1}, 3, 3), 1);
    EXPECT_EQ(clockwise.position({1, 3}, 3, 3), 1);
}

TEST(OrderingTest, HugeGridsArePositionedWithoutListingOrOverflow) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const WideInt cells = static_cast<WideInt>(max) * max;
    EXPECT_EQ(Ordering(Ordering::reading).position({max - 1, max - 1}, max, max), cells);
    EXPECT_EQ(Ordering(Ordering::clockwise).position({0, 1}, max, max),
              cells - (max - 2) * static_cast<WideInt>(max - 2));
    EXPECT_EQ(Ordering(Ordering::counterClockwise).position({max - 1, 0}, max, 2),
              static_cast<WideInt>(max) + 2);
    EXPECT_TRUE(Ordering(Ordering::reading).cells(max, max).empty());
    EXPECT_TRUE(Ordering(Ordering::clockwise).cells(1 << 20, 2).empty());
}

} // namespace
} // namespace panemark
