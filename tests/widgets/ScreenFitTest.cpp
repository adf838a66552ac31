// Where Panemark's own windows go on a monitor: inside its usable area, margins kept, on every
// edge alike.
#include "widgets/ScreenFit.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <gtest/gtest.h>

namespace panemark {
namespace {

using ScreenFit::margin;

TEST(ScreenFitTest, AFrameOverAnyEdgeMovesInsideUpToTheMarginAndNoFurther) {
    // A monitor right of and below another: its area does not start at 0.
    const QRect area(1920, 100, 1000, 800);
    const QSize size(300, 200);
    const auto placed = [&](QPoint corner) { return QRect(corner, size); };

    const QRect pastRight = placed(ScreenFit::fittedOrigin(placed({2800, 300}), area));
    EXPECT_EQ(pastRight.x() + pastRight.width(), area.x() + area.width() - margin);
    const QRect pastBottom = placed(ScreenFit::fittedOrigin(placed({2000, 850}), area));
    EXPECT_EQ(pastBottom.y() + pastBottom.height(), area.y() + area.height() - margin);
    EXPECT_EQ(ScreenFit::fittedOrigin(placed({1800, 50}), area),
              QPoint(area.x() + margin, area.y() + margin));
    // One already inside keeps its place; one wider than the room starts at the margin.
    EXPECT_EQ(ScreenFit::fittedOrigin(placed({2100, 300}), area), QPoint(2100, 300));
    EXPECT_EQ(ScreenFit::fittedOrigin(QRect(2000, 300, 1200, 200), area).x(), area.x() + margin);
}

TEST(ScreenFitTest, AWindowLargerThanTheRoomShrinksToItAndASmallOneKeepsItsSize) {
    const QRect area(0, 0, 1000, 800);
    EXPECT_EQ(ScreenFit::fittedSize(QSize(1200, 900), area),
              QSize(1000 - 2 * margin, 800 - 2 * margin));
    EXPECT_EQ(ScreenFit::fittedSize(QSize(400, 300), area), QSize(400, 300));
    EXPECT_EQ(ScreenFit::fittedSize(QSize(400, 300), QRect()), QSize(400, 300));
}

} // namespace
} // namespace panemark
