// One advance() of each cell model at the sampling steps the measurement windows use, under a
// triangular sweep as the function generator makes it.
#include "devices/sim/cells/CellFactory.h"
#include "devices/sim/cells/DiffusionLine.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace tervo::sim;

namespace {

// Triangle between 0.6 and -0.2 V at 100 mV/s.
double triangle(double t)
{
    const double period = 16.0;
    const double u = std::fmod(t, period) / period;
    return u < 0.5 ? 0.6 - 1.6 * u : -0.2 + 1.6 * (u - 0.5);
}

void sweepAdvance(benchmark::State &state, const QString &model, double rpm)
{
    const double dt = state.range(0) * 1e-3;
    auto cell = makeCellModel(model, defaultCellParameters(model));
    double t = 0;
    for (int k = 0; k < 200; ++k) { // past the first factorisations
        t += dt;
        cell->advance(dt, triangle(t), rpm);
    }
    for (auto _ : state) {
        t += dt;
        const CellCurrents c = cell->advance(dt, triangle(t), rpm);
        benchmark::DoNotOptimize(c);
    }
}

void BM_RedoxStationary(benchmark::State &state)
{
    sweepAdvance(state, kRedoxCoupleModel, 0);
}
void BM_RedoxRotating(benchmark::State &state)
{
    sweepAdvance(state, kRedoxCoupleModel, 1600);
}
void BM_OxygenReductionRotating(benchmark::State &state)
{
    sweepAdvance(state, kOxygenReductionModel, 1600);
}

// A rotator whose rate drifts a little at every sample (feedback nudges) still reuses the flow.
void BM_RedoxRotatorJitter(benchmark::State &state)
{
    auto cell = makeCellModel(kRedoxCoupleModel, defaultCellParameters(kRedoxCoupleModel));
    double t = 0;
    int k = 0;
    for (auto _ : state) {
        t += 0.005;
        const double rpm = 1600 + 0.1 * std::sin(0.01 * ++k);
        benchmark::DoNotOptimize(cell->advance(0.005, triangle(t), rpm));
    }
}

// A new rotation rate at every call: each needs a new factorisation (the worst case).
void BM_RedoxRotationChangeEveryCall(benchmark::State &state)
{
    auto cell = makeCellModel(kRedoxCoupleModel, defaultCellParameters(kRedoxCoupleModel));
    double t = 0;
    int k = 0;
    for (auto _ : state) {
        t += 0.005;
        const double rpm = 400 + (++k % 2000);
        benchmark::DoNotOptimize(cell->advance(0.005, triangle(t), rpm));
    }
}

} // namespace

BENCHMARK(BM_RedoxStationary)->Arg(1)->Arg(10)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RedoxRotating)->Arg(1)->Arg(10)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_OxygenReductionRotating)->Arg(1)->Arg(10)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RedoxRotatorJitter)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RedoxRotationChangeEveryCall);
