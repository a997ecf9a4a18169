// The log fit of one potential step's transient, as the steady-state window runs it: once at the
// end of a step (60 points: 30 s at 2 Hz) and at every sample of an accelerated step.
#include "measure/fit/SSVGaussNewtonLog.h"
#include "measure/fit/SteadyCurrent.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

using namespace tervo;

namespace {

void fitStep(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    std::mt19937_64 gen(5);
    std::normal_distribution<double> gauss(0, 1);
    std::vector<double> t, y;
    for (int i = 1; i <= n; ++i) {
        t.push_back(0.5 * i);
        y.push_back(-100e-6 - 5e-6 * std::exp(-t.back() / 2) + 20e-9 * gauss(gen));
    }
    SSVGaussNewtonLog fit;
    int iterations = 0, fitted = 0;
    for (auto _ : state) {
        const SteadyEstimate e = estimateSteadyCurrent(fit, t, y);
        iterations += e.iterations;
        fitted += e.fitted ? 1 : 0;
        benchmark::DoNotOptimize(e.value);
    }
    state.counters["iterations"] =
        benchmark::Counter(iterations, benchmark::Counter::kAvgIterations);
    state.counters["fitted"] = benchmark::Counter(fitted, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(fitStep)->Arg(10)->Arg(20)->Arg(60)->Arg(120)->Unit(benchmark::kMicrosecond);
