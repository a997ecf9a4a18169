// The transport solution on its own: steady states that do not depend on the grid, conservation.
#include "devices/sim/cells/DiffusionLine.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tervo::sim;

namespace {

// Runs the line with a constant flux into the solution until it is steady.
double steadySurface(DiffusionLine &line, double q, double flow)
{
    for (int k = 0; k < 400; ++k) {
        line.prepare(0.05, flow);
        line.complete(q);
    }
    return line.surface();
}

TEST(DiffusionLine, RotatingSteadyStateIsExactOnACoarseGrid)
{
    // Steady convective diffusion with v = -a x^2: c0 - cb = q/D * integral of
    // exp(-a x^3 / 3D) = q/D * Gamma(4/3) (3D/a)^(1/3), whatever the node spacing.
    const double d = 1e-5, bulk = 1e-6, a = 0.51023 * std::pow(167.55, 1.5) / std::sqrt(0.01);
    const double q = -2e-8;
    const double expected = bulk + q / d * std::tgamma(4.0 / 3) * std::cbrt(3 * d / a);
    for (double beta : {1.05, 1.1, 1.5}) {
        GridSpec g = GridSpec::forDiffusion(d);
        g.beta = beta;
        DiffusionLine line(d, bulk, g);
        EXPECT_NEAR(steadySurface(line, q, a) / expected, 1.0, 1e-6) << beta;
        // The flow holds the far solution at bulk, so fewer nodes are worked on.
        EXPECT_LT(line.activeNodes(), line.nodes().size() - 1);
    }
}

TEST(DiffusionLine, FluxIsConservedWithoutFlow)
{
    // Whatever enters through the surface stays on the grid until it reaches the far end.
    const double d = 1e-5, bulk = 1e-6;
    DiffusionLine line(d, bulk, GridSpec::forDiffusion(d));
    const double q = 3e-9, dt = 0.01;
    const auto amount = [&] {
        const auto &x = line.nodes();
        const auto &c = line.profile();
        double sum = 0;
        for (std::size_t i = 0; i + 1 < x.size(); ++i)
            sum += 0.5 * (c[i] + c[i + 1] - 2 * bulk) * (x[i + 1] - x[i]);
        return sum;
    };
    for (int k = 0; k < 500; ++k) {
        line.prepare(dt, 0);
        line.complete(q);
    }
    EXPECT_NEAR(amount() / (q * 500 * dt), 1.0, 0.01);
    // Surface concentration after a constant flux: cb + 2 q sqrt(t / (pi D)).
    EXPECT_NEAR((line.surface() - bulk) / (2 * q * std::sqrt(5.0 / (M_PI * d))), 1.0, 0.005);
}

TEST(DiffusionLine, ResetRestoresBulk)
{
    DiffusionLine line(1e-5, 2e-6, GridSpec::forDiffusion(1e-5));
    line.prepare(0.01, 0);
    line.complete(-1e-7);
    EXPECT_LT(line.surface(), 2e-6);
    line.reset();
    for (double c : line.profile())
        EXPECT_EQ(c, 2e-6);
}

} // namespace
