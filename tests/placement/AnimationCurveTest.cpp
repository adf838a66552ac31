#include "placement/AnimationCurve.h"

#include "placement/WindowAnimation.h"

#include <cmath>
#include <gtest/gtest.h>

namespace panemark {
namespace {

TEST(AnimationCurveTest, CurvesStartAtZeroEndAtOneAndClampOutside) {
    for (const AnimationCurve curve : AnimationCurve::allCases()) {
        EXPECT_DOUBLE_EQ(curve.progress(0), 0) << curve.rawValue();
        EXPECT_DOUBLE_EQ(curve.progress(1), 1) << curve.rawValue();
        EXPECT_DOUBLE_EQ(curve.progress(-3), 0) << curve.rawValue();
        EXPECT_DOUBLE_EQ(curve.progress(7), 1) << curve.rawValue();
        EXPECT_DOUBLE_EQ(curve.progress(std::nan("")), 1) << curve.rawValue();
    }
}

TEST(AnimationCurveTest, ShapesOfTheThreeCurves) {
    EXPECT_DOUBLE_EQ(AnimationCurve(AnimationCurve::linear).progress(0.3), 0.3);
    EXPECT_DOUBLE_EQ(AnimationCurve(AnimationCurve::easeOut).progress(0.5), 0.875);
    EXPECT_EQ(AnimationCurve(AnimationCurve::easeInOut).progress(0.5), 0.5);
    EXPECT_DOUBLE_EQ(AnimationCurve(AnimationCurve::easeInOut).progress(0.25), 0.0625);
    EXPECT_DOUBLE_EQ(AnimationCurve(AnimationCurve::easeInOut).progress(0.75), 0.9375);
}

TEST(WindowAnimationTest, WriteOrderFollowsTheChangeOfSize) {
    using FrameWrite = WindowAnimation::FrameWrite;
    EXPECT_EQ(WindowAnimation::writeOrder({0, 0, 100, 50}, {300, 9, 100, 50}),
              FrameWrite::positionOnly);
    EXPECT_EQ(WindowAnimation::writeOrder({0, 0, 100, 50}, {0, 0, 99, 50}),
              FrameWrite::sizeThenPosition);
    EXPECT_EQ(WindowAnimation::writeOrder({0, 0, 100, 50}, {0, 0, 101, 50}),
              FrameWrite::positionThenSize);
    EXPECT_EQ(WindowAnimation::writeOrder({0, 0, 100, 50}, {0, 0, 50, 100}),
              FrameWrite::positionThenSize);
}

} // namespace
} // namespace panemark
