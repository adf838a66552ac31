#include "placement/TargetRules.h"

#include "model/StockCommands.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace panemark {
namespace {

constexpr Rect visible{0, 0, 1000, 800};

// What the user reads in each stock command's name is where it puts a window.
TEST(TargetRulesTest, EachStockCommandLandsWhereItsNameSays) {
    const Rect screen{0, 0, 1200, 800};
    const Rect window{300, 200, 400, 300};
    const std::map<std::string, Rect> expected = {
        {"Left third", {0, 0, 400, 800}},
        {"Center third", {400, 0, 400, 800}},
        {"Right third", {800, 0, 400, 800}},
        {"Left half", {0, 0, 600, 800}},
        {"Right half", {600, 0, 600, 800}},
        // A half step first cuts the window to the half, keeping its width.
        {"Top half → full width", {300, 0, 400, 400}},
        {"Bottom half → full width", {300, 400, 400, 400}},
    };
    for (const ZoneCommand& command : stockCommands()) {
        const auto wanted = expected.find(command.displayName());
        ASSERT_NE(wanted, expected.end()) << command.displayName();
        EXPECT_EQ(TargetRules::ruleFor(command, 0)(screen, window), wanted->second)
            << command.displayName();
    }
}

TEST(TargetRulesTest, HalfStepCutsThenWidensThenLeavesAlone) {
    // Neither half: cut to the top half, keeping x and width.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{100, 100, 500, 600}),
              (Rect{100, 10, 500, 385}));
    // In the top half but narrow: widen to the full-width half.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{100, 10, 500, 390}),
              (Rect{10, 10, 980, 385}));
    // Already there within the tolerance: no change.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 0, 975, 380}),
              std::nullopt);
    // The opposite key restores the full height with the same x and width.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::bottom, 10, visible, Rect{10, 0, 975, 380}),
              (Rect{10, 10, 975, 780}));
    EXPECT_EQ(TargetRules::halfStep(HalfAction::bottom, 10, visible, Rect{50, 500, 300, 200}),
              (Rect{50, 405, 300, 385}));
}

TEST(TargetRulesTest, HalfStepToleranceIsTheGapPlusEightOnTheBottomEdgeAndHeight) {
    // T = (10, 10, 980, 385), bottom edge 395; tolerance 18.
    const Rect top{10, 10, 980, 385};
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, -8, 980, 385}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, -9, 980, 385}), top);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 10, 962, 385}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 10, 961, 385}), top);
    // The same bottom edge with a height 18 short still counts as in the half.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 28, 980, 367}),
              std::nullopt);
    // A negative gap counts as 0 for the halves but shrinks the tolerance as given: -5 + 8 = 3.
    const Rect noGapTop{0, 0, 1000, 400};
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, -5, visible, Rect{0, -3, 1000, 400}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, -5, visible, Rect{0, -4, 1000, 400}),
              noGapTop);
}

TEST(TargetRulesTest, HalfStepPassingBothTestsRestoresFullHeight) {
    // A window so close to both halves (tolerance 508 with a 500 gap) that the opposite test wins.
    const Rect base{0, 700, 100, 100};
    const auto top = TargetRules::halfStep(HalfAction::top, 500, visible, base);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->x, 0);
    EXPECT_EQ(top->width, 100);
    EXPECT_EQ(top->y, TargetRules::grid(GridSpan{1, 1, 0, 0, 0, 0}, 500, visible).y);
}

TEST(TargetRulesTest, FixedSizeIsExactAndCentredEvenWhenLargerThanTheScreen) {
    // Centred at 437.5 + 25: the bottom edge at exactly 1182.5 rounds up the screen.
    EXPECT_EQ(TargetRules::fixedSize(FixedSizeSpec{2560, 1440}, Rect{0, 25, 1440, 875}),
              (Rect{-560, -258, 2560, 1440}));
    EXPECT_EQ(TargetRules::fixedSize(FixedSizeSpec{101, 101}, Rect{0, 0, 1000, 800}),
              (Rect{450, 349, 101, 101}));
    EXPECT_EQ(TargetRules::fixedSize(FixedSizeSpec{101, 101}, Rect{-1000, -800, 1000, 800}),
              (Rect{-551, -451, 101, 101}));
}

TEST(TargetRulesTest, RuleForFollowsTheKindPrecedence) {
    ZoneCommand command;
    command.cols = 3;
    command.colStart = command.colEnd = 1;
    const Rect visible{0, 0, 1440, 875};
    EXPECT_EQ(TargetRules::ruleFor(command, 0)(visible, visible), (Rect{480, 0, 480, 875}));
    command.halfAction = HalfAction::top;
    EXPECT_EQ(TargetRules::ruleFor(command, 0)(visible, visible), (Rect{0, 0, 1440, 438}));
    command.maximize = true;
    const Rect fractional{0.5, 25, 1439.5, 850.25};
    EXPECT_EQ(TargetRules::ruleFor(command, 40)(fractional, visible), fractional);
    command.fixedSize = FixedSizeSpec{800, 600};
    EXPECT_EQ(TargetRules::ruleFor(command, 40)(visible, visible), (Rect{320, 137, 800, 600}));
}

} // namespace
} // namespace panemark
