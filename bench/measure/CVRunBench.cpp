// Real-time cyclic-voltammetry runs on the simulated rig: points recorded per second.
#include "measure/CVModel.h"
#include "support/TestStation.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

using namespace tervo;

namespace {

QGuiApplication &app()
{
    static int argc = 1;
    static char name[] = "bench_measure";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *a;
}

void runCV(benchmark::State &state, double rate, int accum, int seconds)
{
    app();
    for (auto _ : state) {
        TestStation<SystemMsClock> s(TestStation<SystemMsClock>::simulated(3));
        AppState &appState = s.station.state();
        appState.loadMainWindowState();
        appState.settings.GPIBControl = 2;
        s.station.makeModels();
        CVModel &cv = s.station.cv();
        cv.setMethod(1); // by button: the benchmark stops it
        cv.SamplingRate(rate);
        cv.Accumlation(accum);
        std::int32_t retain = 0;
        cv.RetainTime(retain);
        if (!cv.open()) {
            state.SkipWithError("board did not open");
            return;
        }
        cv.start();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, [&] {
            cv.stop();
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
        });
        QElapsedTimer wall;
        wall.start();
        loop.exec();
        const double elapsed = static_cast<double>(cv.runLength()) / 1000.0;
        const int points = appState.store[0].pnum;
        state.counters["points"] = points;
        state.counters["points_per_s"] = points / elapsed;
        cv.closeWindow();
    }
}

void BM_CV_1000Hz_Accum1(benchmark::State &state)
{
    runCV(state, 1000, 1, 10);
}
BENCHMARK(BM_CV_1000Hz_Accum1)->Iterations(1)->Unit(benchmark::kSecond);

void BM_CV_100Hz_Accum100(benchmark::State &state)
{
    runCV(state, 100, 100, 10);
}
BENCHMARK(BM_CV_100Hz_Accum100)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
