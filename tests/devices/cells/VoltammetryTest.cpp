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
}

INSTANTIATE_TEST_SUITE_P(ScanRates, ReversibleCv,
                         ::testing::Values(CvCase{0.1, 0.001}, CvCase{0.1, 0.01},
                                           CvCase{0.02, 0.01}, CvCase{1.0, 0.001}),
                         [](const ::testing::TestParamInfo<CvCase> &caseInfo) {
                             return "mV" +
                                    std::to_string(std::lround(caseInfo.param.scanRate * 1000)) +
                                    "_ms" + std::to_string(std::lround(caseInfo.param.dt * 1000));
                         });

TEST(ReversibleCvTwoElectrons, ScalesWithNToTheThreeHalves)
{
    CellParameters p = idealCouple();
    p.electrons = 2;
    RedoxCoupleCell cell(p);
    const auto s = sweep(cell, {0.6, -0.2, 0.6}, 0.1, 0.002);
    const std::size_t turn = s.size() / 2;
    const auto [ec, ic] = peak(s, 0, turn, false);
    const auto [ea, ia] = peak(s, turn, s.size(), true);
    EXPECT_NEAR(-ic / randlesSevcik(p, 0.1), 1.0, 0.02);
    EXPECT_GT(ia, 0);
    // 57-61 mV divided by n.
    EXPECT_GE(ea - ec, 0.0285);
    EXPECT_LE(ea - ec, 0.0305);
}

TEST(QuasiReversibleCv, PeakSeparationFollowsNicholson)
{
    // Nicholson's working curve: separation against psi = k0 / sqrt(pi D F v / RT), alpha 0.5.
    const struct {
        double psi;
        double separation;
    } table[] = {{1.0, 0.084}, {0.5, 0.105}, {0.25, 0.141}};
    const double v = 0.1;
    for (const auto &row : table) {
        CellParameters p = idealCouple();
        p.rateConstant = row.psi * std::sqrt(M_PI * p.diffusion * faradayOverRT() * v);
        RedoxCoupleCell cell(p);
        const auto s = sweep(cell, {0.6, -0.2, 0.6}, v, 0.002);
        const std::size_t turn = s.size() / 2;
        const double separation =
            peak(s, turn, s.size(), true).first - peak(s, 0, turn, false).first;
        EXPECT_NEAR(separation, row.separation, 0.003) << "psi " << row.psi;
    }
}

TEST(IrreversibleCv, PeakCurrentAndPotential)
{
    // Totally irreversible reduction: ip = 0.4958 F A C sqrt(alpha F v D / RT) and
    // Ep = E0 - RT / (alpha F) (0.780 + ln(sqrt(D alpha F v / RT) / k0)).
    CellParameters p = idealCouple();
    p.rateConstant = 1e-6;
    const double v = 0.1, f = faradayOverRT(), a = p.transferCoefficient;
    RedoxCoupleCell cell(p);
    const auto s = sweep(cell, {0.6, -0.6}, v, 0.002);
    const auto [ep, ip] = peak(s, 0, s.size(), false);
    const double expectedI =
        0.4958 * kFaraday * p.area * p.concentration * 1e-6 * std::sqrt(a * f * v * p.diffusion);
    const double expectedE =
        p.formalPotential -
        (0.780 + std::log(std::sqrt(p.diffusion * a * f * v) / p.rateConstant)) / (a * f);
    EXPECT_NEAR(-ip / expectedI, 1.0, 0.01);
    EXPECT_NEAR(ep, expectedE, 0.002);
}

} // namespace
