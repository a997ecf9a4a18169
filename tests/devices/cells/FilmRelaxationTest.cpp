// A disk under a porous film: each potential step relaxes over Rf Cf on top of the convective
// steady state, and the charge the film takes is Cf times the step.
#include "CellTestSupport.h"
#include "devices/sim/cells/CellFactory.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>

using namespace tervo::sim;
using namespace tervo::sim::testing;

TEST(FilmRelaxation, StepOnThePlateauRelaxesToLevichWithTheFilmsCharge)
{
    CellParameters p = defaultCellParameters(kFilmElectrodeModel);
    p.noise = 0;
    RedoxCoupleCell cell(p, kFilmElectrodeModel);
    const double rpm = 900, dt = 0.01, dE = -0.01;
    const double steady = hold(cell, -0.2, 60, dt, rpm).disk; // the film has long settled
    const double cf = p.filmCapacitance * 1e-3 * p.area;
    const double tau = (p.filmResistance + p.resistance) * cf;
    ASSERT_GT(tau, 1.5);
    // The step is spread over the first interval, which also charges the double layer; from then
    // on the excess over the new steady state is the film's exponential.
    double charge = 0, atTau = 0, atThreeTau = 0;
    const int n = static_cast<int>(12 * tau / dt);
    for (int k = 1; k <= n; ++k) {
        const double excess = cell.advance(dt, -0.2 + dE, rpm).disk - steady;
        charge += excess * dt;
        if (k == static_cast<int>(std::lround(tau / dt)))
            atTau = excess;
        if (k == static_cast<int>(std::lround(3 * tau / dt)))
            atThreeTau = excess;
    }
    EXPECT_NEAR(atTau / (dE / (p.filmResistance + p.resistance)), std::exp(-1.0), 0.01);
    EXPECT_NEAR(atThreeTau / atTau, std::exp(-2.0), 0.002);
    EXPECT_NEAR(charge / (cf * dE), 1.0, 0.01);
    EXPECT_NEAR(cell.filmPotential(), cell.interfacialPotential(), 1e-6);
}

TEST(FilmRelaxation, NoFilmWithoutItsResistance)
{
    CellParameters p = defaultCellParameters(kFilmElectrodeModel);
    p.filmResistance = 0;
    RedoxCoupleCell cell(p);
    EXPECT_EQ(cell.filmCapacitance(), 0);
}
