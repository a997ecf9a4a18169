#include "measure/MonitorPlot.h"
#include "MeasureRig.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;

TEST(MonitorPlot, RingWrapsAfterItsLimitAndClearEmptiesIt)
{
    ensureGuiApp();
    MemoryClipboard clipboard;
    Graph g(clipboard);
    MonitorPlot plot(2, 3);
    plot.clear(g, {QStringLiteral("Voltage Monitor /V"), QStringLiteral("0.00"),
                   QStringLiteral("0.0e+0")});
    EXPECT_EQ(g.title(), "Voltage Monitor /V");
    const std::vector<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 5; ++i)
        plot.add(g, {{0.01 * i, 0.001}, {-0.01 * i, -0.001}}, colours);
    EXPECT_EQ(plot.index(), 1); // 0, 1, 2, 3, then 0 again
    EXPECT_EQ(plot.at(0, 0)[0], 0.04);
    EXPECT_EQ(plot.at(1, 0)[0], -0.04);
    EXPECT_EQ(plot.at(0, 3)[0], 0.03);
    plot.clear(g, {});
    EXPECT_EQ(plot.index(), 0);
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(plot.at(0, i)[0], MonitorPlot::kEmpty);
}

TEST(MonitorPlot, RangeGrowsWithMarginAndSkipsFarPointsOnRedraw)
{
    ensureGuiApp();
    MemoryClipboard clipboard;
    Graph g(clipboard);
    MonitorPlot plot(1, 100);
    MonitorPlot::Style style{QStringLiteral("m"), QStringLiteral("0"), QStringLiteral("0")};
    style.maxAbsX = 3;
    plot.clear(g, style);
    EXPECT_EQ(plot.range().xmax, 0.1);
    const std::vector<QRgb> red{qRgb(255, 0, 0)};
    plot.add(g, {{0.05, 0.005}}, red); // inside: drawn alone
    EXPECT_EQ(plot.range().xmax, 0.1);
    plot.add(g, {{1.0, 0.005}}, red); // outside: the range takes it in, the view adds the margin
    EXPECT_DOUBLE_EQ(plot.range().xmin, -0.1);
    EXPECT_DOUBLE_EQ(plot.range().xmax, 1.0);
    plot.add(g, {{1.0, 0.009}}, red); // growing in y leaves x alone
    EXPECT_DOUBLE_EQ(plot.range().xmax, 1.0);
    // A reading beyond |x| = 3 widens the range, but the redraw leaves such entries out.
    Graph all(clipboard);
    MonitorPlot unlimited(1, 100);
    unlimited.clear(all, {QStringLiteral("m"), QStringLiteral("0"), QStringLiteral("0")});
    unlimited.add(all, {{0.05, 0.005}}, red);
    unlimited.add(all, {{1.0, 0.005}}, red);
    unlimited.add(all, {{1.0, 0.009}}, red);
    EXPECT_EQ(g.image(), all.image());
    plot.add(g, {{5.0, 0.0}}, red);
    unlimited.add(all, {{5.0, 0.0}}, red);
    EXPECT_EQ(plot.range().xmax, 5.0);
    EXPECT_EQ(plot.range().xmax, unlimited.range().xmax);
    EXPECT_NE(g.image(), all.image());
}
