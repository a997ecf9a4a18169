#include "plot/LivePlot.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {
struct Fixture {
    MemoryClipboard clipboard;
    Graph graph{clipboard};
    LivePlot plot{&graph};
    int redraws = 0;
    void add(double x, double y, bool force = false)
    {
        plot.add(
            x, y, qRgb(255, 0, 0),
            [this] {
                ++redraws;
                plot.setView();
            },
            force);
    }
};
} // namespace

// The range follows the data exactly; only a point that widens it (or a forced one) redraws.
TEST(LivePlot, RangeGrowsWithThePointsAndRedrawsOnlyWhenItGrows)
{
    struct Case {
        double x, y;
        bool force;
        bool redraws;
        PlotRange after;
    };
    const Case cases[] = {
        {0.5, 0.5, false, false, {-1, -1, 1, 1}}, {2, 0, false, true, {-1, -1, 2, 1}},
        {1.5, 0.9, false, false, {-1, -1, 2, 1}}, {0, -3, false, true, {-1, -3, 2, 1}},
        {-4, 5, false, true, {-4, -3, 2, 5}},     {0, 0, true, true, {-4, -3, 2, 5}},
        {1, 1, false, false, {-4, -3, 2, 5}},
    };
    Fixture f;
    f.plot.reset({-1, -1, 1, 1});
    for (const Case &c : cases) {
        const int before = f.redraws;
        f.add(c.x, c.y, c.force);
        EXPECT_EQ(f.redraws - before, c.redraws ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(f.plot.range().xmin, c.after.xmin);
        EXPECT_EQ(f.plot.range().ymin, c.after.ymin);
        EXPECT_EQ(f.plot.range().xmax, c.after.xmax);
        EXPECT_EQ(f.plot.range().ymax, c.after.ymax);
    }
}

TEST(LivePlot, GrowthWithoutDrawingAndResizesWaitForTheNextView)
{
    Fixture f;
    f.plot.reset({0, 0, 1, 1});
    EXPECT_FALSE(f.plot.extend(0.5, 0.5));
    EXPECT_TRUE(f.plot.extend(3, 0.5));
    EXPECT_FALSE(f.plot.extend(2, 0.5));
    EXPECT_TRUE(f.plot.grown()); // since the view was set, not just at the last point
    f.plot.setView();
    EXPECT_FALSE(f.plot.grown());
    f.graph.SetSize(0, 0, 300 * 15, 200 * 15);
    EXPECT_TRUE(f.plot.resized());
    f.add(1, 1);
    EXPECT_EQ(f.redraws, 1);
    EXPECT_FALSE(f.plot.resized());
}
