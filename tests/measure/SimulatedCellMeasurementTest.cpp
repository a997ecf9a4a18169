// The simulated cells measured the way an operator measures them: through the function
// generator, the monitor outputs, the board and the windows' scale factors, into a stored track.
#include "MeasureRig.h"
#include "devices/sim/cells/ElectrodeCell.h"
#include "devices/sim/cells/RedoxCoupleCell.h"
#include "measure/CVModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

// A reversible couple without ohmic drop, charging current or noise, so that the measurement
// path alone stands between the model and the textbook.
sim::CellParameters idealCouple()
{
    sim::CellParameters p = sim::defaultCellParameters(sim::kRedoxCoupleModel);
    p.resistance = 0;
    p.doubleLayer = 0;
    p.noise = 0;
    p.rateConstant = 10;
    return p;
}

} // namespace

TEST(SimulatedCellMeasurement, CyclicVoltammogramPeakAndSeparation)
{
    MeasureRig r;
    r.useCard(false);
    r.rig->noiseVolts = 0;
    r.rig->potentiostat().currentGain = 1e-4;
    const sim::CellParameters p = idealCouple();
    sim::RedoxCoupleCell cell(p);
    r.rig->setCell(0, &cell);

    CVModel m(*r.context);
    m.setTimerDriven(false);
    ASSERT_TRUE(m.open());
    m.SetVoltage(0.6, -0.2, 0.6);
    double rate = 50, scale = 1e-4;
    m.scanrate(rate);
    m.DiskScale(scale);
    std::int32_t cycles = 1, retain = 2;
    m.Repeat(cycles);
    m.RetainTime(retain);
    m.SamplingRate(50);
    m.Accumlation(1);
    m.StartMeasurement();
    r.runToEnd(m);

    const TrackHeader &h = r.app->store[0];
    ASSERT_EQ(h.Mode, ModeCV);
    const TrackData &d = r.app->store.data;
    int cathodic = 0, anodic = 0;
    for (int i = 0; i < h.pnum; ++i) {
        if (d(1, 0, i) < d(1, 0, cathodic))
            cathodic = i;
        if (d(1, 0, i) > d(1, 0, anodic))
            anodic = i;
    }
    const double f = sim::kFaraday / (sim::kGasConstant * 298.15);
    const double randlesSevcik = 0.4463 * sim::kFaraday * p.area * p.concentration * 1e-6 *
                                 std::sqrt(f * rate / 1000 * p.diffusion);
    EXPECT_NEAR(-d(1, 0, cathodic) / randlesSevcik, 1.0, 0.02);
    // The board's steps make the current flat over a few millivolts at the top of a peak; the
    // peak potential is the vertex of a parabola through the points within 20 mV of it.
    auto vertex = [&](int peak) {
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, t0 = 0, t1 = 0, t2 = 0;
        const int dir = peak > 0 && d(0, 0, peak) < d(0, 0, peak - 1) ? -1 : 1;
        for (int i = 0; i < h.pnum; ++i) {
            const double x = d(0, 0, i) - d(0, 0, peak), y = d(1, 0, i);
            const bool sameSweep = i > 0 && (d(0, 0, i) - d(0, 0, i - 1)) * dir > 0;
            if (std::fabs(x) > 0.02 || !sameSweep || std::abs(i - peak) > 100)
                continue;
            s0 += 1, s1 += x, s2 += x * x, s3 += x * x * x, s4 += x * x * x * x;
            t0 += y, t1 += x * y, t2 += x * x * y;
        }
        // Normal equations of y = a + b x + c x^2, solved by Cramer's rule.
        auto det3 = [](double a, double b, double c, double d_, double e, double f_, double g,
                       double hh, double k) {
            return a * (e * k - f_ * hh) - b * (d_ * k - f_ * g) + c * (d_ * hh - e * g);
        };
        const double D = det3(s0, s1, s2, s1, s2, s3, s2, s3, s4);
        const double b = det3(s0, t0, s2, s1, t1, s3, s2, t2, s4) / D;
        const double c = det3(s0, s1, t0, s1, s2, t1, s2, s3, t2) / D;
        return d(0, 0, peak) - b / (2 * c);
    };
    const double separation = vertex(anodic) - vertex(cathodic);
    EXPECT_GE(separation, 0.057);
    EXPECT_LE(separation, 0.061);
}

TEST(SimulatedCellMeasurement, RingDiskPlateauFollowsLevichAtThreeRates)
{
    MeasureRig r;
    r.useCard();
    r.rig->noiseVolts = 0;
    const sim::CellParameters p = idealCouple();
    sim::RedoxCoupleCell cell(p);
    r.rig->setCell(0, &cell);

    RDEModel m(*r.context);
    m.setTimerDriven(false);
    ASSERT_TRUE(m.open());
    m.SetVoltage(0.6, -0.2, 0.6);
    double rate = 50, disk = 1e-3;
    m.scanrate(rate);
    m.DiskScale(disk);
    std::int32_t cycles = 1, retain = 5;
    m.Repeat(cycles);
    m.RetainTime(retain);
    m.SamplingRate(10);
    m.Accumlation(4);
    const int rates[] = {400, 900, 1600}; // the rotator tops out near 2300 rpm
    for (int rpm : rates) {
        QString text = QString::number(rpm);
        m.rpm(text);
        m.StartMeasurement();
        r.runToEnd(m);
    }
    const TrackData &d = r.app->store.data;
    for (int t = 0; t < 3; ++t) {
        const TrackHeader &h = r.app->store[t];
        ASSERT_EQ(h.Mode, ModeRDE);
        const double omega = rates[t] * 2 * M_PI / 60;
        const double levich = 0.620 * sim::kFaraday * p.area * std::pow(p.diffusion, 2.0 / 3) *
                              std::sqrt(omega) * std::pow(p.viscosity, -1.0 / 6) * p.concentration *
                              1e-6;
        double sum = 0;
        int n = 0;
        for (int i = 0; i < h.pnum; ++i) {
            if (d(0, t, i) < -0.1) { // 300 mV below the formal potential: the plateau
                sum += d(1, t, i);
                ++n;
            }
        }
        ASSERT_GT(n, 20) << rates[t];
        EXPECT_NEAR(-sum / n / levich, 1.0, 0.02) << rates[t] << " rpm";
    }
}

// A step from no reaction to the diffusion limit, recorded by the potential-step window: after
// the charging time the stored transient keeps i * sqrt(t) at the Cottrell constant.
TEST(SimulatedCellMeasurement, PotentialStepFollowsCottrell)
{
    MeasureRig r;
    r.useCard(false);
    r.rig->noiseVolts = 0;
    r.rig->potentiostat().currentGain = 1e-4;
    sim::CellParameters p = sim::defaultCellParameters(sim::kPotentialStepModel);
    p.noise = 0;
    sim::RedoxCoupleCell cell(p, sim::kPotentialStepModel);
    r.rig->setCell(0, &cell);

    PSModel m(*r.context);
    m.setTimerDriven(false);
    ASSERT_TRUE(m.open());
    m.SetVoltage(0.6, -0.3);
    double scale = 1e-4;
    m.DiskScale(scale);
    std::int16_t method = PSModel::ByTime;
    m.MeasMode(method);
    std::int32_t seconds = 4, retain = 2;
    m.MeasureTime(seconds);
    m.RetainTime(retain);
    m.InitSamplingRate(100);
    m.Accumlation(1);
    m.StartMeasurement();
    r.runToEnd(m);

    const TrackHeader &h = r.app->store[0];
    ASSERT_EQ(h.Mode, ModePS);
    ASSERT_GT(h.pnum, 300);
    const double cottrell =
        sim::kFaraday * p.area * p.concentration * 1e-6 * std::sqrt(p.diffusion / M_PI);
    const TrackData &d = r.app->store.data;
    int checked = 0;
    for (int i = 0; i < h.pnum; ++i) {
        // Seconds since the first tick after the step: the step itself lies up to one sampling
        // interval earlier, which matters little once t is a few tenths of a second.
        const double t = d(0, 0, i);
        if (t < 0.4 || t > 3.5)
            continue;
        EXPECT_NEAR(-d(1, 0, i) * std::sqrt(t) / cottrell, 1.0, 0.02) << "t = " << t;
        ++checked;
    }
    EXPECT_GT(checked, 200);
}
