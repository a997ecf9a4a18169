#include "plot/PlotRanges.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

// A triangular sweep V1st -> V2nd -> V3rd -> V1st repeated, one point per step volts.
int fillSweep(TrackStore &s, int track, double v1, double v2, double v3, int cycles, double step)
{
    TrackHeader &h = s[track];
    h.Mode = ModeCV;
    h.V1st = v1;
    h.V2nd = v2;
    h.V3rd = v3;
    int n = 0;
    auto add = [&](double v) { s.data(0, track, n++) = v; };
    add(v1);
    for (int c = 0; c < cycles; ++c) {
        for (double v = v1 + step; v < v2 - step / 2; v += step)
            add(v);
        add(v2);
        for (double v = v2 - step; v > v3 + step / 2; v -= step)
            add(v);
        add(v3);
        for (double v = v3 + step; v < v1 - step / 2; v += step)
            add(v);
        add(v1);
    }
    h.pnum = n;
    return n;
}

} // namespace

TEST(NiceStep, RoundsHalfTheSpanToOneTwoOrFive)
{
    EXPECT_DOUBLE_EQ(NiceStep(0, 1), 0.1);
    EXPECT_DOUBLE_EQ(NiceStep(0, 3), 0.5);
    EXPECT_DOUBLE_EQ(NiceStep(3, 0), 0.5);
    EXPECT_DOUBLE_EQ(NiceStep(0, 14), 2);          // r = 7
    EXPECT_DOUBLE_EQ(NiceStep(-3e-6, 3e-6), 1e-6); // r = 3
    EXPECT_DOUBLE_EQ(NiceStep(5, 5), 0.5);         // no span: p = 1
    EXPECT_DOUBLE_EQ(NiceStep(0, HUGE_VAL), 0.5);
}

TEST(WidenRange, GrowsEverySideByThePercentage)
{
    const PlotRange r = WidenRange(-0.2, -1e-5, 0.8, 3e-5, 10);
    EXPECT_DOUBLE_EQ(r.xmin, -0.3);
    EXPECT_DOUBLE_EQ(r.xmax, 0.9);
    EXPECT_DOUBLE_EQ(r.ymin, -1.4e-5);
    EXPECT_DOUBLE_EQ(r.ymax, 3.4e-5);
}

TEST(CycleBoundaries, SplitsAThreeCycleVoltammogramAtItsReturns)
{
    auto s = std::make_unique<TrackStore>();
    const int n = fillSweep(*s, 3, 0.0, 0.8, -0.2, 3, 0.01);
    ASSERT_EQ(n, 601);
    EXPECT_EQ(CycleBoundaries(*s, 3), (std::vector<int>{0, 200, 400, 600}));
    EXPECT_EQ(FindTurningPoint(*s, 3, 0, 0.8), 80);
    EXPECT_EQ(FindTurningPoint(*s, 3, 80, -0.2), 180);
    EXPECT_EQ(FindTurningPoint(*s, 3, 700, 0.0), 699);
    s->header[3].Mode = ModeRDE;
    EXPECT_EQ(CycleBoundaries(*s, 3).size(), 4u);
}

TEST(CycleBoundaries, KeepsAtMost101EntriesWithTheLastCycleInTheLastOne)
{
    auto s = std::make_unique<TrackStore>();
    const int n = fillSweep(*s, 0, 0.0, 0.5, -0.5, 120, 0.1);
    const std::vector<int> b = CycleBoundaries(*s, 0);
    ASSERT_EQ(b.size(), 101u);
    EXPECT_EQ(b.front(), 0);
    EXPECT_EQ(b.back(), n - 1);
    EXPECT_TRUE(std::is_sorted(b.begin(), b.end()));
}

TEST(CycleBoundaries, ASearchThatCannotAdvanceEndsTheListInsteadOfHanging)
{
    auto s = std::make_unique<TrackStore>();
    TrackHeader &h = (*s)[1];
    h.Mode = ModeCV; // all three potentials 0, data moving away from 0 at once
    h.pnum = 50;
    for (int i = 0; i < 50; ++i)
        s->data(0, 1, i) = 0.01 * i;
    EXPECT_EQ(CycleBoundaries(*s, 1), (std::vector<int>{0, 49}));
}

TEST(CycleBoundaries, OtherModesHaveOneCycleOrNone)
{
    auto s = std::make_unique<TrackStore>();
    (*s)[2].pnum = 30;
    for (int mode : {ModePS, ModeRPMvsJ, ModeSSV, ModeSSVAll}) {
        (*s)[2].Mode = mode;
        EXPECT_EQ(CycleBoundaries(*s, 2), (std::vector<int>{0, 29})) << mode;
    }
    (*s)[2].Mode = ModeMulti;
    EXPECT_EQ(CycleBoundaries(*s, 2), std::vector<int>{0});
    (*s)[2].Mode = ModeCV;
    (*s)[2].pnum = 0;
    EXPECT_EQ(CycleBoundaries(*s, 2), (std::vector<int>{0, 0}));
    (*s)[2].pnum = 1 << 30; // a corrupt count stays inside the point store
    EXPECT_EQ(CycleBoundaries(*s, 2).back(), kMaxPoints - 1);
}

TEST(CursorText, ReadsThePointByMode)
{
    auto s = std::make_unique<TrackStore>();
    (*s)[4].Mode = ModePS;
    s->data(0, 4, 7) = 1.5;
    s->data(1, 4, 7) = 2e-6;
    EXPECT_EQ(CursorText(*s, 4, 7), QStringLiteral("t:1.500s   I:2.0000e-6A"));
    (*s)[4].Mode = ModeSSV;
    s->data(0, 4, 7) = -0.12345;
    s->data(1, 4, 7) = -1.23456e-5;
    EXPECT_EQ(CursorText(*s, 4, 7), QStringLiteral("E:-0.1235V   I:-1.2346e-5A"));
    (*s)[4].Mode = ModeMulti;
    EXPECT_EQ(CursorText(*s, 4, 7), QString());
    (*s)[4].Mode = ModeCV;
    EXPECT_EQ(CursorText(*s, 4, -1), QString());
    EXPECT_EQ(CursorText(*s, 4, kMaxPoints), QString());
}
