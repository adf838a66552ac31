#include "model/AnimationCurve.h"

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

} // namespace
} // namespace panemark
