// The Edit menu's clipboard operations on a full track, through the main window's logic.
#include "app/ControlPanelController.h"
#include "support/TestDoubles.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

using namespace tervo;

namespace {

struct Rig {
    FakeMsClock clock;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    MemoryClipboard clipboard;
    NullProgress progress;
    RecentFiles recent;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ControlPanelController> controller;

    explicit Rig(int mode)
    {
        state = std::make_unique<AppState>(clock, prompts, dir.path());
        controller = std::make_unique<ControlPanelController>(*state, clipboard, progress, recent);
        controller->load();
        for (int t = 0; t < 10; ++t) {
            TrackHeader &h = state->store[t];
            h.Mode = mode;
            h.Title = QStringLiteral("ORR 1600 rpm %1").arg(t);
            h.pnum = kMaxPoints;
            for (int i = 0; i < kMaxPoints; ++i) {
                const double e = 0.8 - 1.0 * i / kMaxPoints;
                state->store.data(0, t, i) = e;
                state->store.data(1, t, i) = -5.2e-4 / (1 + std::exp((e - 0.35) / 0.03));
                state->store.data(2, t, i) = 3.1e-5 / (1 + std::exp((e - 0.3) / 0.04));
            }
        }
    }
};

void BM_CopyAllFullRDETrack(benchmark::State &state)
{
    Rig rig(ModeRDE);
    for (auto _ : state) {
        rig.controller->copyAll();
        benchmark::DoNotOptimize(rig.clipboard.content.size());
    }
    state.SetItemsProcessed(state.iterations() * kMaxPoints);
}
BENCHMARK(BM_CopyAllFullRDETrack)->Unit(benchmark::kMillisecond);

void BM_PasteFullRDETrack(benchmark::State &state)
{
    Rig rig(ModeRDE);
    rig.controller->copyAll();
    rig.controller->ShowDataInfo(12);
    for (auto _ : state) {
        rig.controller->paste();
        benchmark::DoNotOptimize(rig.state->store[12].pnum);
    }
    state.SetItemsProcessed(state.iterations() * kMaxPoints);
}
BENCHMARK(BM_PasteFullRDETrack)->Unit(benchmark::kMillisecond);

void BM_CopyITTableTenChannels(benchmark::State &state)
{
    Rig rig(ModeMulti);
    for (auto _ : state) {
        rig.controller->copyITTable();
        benchmark::DoNotOptimize(rig.clipboard.content.size());
    }
    state.SetItemsProcessed(state.iterations() * kMaxPoints);
}
BENCHMARK(BM_CopyITTableTenChannels)->Unit(benchmark::kMillisecond);

} // namespace
