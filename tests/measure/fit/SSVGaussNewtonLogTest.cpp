#include "measure/fit/SSVGaussNewtonLog.h"
#include "measure/fit/SteadyCurrent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>

using namespace tervo;

namespace {

// A source that hands out the given numbers in turn.
SSVGaussNewtonLog::RandomSource scripted(std::deque<double> values)
{
    auto q = std::make_shared<std::deque<double>>(std::move(values));
    return [q] {
        const double v = q->front();
        q->pop_front();
        return v;
    };
}

// y = p3 - s (p1 exp(-t/p2) + p4 exp(-t/p5)) sampled every 0.5 s for 30 s, with seeded noise;
// each point weighted by its distance from p3 (plus one noise unit).
void loadTransient(SSVGaussNewtonLog &fit, double p1, double p2, double p3, double s, double noise,
                   double p4 = 0, double p5 = 1)
{
    std::mt19937_64 gen(7);
    std::normal_distribution<double> gauss(0, 1);
    const int n = 60;
    fit.setGN(n);
    for (int i = 1; i <= n; ++i) {
        const double t = 0.5 * i;
        const double clean = p3 - s * (p1 * std::exp(-t / p2) + p4 * std::exp(-t / p5));
        fit.setGX(i, t);
        fit.setGY(i, clean + noise * gauss(gen));
        fit.setGW(i, std::fabs(clean - p3) + 1);
    }
}

} // namespace

// Currents in units of their noise, so that a point on the far side of the asymptote (the target
// of 0, a distance of 1) lies within the noise of it.
TEST(SSVGaussNewtonLog, RecoversANoisyTransientFromEitherSide)
{
    for (double s : {1.0, -1.0}) {
        SSVGaussNewtonLog fit;
        fit.setparanum(3);
        loadTransient(fit, 1000, 3, 400, s, 1);
        fit.setp(1, 600);
        fit.setp(2, 6);
        fit.setp(3, 400 + s * 50);
        const int iterations = fit.GAUSSNEWTONFitting();
        EXPECT_FALSE(fit.getdivergence()) << s;
        EXPECT_LT(iterations, SSVGaussNewtonLog::kMaxIterations) << s;
        EXPECT_NEAR(fit.getp(3), 400, 400 * 0.005) << s;
        EXPECT_NEAR(fit.getp(1), 1000, 20) << s;
        EXPECT_NEAR(fit.getp(2), 3, 0.06) << s;
        EXPECT_EQ(fit.approachSign(), s);
        EXPECT_NEAR(fit.getGFit(1), 400 - s * 1000 * std::exp(-0.5 / 3), 5) << s;
    }
}

// The window's use: a 20 uA relaxation on a 100 uA plateau with 20 nA of noise, in amperes.
TEST(SteadyCurrent, AsymptoteOfANoisyTransientInAmperes)
{
    std::mt19937_64 gen(3);
    std::normal_distribution<double> gauss(0, 1);
    for (double s : {1.0, -1.0}) {
        std::vector<double> t, y;
        for (int i = 1; i <= 40; ++i) { // 20 s of a 4 s relaxation: 0.7 % of it still to go
            t.push_back(0.5 * i);
            y.push_back(-100e-6 - s * 20e-6 * std::exp(-t.back() / 4) + 20e-9 * gauss(gen));
        }
        SSVGaussNewtonLog fit;
        const SteadyEstimate e = estimateSteadyCurrent(fit, t, y);
        EXPECT_TRUE(e.fitted) << s;
        EXPECT_NEAR(e.value, -100e-6, 100e-6 * 0.005) << s;
        EXPECT_NEAR(e.value, -100e-6, 20e-6 * 0.01) << s; // and within 1 % of the relaxation
        EXPECT_NEAR(e.timeConstant, 4, 0.2) << s;
        EXPECT_GT(std::fabs(tailMean(y) - e.value), 20e-6 * 0.003) << s; // the fit looked ahead
    }
}

TEST(SteadyCurrent, FlatOrShortTransientsTakeTheTailMean)
{
    const std::vector<double> t{0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6};
    const std::vector<double> flat(t.size(), 2e-6);
    SSVGaussNewtonLog fit;
    SteadyEstimate e = estimateSteadyCurrent(fit, t, flat);
    EXPECT_FALSE(e.fitted);
    EXPECT_EQ(e.value, 2e-6);
    e = estimateSteadyCurrent(fit, {0.5, 1, 1.5}, {1, 2, 3});
    EXPECT_FALSE(e.fitted);
    EXPECT_EQ(e.value, 3);
}

TEST(SSVGaussNewtonLog, InitialParametersDrawInOrder)
{
    SSVGaussNewtonLog fit(scripted({0.2, 0.4, 0.6, 0.8, 0.5}));
    fit.setGN(2);
    fit.setGX(1, 1);
    fit.setGX(2, 40);
    fit.setGY(1, -10);
    fit.setGY(2, 4);
    fit.setparanum(5);
    fit.SetInitialParameters();
    EXPECT_DOUBLE_EQ(fit.getp(1), std::fabs(0.1 * -10 - 10) / 2);
    EXPECT_DOUBLE_EQ(fit.getp(2), 0.4 * 40 * 0.25);
    EXPECT_DOUBLE_EQ(fit.getp(3), 4 - (0.5 - 0.6) * 4);
    EXPECT_DOUBLE_EQ(fit.getp(4), std::fabs(0.3 * -10 / 1.5 + 0.5 * -10));
    EXPECT_DOUBLE_EQ(fit.getp(5), 2 * 0.5 * 40 + 0.25 * 40);
}

TEST(SSVGaussNewtonLog, TwoExponentialsKeepTheShorterTimeConstantFirst)
{
    SSVGaussNewtonLog fit;
    fit.setparanum(5);
    loadTransient(fit, 3000, 1, 400, -1, 1, 1000, 8);
    // Started the wrong way round: the first exponential the slower one.
    fit.setp(1, 800);
    fit.setp(2, 6);
    fit.setp(3, 380);
    fit.setp(4, 2500);
    fit.setp(5, 1.5);
    fit.GAUSSNEWTONFitting();
    ASSERT_FALSE(fit.getdivergence());
    EXPECT_LT(fit.getp(2), fit.getp(5));
    EXPECT_NEAR(fit.getp(3), 400, 2);
}

TEST(SSVGaussNewtonLog, RunawayParametersSetTheDivergenceFlag)
{
    SSVGaussNewtonLog fit;
    fit.setparanum(3);
    loadTransient(fit, 20, 3, 100, 1, 0);
    fit.setp(1, 20);
    fit.setp(2, 1e-300); // exp(-t/p2) underflows: the log model runs off to -infinity
    fit.setp(3, 101);
    fit.GAUSSNEWTONFitting();
    EXPECT_TRUE(fit.getdivergence());
}

TEST(SSVGaussNewtonLog, FlatTransientGivesUpInsteadOfRestartingForEver)
{
    SSVGaussNewtonLog fit;
    fit.setparanum(3);
    fit.setGN(10);
    for (int i = 1; i <= 10; ++i) {
        fit.setGX(i, i);
        fit.setGY(i, i == 1 || i == 10 ? 0 : 0.5); // the zeros are stored as 1
        fit.setGW(i, 1);
    }
    fit.SetInitialParameters();
    fit.GAUSSNEWTONFitting();
    EXPECT_EQ(fit.approachSign(), 0);
    EXPECT_TRUE(fit.getdivergence());
    EXPECT_EQ(fit.restarts(), SSVGaussNewtonLog::kMaxRestarts + 1);
}

TEST(SSVGaussNewtonLog, EliminationSolvesAndFlagsSingularMatrices)
{
    SSVGaussNewtonLog::Matrix a{};
    SSVGaussNewtonLog::Vector b{};
    // Filled above the diagonal only, as the fit accumulates it; x = (1, -2, 3).
    const double full[3][3] = {{4, 2, -1}, {2, 5, 3}, {-1, 3, 6}};
    for (int r = 0; r < 3; ++r)
        for (int c = r; c < 3; ++c)
            a[r + 1][c + 1] = full[r][c];
    const double x[3] = {1, -2, 3};
    for (int r = 0; r < 3; ++r)
        b[r + 1] = full[r][0] * x[0] + full[r][1] * x[1] + full[r][2] * x[2];
    SSVGaussNewtonLog::mirrorUpperTriangle(a, 3);
    bool ok = false;
    SSVGaussNewtonLog::GaussianElimination(a, b, 3, ok);
    ASSERT_TRUE(ok);
    for (int r = 0; r < 3; ++r)
        EXPECT_NEAR(b[r + 1], x[r], 1e-12);

    struct Case {
        const char *name;
        double m[2][2];
    } cases[] = {{"zero column", {{0, 1}, {0, 2}}}, {"zero last pivot", {{1, 2}, {2, 4}}}};
    for (const Case &c : cases) {
        SSVGaussNewtonLog::Matrix s{};
        SSVGaussNewtonLog::Vector v{0, 1, 1};
        for (int r = 0; r < 2; ++r)
            for (int k = 0; k < 2; ++k)
                s[r + 1][k + 1] = c.m[r][k];
        ok = true;
        SSVGaussNewtonLog::GaussianElimination(s, v, 2, ok);
        EXPECT_FALSE(ok) << c.name;
    }
}
