// The steady-state window on the simulated rig: a redox couple under a porous film, whose steps
// relax over seconds, measured at 900 rpm.
#include "measure/SSVModel.h"
#include "MeasureRig.h"
#include "devices/sim/cells/ElectrodeCell.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

struct SSVRig {
    MeasureRig r;
    sim::CellParameters p;
    std::unique_ptr<sim::RedoxCoupleCell> cell;
    std::unique_ptr<SSVModel> m;

    SSVRig()
    {
        r.useCard();
        r.rig->potentiostat().currentGain = 1e-4;
        p = sim::defaultCellParameters(sim::kFilmElectrodeModel);
        cell = std::make_unique<sim::RedoxCoupleCell>(p, sim::kFilmElectrodeModel);
        r.rig->setCell(0, cell.get());
        m = std::make_unique<SSVModel>(*r.context, r.clipboard);
        m->setTimerDriven(false);
        EXPECT_TRUE(m->open());
        double scale = 1e-4, step = 0.01, time = 20, segments = 1, rate = 2, accum = 20;
        m->DiskScale(scale);
        m->SetVoltage(0.45, -0.05);
        m->VoltStep(step);
        m->StepTime(time);
        m->Segment(segments);
        m->SamplingRate(rate);
        m->Accumlation(accum);
        QString rpm = QStringLiteral("900");
        m->rpm(rpm);
    }

    void run(double accelerate, double skip)
    {
        m->SetAcceleratemode(accelerate);
        m->SetSkipMode(skip);
        m->StartMeasurement();
        r.runToEnd(*m);
    }

    double levich() const
    {
        const double omega = 900 * 2 * M_PI / 60;
        return 0.620 * sim::kFaraday * p.area * std::pow(p.diffusion, 2.0 / 3) * std::sqrt(omega) *
               std::pow(p.viscosity, -1.0 / 6) * p.concentration * 1e-6;
    }
};

} // namespace

TEST(SSVModel, SteadyStateCurveFollowsLevichAndHalfWave)
{
    SSVRig s;
    s.run(0, 0);
    const TrackHeader &h = s.r.app->store[0];
    ASSERT_EQ(h.Mode, ModeSSV);
    ASSERT_EQ(h.pnum, 51);
    const TrackData &d = s.r.app->store.data;
    const double plateau = d(1, 0, h.pnum - 1);
    EXPECT_NEAR(-plateau / s.levich(), 1.0, 0.02);
    double half = 0;
    for (int i = 1; i < h.pnum; ++i) {
        const double a = d(1, 0, i - 1) - plateau / 2, b = d(1, 0, i) - plateau / 2;
        if (a * b <= 0 && a != b)
            half = d(0, 0, i - 1) + (d(0, 0, i) - d(0, 0, i - 1)) * a / (a - b);
    }
    EXPECT_EQ(s.r.app->store[1].Mode, ModeSSVAll);
}

TEST(SSVModel, AcceleratedRunGivesTheSameCurveInHalfTheTime)
{
    SSVRig slow, fast;
    slow.run(0, 0);
    fast.run(1, 0);
    const TrackHeader &hs = slow.r.app->store[0], &hf = fast.r.app->store[0];
    ASSERT_EQ(hf.pnum, hs.pnum);
    const TrackData &ds = slow.r.app->store.data, &df = fast.r.app->store.data;
    const double plateau = std::fabs(ds(1, 0, hs.pnum - 1));
    double worst = 0;
    for (int i = 0; i < hs.pnum; ++i)
        worst = std::max(worst, std::fabs(ds(1, 0, i) - df(1, 0, i)) / plateau);
    EXPECT_LT(worst, 0.01);
    EXPECT_LE(hf.MaxTime, hs.MaxTime / 2);
}
