// The iR correction: E - i Ru point by point into another track.
#include "processing/IRCorrection.h"
#include "ProcessingFixtures.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>

using namespace tervo;

TEST(IRCorrection, SubtractsTheOhmicDropPointByPoint)
{
    auto store = std::make_unique<TrackStore>();
    makeCV(*store, 0, ModeCV, 0.5, -0.5, 100, 2,
           [](double x, int s) { return (s ? 1e-5 : -2e-5) * x; });
    (*store)[0].Title = QStringLiteral("cv");
    store->data(1, 0, 7) = std::numeric_limits<double>::quiet_NaN();
    int skipped = 0;
    ASSERT_TRUE(correctOhmicDrop(*store, 0, 3, 200, nullptr, &skipped));
    EXPECT_EQ(skipped, 1);
    const TrackHeader &h = (*store)[3];
    EXPECT_EQ(h.Mode, ModeCV);
    EXPECT_EQ(h.pnum, (*store)[0].pnum);
    EXPECT_EQ(h.Title, QStringLiteral("cv (E - i*200 ohm)"));
    for (int p = 0; p < h.pnum; ++p) {
        if (p == 7)
            continue;
        const double e = store->data(0, 0, p), i = store->data(1, 0, p);
        EXPECT_DOUBLE_EQ(store->data(0, 3, p), e - 200 * i) << p;
        EXPECT_DOUBLE_EQ(store->data(1, 3, p), i) << p;
        EXPECT_LE(h.Vxmin, store->data(0, 3, p));
        EXPECT_GE(h.Vxmax, store->data(0, 3, p));
    }
    EXPECT_EQ(store->data(0, 3, 7), store->data(0, 0, 7)); // kept as it was
}

TEST(IRCorrection, RefusesTracksThatAreNotVoltammograms)
{
    auto store = std::make_unique<TrackStore>();
    makeCV(*store, 0, ModePS, 0, 1, 10, 1, [](double, int) { return 1e-6; });
    store->ClearTrack(4);
    QString problem;
    EXPECT_FALSE(correctOhmicDrop(*store, 0, 4, 10, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("not a voltammogram")));
    EXPECT_EQ((*store)[4].Mode, ModeNone);
}
