#include "model/ZoneCommand.h"

#include <gtest/gtest.h>
#include <limits>

namespace panemark {
namespace {

ZoneCommand grid(std::int64_t cols, std::int64_t rows, std::int64_t colStart, std::int64_t colEnd,
                 std::int64_t rowStart, std::int64_t rowEnd,
                 Ordering ordering = Ordering::reading) {
    ZoneCommand command;
    command.cols = cols;
    command.rows = rows;
    command.ordering = ordering;
    command.colStart = colStart;
    command.colEnd = colEnd;
    command.rowStart = rowStart;
    command.rowEnd = rowEnd;
    return command;
}

ZoneCommand cell(std::int64_t cols, std::int64_t rows, std::int64_t col, std::int64_t row,
                 Ordering ordering = Ordering::reading) {
    return grid(cols, rows, col, col, row, row, ordering);
}

TEST(ZoneCommandTest, KindPrecedenceIsFixedSizeMaximizeHalfStepGrid) {
    ZoneCommand command = cell(2, 1, 0, 0);
    EXPECT_EQ(command.kind(), ZoneCommand::Kind::grid);
    command.maximize = false;
    EXPECT_EQ(command.kind(), ZoneCommand::Kind::grid);
    EXPECT_EQ(command.autoLabel(), "Left half");
    command.halfAction = HalfAction::bottom;
    EXPECT_EQ(command.autoLabel(), "Bottom half → full width");
    command.maximize = true;
    EXPECT_EQ(command.kind(), ZoneCommand::Kind::maximize);
    EXPECT_EQ(command.autoLabel(), "Maximize (full screen)");
    command.fixedSize = FixedSizeSpec{1920, 1080};
    EXPECT_EQ(command.kind(), ZoneCommand::Kind::fixedSize);
    EXPECT_EQ(command.autoLabel(), "1920×1080 centered");
    command.halfAction = HalfAction::top;
    command.fixedSize.reset();
    command.maximize.reset();
    EXPECT_EQ(command.autoLabel(), "Top half → full width");
}

TEST(ZoneCommandTest, SingleCellsAreNamedByAxisQuadrantOrPosition) {
    EXPECT_EQ(cell(3, 1, 1, 0).autoLabel(), "Center third");
    EXPECT_EQ(cell(3, 1, 2, 0).autoLabel(), "Right third");
    EXPECT_EQ(cell(1, 3, 0, 2).autoLabel(), "Bottom third");
    EXPECT_EQ(cell(1, 3, 0, 1).autoLabel(), "Middle third");
    EXPECT_EQ(cell(1, 2, 0, 0).autoLabel(), "Top half");
    EXPECT_EQ(cell(2, 1, 1, 0).autoLabel(), "Right half");
    EXPECT_EQ(cell(4, 1, 3, 0).autoLabel(), "4th column of 4");
    EXPECT_EQ(cell(1, 4, 0, 0).autoLabel(), "1st row of 4");
    EXPECT_EQ(cell(5, 1, 1, 0).autoLabel(), "2nd column of 5");
    EXPECT_EQ(cell(1, 1, 0, 0).autoLabel(), "1st column of 1");
    EXPECT_EQ(cell(2, 2, 1, 0).autoLabel(), "Top-right quadrant");
    EXPECT_EQ(cell(2, 2, 0, 1).autoLabel(), "Bottom-left quadrant");
    EXPECT_EQ(cell(3, 3, 2, 2, Ordering::clockwise).autoLabel(), "Position 5 of 3×3");
    EXPECT_EQ(cell(3, 3, 2, 2, Ordering::counterClockwise).autoLabel(), "Position 5 of 3×3");
    EXPECT_EQ(cell(3, 3, 2, 0, Ordering::counterClockwise).autoLabel(), "Position 7 of 3×3");
    EXPECT_EQ(cell(3, 3, 2, 2, Ordering::reading).autoLabel(), "Position 9 of 3×3");
    // Out of range: no axis name, and a cell outside the grid is position 1.
    EXPECT_EQ(cell(3, 1, 5, 0).autoLabel(), "Position 1 of 3×1");
    EXPECT_EQ(cell(2, 1, -1, 0).autoLabel(), "Position 1 of 2×1");
}

TEST(ZoneCommandTest, OrdinalsAreSimpleAboveThree) {
    EXPECT_EQ(cell(30, 1, 1, 0).autoLabel(), "2nd column of 30");
    EXPECT_EQ(cell(30, 1, 2, 0).autoLabel(), "3rd column of 30");
    EXPECT_EQ(cell(30, 1, 10, 0).autoLabel(), "11th column of 30");
    EXPECT_EQ(cell(30, 1, 20, 0).autoLabel(), "21th column of 30");
    EXPECT_EQ(cell(1, 30, 0, 21).autoLabel(), "22th row of 30");
}

TEST(ZoneCommandTest, SpansAreNamedByTheirRangesWhateverTheirOrder) {
    EXPECT_EQ(grid(3, 2, 2, 0, 0, 0).autoLabel(), "Cells 1–3×1 of 3×2");
    EXPECT_EQ(grid(3, 2, 0, 1, 0, 0).autoLabel(), "Cells 1–2×1 of 3×2");
    EXPECT_EQ(grid(4, 4, 1, 1, 3, 0).autoLabel(), "Cells 2×1–4 of 4×4");
    EXPECT_EQ(grid(0, 0, 0, 9, 0, 0).autoLabel(), "Cells 1–10×1 of 0×0");
}

TEST(ZoneCommandTest, ExtremeIntegersAreLabelledWithoutOverflow) {
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(grid(max, min, min, max, max, max).autoLabel(),
              "Cells -9223372036854775807–9223372036854775808×9223372036854775808 of "
              "9223372036854775807×-9223372036854775808");
    EXPECT_EQ(cell(7, 1, max, 0).autoLabel(), "9223372036854775808th column of 7");
    EXPECT_EQ(cell(max, max, max - 1, max - 1).autoLabel(),
              "Position 85070591730234615847396907784232501249 of "
              "9223372036854775807×9223372036854775807");
    ZoneCommand huge;
    huge.fixedSize = FixedSizeSpec{min, max};
    EXPECT_EQ(huge.autoLabel(), "-9223372036854775808×9223372036854775807 centered");
}

TEST(ZoneCommandTest, DisplayNameFallsBackOnlyForBlankNames) {
    ZoneCommand command = cell(2, 1, 0, 0);
    EXPECT_EQ(command.displayName(), "Left half");
    command.name = " \t  ";
    EXPECT_EQ(command.displayName(), "Left half");
    command.name = "\u00A0\u3000"; // no-break and ideographic spaces are blank too
    EXPECT_EQ(command.displayName(), "Left half");
    command.name = "\n";
    EXPECT_EQ(command.displayName(), "\n");
    command.name = " Mail ";
    EXPECT_EQ(command.displayName(), " Mail ");
}

} // namespace
} // namespace panemark
