#include "settings_ui/CommandEditing.h"

#include "settings_ui/GridGeometry.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

ZoneCommand grid(std::int64_t cols, std::int64_t rows, std::int64_t c0, std::int64_t c1,
                 std::int64_t r0, std::int64_t r1) {
    ZoneCommand command;
    command.cols = cols;
    command.rows = rows;
    command.colStart = c0;
    command.colEnd = c1;
    command.rowStart = r0;
    command.rowEnd = r1;
    return command;
}

std::pair<std::int64_t, std::int64_t> cellAt(std::int64_t c, std::int64_t r) {
    return {c, r};
}

TEST(CommandEditingTest, ShrinkingTheGridLowersTheSpanIntoIt) {
    const ZoneCommand narrower = CommandEditing::withGrid(grid(4, 2, 1, 3, 0, 1), 2, 2);
    EXPECT_EQ(narrower.colStart, 1);
    EXPECT_EQ(narrower.colEnd, 1);
    const ZoneCommand flatter = CommandEditing::withGrid(narrower, 2, 1);
    EXPECT_EQ(flatter.rowStart, 0);
    EXPECT_EQ(flatter.rowEnd, 0);
    // Never raised: a span at the start stays where it is in a bigger grid.
    EXPECT_EQ(CommandEditing::withGrid(grid(2, 2, 0, 1, 0, 0), 12, 12).colEnd, 1);
}

TEST(CommandEditingTest, PositionCountsInTheCommandsOrderAndCollapsesASpan) {
    const ZoneCommand cell = grid(3, 3, 2, 2, 1, 1);
    EXPECT_EQ(CommandEditing::position(cell), 6);
    EXPECT_EQ(CommandEditing::positionLabel(cell), "Cell 6");
    EXPECT_EQ(CommandEditing::selectionDetail(cell), "(single cell)");
    const ZoneCommand next = CommandEditing::withPosition(cell, 7);
    EXPECT_EQ(std::make_pair(next.colStart, next.rowStart), cellAt(0, 2));
    EXPECT_TRUE(CommandEditing::isSingleCell(next));
    const ZoneCommand beyond = CommandEditing::withPosition(cell, 99); // the last cell
    EXPECT_EQ(std::make_pair(beyond.colEnd, beyond.rowEnd), cellAt(2, 2));

    const ZoneCommand span = grid(3, 3, 2, 1, 2, 1); // dragged up and left from (2, 2)
    EXPECT_EQ(CommandEditing::positionLabel(span), "Span 2×2");
    EXPECT_EQ(CommandEditing::selectionDetail(span), "(4 cells)");
    EXPECT_EQ(CommandEditing::position(span), 5); // its top-left cell, (1, 1)
    const ZoneCommand start = CommandEditing::singleCell(span);
    EXPECT_EQ(std::make_pair(start.colEnd, start.rowEnd), cellAt(2, 2));
}

TEST(CommandEditingTest, FormsFollowTheRunPrecedenceAndSizesTheirPresets) {
    ZoneCommand command = grid(2, 1, 0, 0, 0, 0);
    EXPECT_EQ(CommandEditing::formFor(command), CommandEditing::Form::grid);
    command.halfAction = HalfAction::bottom;
    EXPECT_EQ(CommandEditing::formFor(command), CommandEditing::Form::halfStep);
    command.maximize = false;
    EXPECT_EQ(CommandEditing::formFor(command), CommandEditing::Form::halfStep);
    command.maximize = true;
    EXPECT_EQ(CommandEditing::formFor(command), CommandEditing::Form::maximize);
    command.fixedSize = FixedSizeSpec{1920, 1080};
    EXPECT_EQ(CommandEditing::formFor(command), CommandEditing::Form::fixedSize);
    EXPECT_TRUE(CommandEditing::isPreset(command, CommandEditing::presets[1]));
    command = CommandEditing::withWidth(command, 1930);
    for (const auto& preset : CommandEditing::presets) {
        EXPECT_FALSE(CommandEditing::isPreset(command, preset)) << preset.label;
    }
    EXPECT_EQ(command.fixedSize->height, 1080);
    ZoneCommand bare;
    EXPECT_EQ(CommandEditing::withHeight(bare, 700).fixedSize, (FixedSizeSpec{1920, 700}));
}

TEST(GridGeometryTest, APressPicksACellAndADragARectangleClampedToTheGrid) {
    const GridGeometry three(3, 2, QSizeF(300, 200));
    const auto click = three.spanFor({250, 150}, {250, 150});
    ASSERT_TRUE(click);
    EXPECT_EQ(*click, (GridSpan{3, 2, 2, 2, 1, 1}));
    const auto backwards = three.spanFor({299, 199}, {1, 1});
    EXPECT_EQ(*backwards, (GridSpan{3, 2, 2, 0, 1, 0})); // start holds where the drag began
    const GridGeometry four(4, 1, QSizeF(400, 100));
    EXPECT_EQ(four.spanFor({10, 10}, {5000, -40})->colEnd, 3);
    EXPECT_EQ(four.spanFor({10, 10}, {-5000, 10})->colEnd, 0);
    const GridGeometry one(1, 1, QSizeF(100, 60));
    EXPECT_EQ(*one.spanFor({99, 59}, {50, 30}), (GridSpan{1, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(GridGeometry(3, 3, QSizeF(0, 0)).spanFor({0, 0}, {0, 0}));
    // Gutters are split between neighbours: the boundary is the pitch itself.
    EXPECT_EQ(three.columnAt(99.9), 0);
    EXPECT_EQ(three.columnAt(100.0), 1);
}

TEST(GridGeometryTest, CellsKeepTheirGuttersAndSmallCellsGetSmallNumbers) {
    const GridGeometry three(3, 2, QSizeF(300, 200));
    EXPECT_EQ(three.cellRect(1, 1), QRectF(101.5, 101.5, 97, 97));
    EXPECT_EQ(three.numberPointSize(), 18);
    const QSizeF board = GridGeometry::boardSize({420, 1000});
    EXPECT_EQ(board, QSizeF(420, 262.5));
    const GridGeometry twelve(12, 12, QSizeF(420 - 28, 262.5 - 28));
    EXPECT_EQ(twelve.numberPointSize(), 11);
}

} // namespace
} // namespace panemark
