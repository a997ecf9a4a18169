// Cyclic voltammetry at a stationary disk against the closed-form results.
#include "CellTestSupport.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>

using namespace tervo::sim;
using namespace tervo::sim::testing;

namespace {

double randlesSevcik(const CellParameters &p, double scanRate)
{
    const double n = p.electrons;
    return 0.4463 * n * kFaraday * p.area * p.concentration * 1e-6 *
           std::sqrt(n * faradayOverRT(p.temperature) * scanRate * p.diffusion);
}

struct CvCase {
    double scanRate;
    double dt;
};

class ReversibleCv : public ::testing::TestWithParam<CvCase> {};

TEST_P(ReversibleCv, PeakCurrentAndSeparation)
{
    const CvCase c = GetParam();
    const CellParameters p = idealCouple();
    RedoxCoupleCell cell(p);
    // 400 mV on either side of the formal potential, as the generator would run it.
    const auto s = sweep(cell, {0.6, -0.2, 0.6}, c.scanRate, c.dt);
    const std::size_t turn = s.size() / 2;
    const auto [ec, ic] = peak(s, 0, turn, false);
    const auto [ea, ia] = peak(s, turn, s.size(), true);

    const double expected = randlesSevcik(p, c.scanRate);
    EXPECT_NEAR(-ic / expected, 1.0, 0.02) << "cathodic peak " << ic << " A";
    EXPECT_GT(ia, 0);
    const double separation = ea - ec;
    EXPECT_GE(separation, 0.057);
    EXPECT_LE(separation, 0.061);
    // The half-wave potential of a couple with equal diffusion coefficients is the formal one.
    EXPECT_NEAR(0.5 * (ea + ec), p.formalPotential, 0.002);
    std::printf("v=%g dt=%g ip/RS=%.5f dEp=%.2f mV\n", c.scanRate, c.dt, -ic / expected,
                separation * 1000);
}

INSTANTIATE_TEST_SUITE_P(ScanRates, ReversibleCv,
                         ::testing::Values(CvCase{0.1, 0.001}, CvCase{0.1, 0.01},
                                           CvCase{0.02, 0.01}, CvCase{1.0, 0.001}));

} // namespace
