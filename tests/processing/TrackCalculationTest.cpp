#include "processing/TrackCalculation.h"
#include "ProcessingFixtures.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

struct CalcRig {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    ScriptedPrompts prompts;
    TrackCalculationController c{*store, prompts};
};

} // namespace

TEST(TrackCalculation, ResultTitles)
{
    struct Case {
        CalcOperands o;
        bool shift;
        const char *title;
    } cases[] = {
        {{3, 4, 1, 0.5, 0, 0, 1}, true, "(1* Track3-0.5* Track4)[xBshift=0]"},
        {{3, 4, 1, 1, 0.2, 0, 1}, true, "(1* Track3+0.2-1* Track4)[xBshift=0]"},
        {{3, 4, 2, 1, 0, 0.05, 0}, true, "(2* Track3+1* Track4)[xBshift=0.05]"},
        {{3, 4, 1, 0.5, 0, 0, 1}, false, "(1* Track3-0.5* Track4)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(calcResultTitle(c.o, c.o.b, c.shift), QString::fromLatin1(c.title));
}

// Blank subtraction of two simulated CVs: the cell with the couple and the same cell without it
// (only the double layer charges) leave the couple's faradaic current.
TEST(TrackCalculation, BlankSubtractionLeavesTheFaradaicCurrent)
{
    CalcRig r;
    sim::CellParameters p = sim::defaultCellParameters(sim::kRedoxCoupleModel);
    p.noise = 0;
    p.resistance = 0;
    p.doubleLayer = 1000; // a large charging current, so a missed subtraction shows
    recordSimulatedCV(*r.store, 0, p, 50, 0.02);
    sim::CellParameters blank = p;
    blank.concentration = 0;
    recordSimulatedCV(*r.store, 1, blank, 50, 0.02);
    sim::CellParameters faradaic = p;
    faradaic.doubleLayer = 0;
    recordSimulatedCV(*r.store, 2, faradaic, 50, 0.02);

    r.c.open();
    r.c.setTrackA(0);
    r.c.setTrackB(1);
    r.c.setOperator(1);
    ASSERT_TRUE(r.c.calculate());
    const int n = (*r.store)[kWorkSlot].pnum;
    ASSERT_EQ(n, (*r.store)[0].pnum);
    double peak = 0, worst = 0, charging = 0;
    for (int i = 0; i < n; ++i) {
        peak = std::max(peak, std::fabs(r.store->data(1, 2, i)));
        worst = std::max(worst, std::fabs(r.store->data(1, kWorkSlot, i) - r.store->data(1, 2, i)));
        charging = std::max(charging, std::fabs(r.store->data(1, 1, i)));
    }
    EXPECT_GT(charging, 0.2 * peak);
    EXPECT_LT(worst, 0.01 * peak);
    EXPECT_TRUE(r.c.update());
    EXPECT_EQ((*r.store)[20].Title, QStringLiteral("(1* Track0-1* Track1)[xBshift=0]"));
    EXPECT_EQ((*r.store)[20].Mode, ModeCV);
}

TEST(TrackCalculation, ShiftMovesBAlongX)
{
    CalcRig r;
    makeTrack(*r.store, 0, ModePS, 50, [](int i) { return std::array<double, 3>{i * 0.1, 0, 0}; });
    makeTrack(*r.store, 1, ModePS, 60, [](int i) {
        return std::array<double, 3>{i * 0.1, i * 0.1, 0};
    });
    r.c.open();
    r.c.setTrackB(1);
    r.c.setXShift(0.05);
    ASSERT_TRUE(r.c.calculate());
    // B(x) = x - 0.05 after the shift.
    for (int i = 2; i < 48; ++i)
        EXPECT_NEAR(r.store->data(1, kWorkSlot, i), i * 0.1 - 0.05, 1e-12);
    EXPECT_EQ(r.store->data(0, 1, 5), 0.5); // B itself is not shifted
}

TEST(TrackCalculation, RefusalsChangeNoTrack)
{
    CalcRig r;
    makeCV(*r.store, 0, ModeCV, 0.5, -0.5, 50, 2, [](double x, int) { return x; });
    makeCV(*r.store, 1, ModeCV, 0.5, -0.5, 50, 2, [](double x, int) { return x; });
    (*r.store)[1].Scanrate = 100;
    makeTrack(*r.store, 2, ModePS, 10, [](int i) { return std::array<double, 3>{i * 1.0, 1, 0}; });
    makeTrack(*r.store, 3, ModeRPMvsJ, 10, [](int i) {
        return std::array<double, 3>{i * 1.0, 1, 0};
    });
    (*r.store)[kWorkSlot].Title = QStringLiteral("untouched");
    struct Case {
        int a, b;
        int messages;
    } cases[] = {{0, 1, 1}, {2, 3, 0}, {3, 2, 0}};
    for (const Case &c : cases) {
        r.prompts.messages.clear();
        r.c.open();
        r.c.setTrackA(c.a);
        r.c.setTrackB(c.b);
        EXPECT_FALSE(r.c.calculate()) << c.a << c.b;
        EXPECT_EQ(r.prompts.messages.size(), c.messages) << c.a << c.b;
        EXPECT_FALSE(r.c.update());
        EXPECT_EQ((*r.store)[kWorkSlot].Title, QStringLiteral("untouched"));
        EXPECT_EQ((*r.store)[20].Mode, ModeNone);
    }
    EXPECT_EQ(r.prompts.messages.last(),
              QStringLiteral("There is no result for these tracks yet. Press \"Calculation\" "
                             "first."));
}

TEST(TrackCalculation, FewerSweepsOfBCutTheResult)
{
    CalcRig r;
    makeCV(*r.store, 0, ModeCV, 0.5, -0.5, 100, 4, [](double x, int s) { return s % 2 ? x : -x; });
    makeCV(*r.store, 1, ModeCV, 0.5, -0.5, 100, 2, [](double x, int s) { return s % 2 ? x : -x; });
    r.c.open();
    r.c.setTrackA(0);
    r.c.setTrackB(1);
    r.c.setOperator(1);
    ASSERT_TRUE(r.c.calculate());
    const int n = (*r.store)[kWorkSlot].pnum;
    EXPECT_NEAR(n, 201, 2);
    // The last point starts A's third sweep.
    for (int i = 0; i < n - 1; ++i)
        EXPECT_NEAR(r.store->data(1, kWorkSlot, i), 0, 1e-12) << i;
}

TEST(TrackCalculation, RepeatedPotentialsOfALeaveTheStore)
{
    auto store = std::make_unique<TrackStore>();
    const double x[] = {0.1, 0.1002, 0.1004, 0.2, 0.3, 0.3001};
    makeTrack(*store, 0, ModeCV, 6, [&](int i) { return std::array<double, 3>{x[i], i * 1.0, 0}; });
    EXPECT_EQ(removeDuplicatePoints(*store, 0), 3);
    EXPECT_EQ((*store)[0].pnum, 3);
    EXPECT_EQ(store->data(1, 0, 1), 3);
    EXPECT_EQ(store->data(1, 0, 2), 4);
}

// A slow scan repeats potentials at 3 decimals: only the result leaves them out, A keeps all.
TEST(TrackCalculation, RepeatedPotentialsOfAAreLeftOutOfTheResultOnly)
{
    CalcRig r;
    makeCV(*r.store, 0, ModeCV, 0.5, -0.5, 2500, 2, [](double x, int) { return x; });
    makeCV(*r.store, 1, ModeCV, 0.5, -0.5, 100, 2, [](double x, int) { return x; });
    const int n = (*r.store)[0].pnum;
    const std::vector<double> x(r.store->data.column(0, 0), r.store->data.column(0, 0) + n);
    const std::vector<double> y(r.store->data.column(1, 0), r.store->data.column(1, 0) + n);
    r.c.open();
    r.c.setTrackA(0);
    r.c.setTrackB(1);
    r.c.setOperator(1);
    ASSERT_TRUE(r.c.calculate());
    EXPECT_EQ((*r.store)[0].pnum, n);
    EXPECT_EQ(std::vector<double>(r.store->data.column(0, 0), r.store->data.column(0, 0) + n), x);
    EXPECT_EQ(std::vector<double>(r.store->data.column(1, 0), r.store->data.column(1, 0) + n), y);
    const int kept = (*r.store)[kWorkSlot].pnum;
    EXPECT_LT(kept, n);
    for (int i = 1; i < kept; ++i)
        EXPECT_NE(std::lround(r.store->data(0, kWorkSlot, i) * 1000),
                  std::lround(r.store->data(0, kWorkSlot, i - 1) * 1000))
            << i;
}
