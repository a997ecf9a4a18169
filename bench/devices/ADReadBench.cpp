#include "devices/Instruments.h"
#include "devices/sim/SimRig.h"
#include "state/Settings.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every allocation, so the benchmarks can show that a read makes none.
static std::atomic<long> g_allocations{0};

void *operator new(std::size_t size)
{
    ++g_allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

using namespace tervo;

namespace {

struct Station {
    FakeMsClock clock;
    sim::SimRig rig{clock};
    Settings settings;
    std::vector<RpmRow> table;
    Instruments inst{settings, table, rig.libraries()};

    explicit Station(int board)
    {
        settings.ADBoard = board;
        settings.DeviceName = QStringLiteral("AIO00");
        settings.DynamicRange = 1;
        inst.ADOpen();
    }
};

void report(benchmark::State &state, long before)
{
    state.counters["allocs/read"] = benchmark::Counter(
        static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
}

// One read with the simulation already up to date: the cost of the board path itself.
void BM_ADRead(benchmark::State &state)
{
    Station s(static_cast<int>(state.range(0)));
    std::uint8_t channel = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.inst.ADRead(channel));
        channel = static_cast<std::uint8_t>((channel + 1) & 3);
    }
    report(state, before);
}
BENCHMARK(BM_ADRead)->Arg(0)->Arg(1)->Arg(2)->ArgName("board");

// Reads as a 1 kHz measurement makes them, five per channel for two channels per millisecond:
// the simulation steps the dummy cell once per ten reads.
void BM_ADReadAtOneKilohertz(benchmark::State &state)
{
    Station s(2);
    int n = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.inst.ADRead(static_cast<std::uint8_t>(n & 1)));
        if (++n == 10) {
            n = 0;
            s.clock.advance(1);
        }
    }
    report(state, before);
}
BENCHMARK(BM_ADReadAtOneKilohertz);

} // namespace
