#include "processing/SpecialCopy.h"
#include "ProcessingFixtures.h"
#include "plot/PlotRanges.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

struct CopyRig {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    MemoryClipboard clipboard;
    ScriptedPrompts prompts;
    SpecialCopyController c{*store, settings, clipboard, prompts};
};

// Thinning off: no candidate continues a run, so every point is kept.
ThinningOptions everyPoint()
{
    ThinningOptions t;
    t.degree = 0;
    t.distance = 0;
    return t;
}

} // namespace

TEST(SpecialCopy, RefusalsLeaveTheClipboardAlone)
{
    CopyRig r;
    r.clipboard.content = QStringLiteral("before");
    EXPECT_FALSE(r.c.go(QLatin1Char('.')));
    makeTrack(*r.store, 0, ModeCV, 5, [](int i) {
        return std::array<double, 3>{i * 0.1, 1e-6, 0};
    });
    r.c.options.conversion = 1;
    EXPECT_FALSE(r.c.go(QLatin1Char('.')));
    r.c.options.conversion = 2;
    (*r.store)[0].Weight = 0;
    EXPECT_FALSE(r.c.go(QLatin1Char('.')));
    EXPECT_EQ(r.prompts.messages, (QStringList{QStringLiteral("No Data"),
                                               QStringLiteral("Please Input the electrode area."),
                                               QStringLiteral("Please Input the weight.")}));
    EXPECT_EQ(r.clipboard.content, QStringLiteral("before"));
}

TEST(SpecialCopy, AStraightLineThinsToItsEndsPerAreaInMilliamperes)
{
    CopyRig r;
    makeTrack(*r.store, 0, ModeCV, 11, [](int i) {
        return std::array<double, 3>{i * 0.1, 2e-7 * i, 0};
    });
    r.c.activate();
    r.c.setArea(0.5);
    r.c.options.conversion = 1;
    r.c.options.diskUnit = 2;
    r.c.options.thinning.distance = 2;
    ASSERT_TRUE(r.c.go(QLatin1Char('.')));
    EXPECT_EQ(r.clipboard.content, QStringLiteral("\r\nPotential/V\tDisk/mAcm-2\r\n"
                                                  "0.0000\t0\r\n"
                                                  "1.0000\t.004\r\n"));
    EXPECT_EQ((*r.store)[0].Area, 0.5);
}

TEST(SpecialCopy, ShortDistanceKeepsPointsWhereTheCurveBends)
{
    auto store = std::make_unique<TrackStore>();
    // Flat, then a steep rise, then flat again: the bends are kept, the straight parts thinned.
    makeTrack(*store, 0, ModePS, 301, [](int i) {
        const double t = i * 0.01;
        return std::array<double, 3>{t, t < 1 ? 0 : (t < 2 ? t - 1 : 1), 0};
    });
    ThinningOptions o;
    o.degree = 10;
    o.distance = 0.5;
    const std::vector<int> kept = thinPoints(*store, 0, 0, 301, o);
    EXPECT_LT(kept.size(), 30u);
    EXPECT_EQ(kept.front(), 0);
    EXPECT_EQ(kept.back(), 300);
    auto near = [&](int p) {
        return std::any_of(kept.begin(), kept.end(), [p](int k) { return std::abs(k - p) <= 1; });
    };
    EXPECT_TRUE(near(100));
    EXPECT_TRUE(near(200));
}

TEST(SpecialCopy, CathodicAbsoluteRingDiskRows)
{
    CopyRig r;
    const double disk[] = {-1e-6, 2e-6, -3e-6, 0};
    const double ring[] = {5e-7, -6e-7, 7e-7, 8e-7};
    makeTrack(*r.store, 0, ModeRDE, 4, [&](int i) {
        return std::array<double, 3>{0.1 * (i + 1), disk[i], ring[i]};
    });
    r.c.options.thinning = everyPoint();
    r.c.options.polarity = 1;
    r.c.options.absolute = true;
    r.c.options.ringUnit = 3;
    ASSERT_TRUE(r.c.go(QLatin1Char('.')));
    EXPECT_EQ(r.clipboard.content, QString::fromUtf8("\r\nPotential/V\tDisk/A\tRing/µA\r\n"
                                                     "0.1000\t1.0000e-6\t.5\r\n"
                                                     "0.3000\t3.0000e-6\t.7\r\n"
                                                     "0.4000\t0.0000e+0\t.8\r\n"));
}

TEST(SpecialCopy, SpecifiedCycleCopiesOnlyItsPoints)
{
    CopyRig r;
    makeCV(*r.store, 0, ModeCV, 0.5, -0.5, 50, 6, [](double x, int s) { return (s + 1) * x; });
    r.c.activate();
    ASSERT_EQ(r.c.cycles().size(), 3);
    r.c.options.thinning = everyPoint();
    r.c.options.cycle = 1;
    r.c.options.information = true;
    ASSERT_TRUE(r.c.go(QLatin1Char('.')));
    // Cycle c ends one before entry c + 1 minus 1: the turning point and the one before it
    // belong to no copied row. (It used to copy one row more.)
    const std::vector<int> b = CycleBoundaries(*r.store, 0);
    const int rows = b[2] - 1 - b[1];
    EXPECT_EQ((*r.store)[kWorkSlot].pnum, rows);
    EXPECT_EQ(r.store->data(0, kWorkSlot, 0), r.store->data(0, 0, b[1]));
    EXPECT_EQ(r.store->data(0, kWorkSlot, rows - 1), r.store->data(0, 0, b[2] - 2));
    EXPECT_TRUE(r.clipboard.content.startsWith(QStringLiteral("Filename\t")));
}
