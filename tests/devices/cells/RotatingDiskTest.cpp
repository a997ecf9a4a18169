// The couple at a rotating disk: Levich plateaus, Koutecky-Levich with slow kinetics, rotation
// changes and the stationary limit.
#include "CellTestSupport.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>

using namespace tervo::sim;
using namespace tervo::sim::testing;

namespace {

double omegaOf(double rpm)
{
    return rpm * 2 * M_PI / 60;
}

double levich(const CellParameters &p, double rpm)
{
    return 0.620 * p.electrons * kFaraday * p.area * std::pow(p.diffusion, 2.0 / 3) *
           std::sqrt(omegaOf(rpm)) * std::pow(p.viscosity, -1.0 / 6) * p.concentration * 1e-6;
}

// Mean disk current of the samples whose potential lies in [lo, hi].
double meanCurrent(const std::vector<Sample> &s, double lo, double hi)
{
    double sum = 0;
    int n = 0;
    for (const Sample &x : s) {
        if (x.e >= lo && x.e <= hi) {
            sum += x.disk;
            ++n;
        }
    }
    return n ? sum / n : 0;
}

TEST(RotatingDisk, PlateauFollowsLevichAtThreeRates)
{
    const CellParameters p = idealCouple();
    for (double rpm : {400.0, 1600.0, 2500.0}) {
        RedoxCoupleCell cell(p);
        const auto s = sweep(cell, {0.6, -0.2}, 0.01, 0.02, rpm);
        const double plateau = meanCurrent(s, -0.2, -0.1);
        EXPECT_NEAR(-plateau / levich(p, rpm), 1.0, 0.01) << rpm << " rpm";
        // Flat: the far end of the plateau differs from its start by well under a percent.
        EXPECT_NEAR(meanCurrent(s, -0.2, -0.19) / meanCurrent(s, -0.11, -0.1), 1.0, 0.003);
    }
}

TEST(RotatingDisk, SlowKineticsObeyKouteckyLevich)
{
    CellParameters p = idealCouple();
    p.rateConstant = 3e-4;
    p.transferCoefficient = 0.5;
    const double eta = -0.15;
    const double f = faradayOverRT();
    const double kf = p.rateConstant * std::exp(-p.transferCoefficient * f * eta);
    const double kb = p.rateConstant * std::exp((1 - p.transferCoefficient) * f * eta);
    const double ik = kFaraday * p.area * kf * p.concentration * 1e-6;

    // 1/i against omega^-1/2 at four rates, each taken from a sweep slow enough for the disk to
    // stay close to its steady state (at 400 rpm a 2 mV/s sweep still runs 0.2 % ahead).
    std::vector<double> x, y;
    for (double rpm : {400.0, 900.0, 1600.0, 2500.0}) {
        RedoxCoupleCell cell(p);
        const auto s = sweep(cell, {0.25, 0.03}, 0.002, 0.05, rpm);
        const double i = currentAt(s, p.formalPotential + eta);
        x.push_back(1 / std::sqrt(omegaOf(rpm)));
        y.push_back(1 / -i);
    }
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        sx += x[k];
        sy += y[k];
        sxx += x[k] * x[k];
        sxy += x[k] * y[k];
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / n;
    for (std::size_t k = 0; k < x.size(); ++k)
        EXPECT_NEAR((intercept + slope * x[k]) / y[k], 1.0, 0.001) << "point " << k;
    EXPECT_NEAR(1 / intercept / ik, 1.0, 0.02);
    // The Levich slope, with the small share of the back reaction still present at -150 mV.
    const double levichSlope = (1 + kb / kf) * std::sqrt(omegaOf(1)) / levich(p, 1);
    EXPECT_NEAR(slope / levichSlope, 1.0, 0.01);
}

TEST(RotatingDisk, CurrentFollowsRotationChanges)
{
    const CellParameters p = idealCouple();
    RedoxCoupleCell cell(p);
    const double e = -0.2;
    const double at400 = hold(cell, e, 3, 0.01, 400).disk;
    const double at1600 = hold(cell, e, 3, 0.01, 1600).disk;
    EXPECT_NEAR(at1600 / at400, 2.0, 0.01);
    // The sense of rotation does not matter.
    EXPECT_NEAR(hold(cell, e, 1, 0.01, -1600).disk / at1600, 1.0, 1e-6);
    // Small jitter of the rotator keeps the same flow.
    EXPECT_NEAR(hold(cell, e, 1, 0.01, 1600.05).disk / at1600, 1.0, 1e-4);
}

TEST(RotatingDisk, StoppedRotationGivesTheStationaryVoltammogram)
{
    const CellParameters p = idealCouple();
    RedoxCoupleCell still(p), turning(p);
    const auto a = sweep(still, {0.6, -0.2, 0.6}, 0.1, 0.005, 0);
    const auto b = sweep(turning, {0.6, -0.2, 0.6}, 0.1, 0.005, 2500);
    const std::size_t turn = a.size() / 2;
    // At rest the current decays after a peak and the reverse scan shows the return peak...
    EXPECT_LT(peak(a, 0, turn, false).second, a[turn - 1].disk * 1.5);
    EXPECT_GT(peak(a, turn, a.size(), true).second, 0);
    // ...while the turning disk reaches its plateau and retraces it without a return peak.
    EXPECT_GT(peak(b, turn, b.size(), true).second, -1e-7);
    EXPECT_NEAR(b[turn - 1].disk / -levich(p, 2500), 1.0, 0.01);

    // A fresh cell at 0 rpm matches a cell that never turned.
    RedoxCoupleCell stopped(p);
    const auto c = sweep(stopped, {0.6, -0.2, 0.6}, 0.1, 0.005, 0);
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i].disk, c[i].disk);
}

} // namespace
