// The measuring tick of each window on the simulated rig: the cost of one averaged sample with
// its reads, range test and end test (fake clock, 1 ms per tick), and real-time runs that show
// the points per second reached at the top sampling rates.
#include "devices/sim/SimRig.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "support/TestStation.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

using namespace tervo;

namespace {

QGuiApplication &guiApp()
{
    static int argc = 1;
    static char name[] = "bench_measure_windows";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *a;
}

template <typename Clock> struct Station : TestStation<Clock> {
    AppState &app = this->station.state();
    MeasureContext *context = &this->station.context();

    explicit Station(bool multi) : TestStation<Clock>(TestStation<Clock>::simulated(3))
    {
        guiApp();
        app.loadMainWindowState();
        app.settings.GPIBControl = multi ? 0 : 2;
        app.settings.GPIBAddress = sim::SimRig::kGeneratorAddress;
        app.settings.ADBoard = 2;
        if (multi)
            this->station.rig()->wireMultipotentiostat();
    }
};

// Ticks a started model with the fake clock; the buffer is restarted before it fills.
template <typename Model> void tickModel(benchmark::State &state, Model &m, FakeMsClock &clock)
{
    m.setTimerDriven(false);
    m.open();
    m.start();
    for (auto _ : state) {
        clock.advance(1);
        m.tick();
        if (m.pointCount() > 19000) {
            state.PauseTiming();
            m.stop();
            m.tick();
            m.start();
            state.ResumeTiming();
        }
    }
    m.closeWindow();
}

void BM_RDE_Tick_Accum1(benchmark::State &state)
{
    Station<FakeMsClock> s(false);
    RDEModel m(*s.context);
    m.setMethod(1);
    m.SamplingRate(1000);
    m.Accumlation(1);
    std::int32_t retain = 0;
    m.RetainTime(retain);
    tickModel(state, m, s.clock);
}
BENCHMARK(BM_RDE_Tick_Accum1);

void BM_PS_Tick_Accum10(benchmark::State &state)
{
    Station<FakeMsClock> s(false);
    s.app.settings.GPIBControl = 0;
    PSModel m(*s.context);
    m.setMethod(PSModel::ByButton);
    m.InitSamplingRate(1000);
    m.Accumlation(10);
    tickModel(state, m, s.clock);
}
BENCHMARK(BM_PS_Tick_Accum10);

void BM_RPMvsj_Tick_Accum1(benchmark::State &state)
{
    Station<FakeMsClock> s(false);
    RPMvsjModel m(*s.context);
    m.AppliedMeasuremode(RPMvsjModel::ProgrammedRamp);
    m.SetRPMParameters(0, 1000000, 1);
    std::int32_t retain = 0;
    m.RetainTime(retain);
    m.SamplingRate(1000);
    m.Accumlation(1);
    tickModel(state, m, s.clock);
}
BENCHMARK(BM_RPMvsj_Tick_Accum1);

void BM_Multi_Tick(benchmark::State &state)
{
    Station<FakeMsClock> s(true);
    MultipotentiostatModel m(*s.context);
    for (int j = 0; j < MultipotentiostatModel::kSignals; ++j)
        m.inputChosen(j, j);
    m.setMethod(MultipotentiostatModel::StopByButton);
    m.setSamplingRate(1000);
    m.setAccumulation(static_cast<double>(state.range(0)));
    tickModel(state, m, s.clock);
    state.counters["reads_per_tick"] = 20 * state.range(0);
}
BENCHMARK(BM_Multi_Tick)->Arg(1)->Arg(20);

// Real time: the windows' own timers at the top rate for five seconds.
template <typename Model, typename Setup>
void realTime(benchmark::State &state, bool multi, Setup setup)
{
    for (auto _ : state) {
        Station<SystemMsClock> s(multi);
        Model m(*s.context);
        setup(m);
        if (!m.open()) {
            state.SkipWithError("board did not open");
            return;
        }
        m.start();
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, [&] {
            m.stop();
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
        });
        loop.exec();
        const double seconds = static_cast<double>(m.runLength()) / 1000.0;
        const int points = s.app.store[0].pnum;
        state.counters["points"] = points;
        state.counters["points_per_s"] = points / seconds;
        m.closeWindow();
    }
}

void BM_RDE_RealTime_1000Hz_Accum1(benchmark::State &state)
{
    realTime<RDEModel>(state, false, [](RDEModel &m) {
        m.setMethod(1);
        m.SamplingRate(1000);
        m.Accumlation(1);
        std::int32_t retain = 0;
        m.RetainTime(retain);
    });
}
BENCHMARK(BM_RDE_RealTime_1000Hz_Accum1)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Multi_RealTime_100Hz_Accum20(benchmark::State &state)
{
    realTime<MultipotentiostatModel>(state, true, [](MultipotentiostatModel &m) {
        for (int j = 0; j < MultipotentiostatModel::kSignals; ++j)
            m.inputChosen(j, j);
        m.setMethod(MultipotentiostatModel::StopByButton);
        m.setSamplingRate(100);
        m.setAccumulation(20);
    });
}
BENCHMARK(BM_Multi_RealTime_100Hz_Accum20)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
