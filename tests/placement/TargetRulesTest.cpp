#include "placement/TargetRules.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

constexpr Rect visible{0, 0, 1000, 800};

TEST(TargetRulesTest, HalfStepCutsThenWidensThenLeavesAlone) {
    // Neither half: cut to the top half, keeping x and width.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{100, 100, 500, 600}),
              (Rect{100, 405, 500, 385}));
    // In the top half but narrow: widen to the full-width half.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{100, 400, 500, 390}),
              (Rect{10, 405, 980, 385}));
    // Already there within the tolerance: no change.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 420, 975, 380}),
              std::nullopt);
    // The opposite key restores the full height with the same x and width.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::bottom, 10, visible, Rect{10, 420, 975, 380}),
              (Rect{10, 10, 975, 780}));
    EXPECT_EQ(TargetRules::halfStep(HalfAction::bottom, 10, visible, Rect{50, 100, 300, 200}),
              (Rect{50, 10, 300, 385}));
}

TEST(TargetRulesTest, HalfStepToleranceIsTheGapPlusEight) {
    // T = (10, 405, 980, 385); tolerance 18.
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 423, 980, 385}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 424, 980, 385}),
              (Rect{10, 405, 980, 385}));
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 405, 962, 385}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, 10, visible, Rect{10, 405, 961, 385}),
              (Rect{10, 405, 980, 385}));
    // A negative gap counts as 0 for the halves but shrinks the tolerance as given: -5 + 8 = 3.
    const Rect top{0, 400, 1000, 400};
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, -5, visible, Rect{0, 403, 1000, 400}),
              std::nullopt);
    EXPECT_EQ(TargetRules::halfStep(HalfAction::top, -5, visible, Rect{0, 404, 1000, 400}), top);
}

TEST(TargetRulesTest, HalfStepPassingBothTestsRestoresFullHeight) {
    // A window so close to both halves (tolerance 508 with a 500 gap) that the opposite test wins.
    const Rect base{0, 0, 100, 100};
    const auto top = TargetRules::halfStep(HalfAction::top, 500, visible, base);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->x, 0);
    EXPECT_EQ(top->width, 100);
    EXPECT_EQ(top->y, TargetRules::grid(GridSpan{1, 1, 0, 0, 0, 0}, 500, visible).y);
}

TEST(TargetRulesTest, FixedSizeIsExactAndCentredEvenWhenLargerThanTheScreen) {
    EXPECT_EQ(TargetRules::fixedSize(FixedSizeSpec{2560, 1440}, Rect{0, 25, 1440, 875}),
              (Rect{-560, -258, 2560, 1440}));
    EXPECT_EQ(TargetRules::fixedSize(FixedSizeSpec{101, 101}, Rect{0, 0, 1000, 800}),
              (Rect{450, 350, 101, 101}));
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
    EXPECT_EQ(TargetRules::ruleFor(command, 0)(visible, visible), (Rect{0, 438, 1440, 438}));
    command.maximize = true;
    const Rect fractional{0.5, 25, 1439.5, 850.25};
    EXPECT_EQ(TargetRules::ruleFor(command, 40)(fractional, visible), fractional);
    command.fixedSize = FixedSizeSpec{800, 600};
    EXPECT_EQ(TargetRules::ruleFor(command, 40)(visible, visible), (Rect{320, 138, 800, 600}));
}

} // namespace
} // namespace panemark
