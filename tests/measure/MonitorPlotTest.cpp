#include "measure/MonitorPlot.h"
#include "MeasureRig.h"
#include "measure/CVModel.h"
#include "measure/RDEModel.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

#include <functional>

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

// The two graph windows are shared by every measurement window: while one window measures, the
// monitors of the others leave the graphs its run draws on alone, whether they were open before
// the run or opened during it.
TEST(MonitorPlot, AnotherWindowsRunKeepsTheGraphsItDrawsOn)
{
    using Make = std::function<std::unique_ptr<MeasurementModel>(MeasureRig &)>;
    const Make cv = [](MeasureRig &r) { return std::make_unique<CVModel>(*r.context); };
    const Make rde = [](MeasureRig &r) { return std::make_unique<RDEModel>(*r.context); };
    const struct {
        const char *name;
        Make watcher, measurer;
        bool watcherOpensDuringRun;
        bool runUsesMonitorGraph;
    } cases[] = {
        {"CV open, RDE measures", cv, rde, false, true},
        {"RDE open, CV measures", rde, cv, false, false},
        {"CV opened during an RDE run", cv, rde, true, true},
    };
    for (const auto &c : cases) {
        MeasureRig r;
        std::unique_ptr<MeasurementModel> watcher = c.watcher(r);
        std::unique_ptr<MeasurementModel> measurer = c.measurer(r);
        watcher->setTimerDriven(false);
        measurer->setTimerDriven(false);
        if (!c.watcherOpensDuringRun) {
            ASSERT_TRUE(watcher->open()) << c.name;
        }
        std::int32_t retain = 0;
        measurer->RetainTime(retain);
        measurer->SamplingRate(10);
        measurer->start();
        r.ticks(*measurer, 20);
        ASSERT_TRUE(measurer->isRecording()) << c.name;
        const QImage monitor = r.monitor.image(), result = r.result.image();
        const QString monitorTitle = r.monitor.title();
        if (c.watcherOpensDuringRun) {
            ASSERT_TRUE(watcher->open()) << c.name;
        }
        r.ticks(*watcher, 50);
        EXPECT_TRUE(r.result.image() == result) << c.name;
        if (c.runUsesMonitorGraph) {
            EXPECT_TRUE(r.monitor.image() == monitor) << c.name;
            EXPECT_EQ(r.monitor.title(), monitorTitle) << c.name;
        }
        measurer->closeWindow();
    }
}
