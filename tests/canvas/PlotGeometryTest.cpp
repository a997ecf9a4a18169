#include "canvas/PlotGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace kurvex;

TEST(WorldMapping, MapsTheCornersAndTheCentreOfAnUpwardWindow)
{
    const auto m = WorldMapping::fromView(0, 1, 10, -1, 200, 100);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->pixelX(0), 0);
    EXPECT_EQ(m->pixelY(1), 0);
    EXPECT_EQ(m->pixelX(10), 200);
    EXPECT_EQ(m->pixelY(-1), 100);
    EXPECT_EQ(m->pixelX(5), 100);
    EXPECT_EQ(m->pixelY(0), 50);
}

TEST(WorldMapping, TruncatesTowardsMinusInfinity)
{
    const auto m = WorldMapping::fromView(0, 0, 200, 100, 200, 100);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->pixelX(-0.5), -1);
    EXPECT_EQ(m->pixelX(0.5), 0);
    EXPECT_EQ(m->pixelY(-0.01), -1);
    EXPECT_EQ(m->pixelX(-1.0), -1);
}

TEST(WorldMapping, RefusesAnEmptyOrNonFiniteWindow)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(WorldMapping::fromView(1, 0, 1, 5, 100, 100));
    EXPECT_FALSE(WorldMapping::fromView(0, 2, 1, 2, 100, 100));
    EXPECT_FALSE(WorldMapping::fromView(nan, 0, 1, 1, 100, 100));
    EXPECT_FALSE(WorldMapping::fromView(0, 0, HUGE_VAL, 1, 100, 100));
    // A window so small its scale overflows is refused too.
    EXPECT_FALSE(WorldMapping::fromView(0, 0, 1e-320, 1, 100, 100));
}

TEST(Ticks, CountsAnInclusiveCountedLoopInTheStepsDirection)
{
    EXPECT_EQ(firstTick(-0.2, 0.5), -0.5);
    EXPECT_EQ(tickCount(-0.5, 1.0, 0.5, kMaxTicks), 4);
    // Downwards with a negative step, upwards never reaches the end.
    EXPECT_EQ(tickCount(1.0, -1.0, -0.5, kMaxTicks), 5);
    EXPECT_EQ(tickCount(1.0, -1.0, 0.5, kMaxTicks), 0);
    // 0.1 steps whose products land a hair beyond the end still stop at the end.
    const int n = tickCount(0.0, 0.3, 0.1, kMaxTicks);
    EXPECT_LE(0.0 + (n - 1) * 0.1, 0.3);
}

TEST(Ticks, DropsZeroNonFiniteAndHopelesslyFineSteps)
{
    EXPECT_EQ(tickCount(0, 1, 0, kMaxTicks), 0);
    EXPECT_EQ(tickCount(0, 1, std::numeric_limits<double>::quiet_NaN(), kMaxTicks), 0);
    EXPECT_EQ(tickCount(0, 1, HUGE_VAL, kMaxTicks), 0);
    EXPECT_EQ(tickCount(0, 1, 1e-9, kMaxTicks), 0);
    EXPECT_EQ(tickCount(0, 9999, 1, 10000), 10000);
    EXPECT_EQ(tickCount(0, 10000, 1, 10000), 0);
}

TEST(Ticks, ZeroCrossingNoiseReadsAsZero)
{
    EXPECT_EQ(snapTickToZero(-0.4 + 4 * 0.1, 0.1), 0.0);
    EXPECT_EQ(snapTickToZero(-3e-7 + 3 * 1e-7, 1e-7), 0.0);
    EXPECT_EQ(snapTickToZero(1e-7, 1e-7), 1e-7);
}

TEST(ClipSegment, KeepsTheVisiblePartOfAFarLine)
{
    double x1 = -1e12, y1 = 50, x2 = 1e12, y2 = 50;
    ASSERT_TRUE(clipSegment(x1, y1, x2, y2, -3, -3, 203, 103));
    EXPECT_NEAR(x1, -3, 0.01);
    EXPECT_NEAR(x2, 203, 0.01);
    EXPECT_DOUBLE_EQ(y1, 50);
    double a = -1e12, b = -1e12, c = -1e11, d = -5e11;
    EXPECT_FALSE(clipSegment(a, b, c, d, 0, 0, 100, 100));
    double e = 10, f = 10, g = 20, h = 30;
    ASSERT_TRUE(clipSegment(e, f, g, h, 0, 0, 100, 100));
    EXPECT_EQ(g, 20);
    EXPECT_EQ(h, 30);
}

TEST(LabelPlacement, YTitleStaysBesideTheTopOfTheAxisAndOnTheSurface)
{
    EXPECT_EQ(yTitlePosition(100, 60, 400), QPoint(104, 2));
    // An axis far right or left of the surface pulls the title back inside.
    EXPECT_EQ(yTitlePosition(5000, 60, 400), QPoint(338, 2));
    EXPECT_EQ(yTitlePosition(-5000, 60, 400), QPoint(2, 2));
    EXPECT_EQ(clampInside(std::numeric_limits<double>::quiet_NaN(), 10, 100), 0);
}
