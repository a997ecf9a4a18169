// Potential steps: the Cottrell transient after the double layer has charged through Ru, and the
// charging itself.
#include "CellTestSupport.h"
#include "devices/sim/cells/CellFactory.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>

using namespace tervo::sim;
using namespace tervo::sim::testing;

namespace {

// Holds e0, then steps to e1 and samples every dt for `duration`; times are since the step.
std::vector<Sample> step(CellModel &cell, double e0, double e1, double dt, double duration)
{
    hold(cell, e0, 0.5, dt);
    std::vector<Sample> s;
    const int n = static_cast<int>(std::lround(duration / dt));
    for (int k = 1; k <= n; ++k) {
        const CellCurrents c = cell.advance(dt, e1, 0);
        s.push_back({k * dt, e1, c.disk, c.ring});
    }
    return s;
}

double cottrellConstant(const CellParameters &p)
{
    return p.electrons * kFaraday * p.area * p.concentration * 1e-6 * std::sqrt(p.diffusion / M_PI);
}

TEST(PotentialStep, IdealStepFollowsCottrell)
{
    const CellParameters p = idealCouple();
    RedoxCoupleCell cell(p);
    const double dt = 0.001;
    const auto s = step(cell, 0.6, -0.2, dt, 2.0);
    // The linear ramp of the first sample puts the effective step at dt / 2.
    for (std::size_t k = 9; k < s.size(); ++k) {
        const double itSqrt = -s[k].disk * std::sqrt(s[k].t - dt / 2);
        ASSERT_NEAR(itSqrt / cottrellConstant(p), 1.0, 0.003) << "t = " << s[k].t;
    }
}

TEST(PotentialStep, CottrellAfterTheChargingTime)
{
    CellParameters p = defaultCellParameters(kPotentialStepModel);
    p.noise = 0;
    RedoxCoupleCell cell(p, kPotentialStepModel);
    const double tau = p.resistance * p.doubleLayer * 1e-6 * p.area;
    ASSERT_GT(tau, 1e-3);
    const double dt = 0.001;
    const auto s = step(cell, 0.6, -0.2, dt, 2.0);
    // Through Ru the interface reaches the diffusion-limited potential only after about two
    // time constants, so the transient is Cottrell's with its origin that much later: i sqrt(t)
    // settles to the constant as sqrt(t / (t - 2 tau)).
    for (const Sample &x : s) {
        if (x.t < 100 * tau)
            continue;
        const double itSqrt = -x.disk * std::sqrt(x.t - 2 * tau);
        ASSERT_NEAR(itSqrt / cottrellConstant(p), 1.0, 0.005) << "t = " << x.t;
    }
    // Before that the double layer's charging dominates: the first sample is near dE / Ru.
    EXPECT_LT(s.front().disk, -0.5 * 0.8 / p.resistance);
    EXPECT_GT(s.front().disk, -0.8 / p.resistance);
}

TEST(PotentialStep, ChargingDecaysWithRuCdl)
{
    // A step where nothing reacts: only the double layer takes charge.
    CellParameters p = defaultCellParameters(kPotentialStepModel);
    p.noise = 0;
    p.formalPotential = -0.5;
    RedoxCoupleCell cell(p);
    const double cdl = p.doubleLayer * 1e-6 * p.area;
    const double tau = p.resistance * cdl;
    const double dt = tau / 20;
    const double de = -0.2;
    const auto s = step(cell, 0.9, 0.9 + de, dt, 15 * tau);
    double charge = 0;
    for (std::size_t k = 0; k < s.size(); ++k)
        charge += s[k].disk * dt;
    EXPECT_NEAR(charge / (cdl * de), 1.0, 0.03);
    // The logarithmic slope between two and eight time constants gives tau.
    const auto at = [&](double t) { return s[static_cast<std::size_t>(std::lround(t / dt)) - 1]; };
    const Sample a = at(2 * tau), b = at(8 * tau);
    const double fitted = (b.t - a.t) / std::log(a.disk / b.disk);
    EXPECT_NEAR(fitted / tau, 1.0, 0.01);
    EXPECT_NEAR(cell.interfacialPotential(), 0.9 + de, 1e-5);
}

TEST(PotentialStep, SweepCarriesTheChargingCurrent)
{
    CellParameters p = idealCouple();
    p.doubleLayer = 30;
    p.resistance = 50;
    p.formalPotential = -0.5;
    RedoxCoupleCell cell(p);
    const double v = 0.1;
    const auto s = sweep(cell, {0.9, 0.6, 0.9}, v, 0.005);
    const double cdl = p.doubleLayer * 1e-6 * p.area;
    // Past the first few time constants the current is Cdl v, cathodic going down, anodic back.
    EXPECT_NEAR(s[s.size() / 2 - 1].disk / (-cdl * v), 1.0, 0.01);
    EXPECT_NEAR(s.back().disk / (cdl * v), 1.0, 0.01);
}

TEST(PotentialStep, OhmicDropShiftsTheWave)
{
    // With Ru the interface lags the applied potential by i Ru: peaks move apart.
    CellParameters p = idealCouple();
    RedoxCoupleCell clean(p);
    p.resistance = 500;
    RedoxCoupleCell resistive(p);
    const auto a = sweep(clean, {0.6, -0.2, 0.6}, 0.1, 0.002);
    const auto b = sweep(resistive, {0.6, -0.2, 0.6}, 0.1, 0.002);
    const std::size_t turn = a.size() / 2;
    const auto [ac, aic] = peak(a, 0, turn, false);
    const auto [bc, bic] = peak(b, 0, turn, false);
    const double drop = -bic * p.resistance;
    EXPECT_LT(bc, ac - 0.5 * drop);
    EXPECT_GT(bic, aic); // a smaller (less negative) peak
    // Each sample obeys E = V + i Ru.
    for (std::size_t k = 0; k < 5; ++k)
        hold(resistive, -0.1 + 0.05 * k, 0.01, 0.01);
    EXPECT_NEAR(resistive.interfacialPotential() + resistive.cleanCurrents().disk * p.resistance,
                0.1, 1e-9);
}

} // namespace
