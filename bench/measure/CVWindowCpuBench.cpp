// A real-time CV at 1 kHz, accumulation 1, through its window and the two graph windows, as the
// program runs it: points recorded per second and the process's CPU time per second of the run.
#include "measure/CVModel.h"
#include "measure/ui/frmMeasureCV.h"
#include "plot/frmGraph.h"
#include "support/TestDoubles.h"
#include "workstation/Workstation.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>

using namespace tervo;

namespace {

QApplication &app()
{
    static int argc = 1;
    static char name[] = "bench_measure_cpu";
    static char *argv[] = {name, nullptr};
    static QApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *a;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_CVWindow_1000Hz_CpuPerSecond(benchmark::State &state)
{
    app();
    for (auto _ : state) {
        QTemporaryDir dir;
        SystemMsClock clock;
        ScriptedPrompts prompts;
        MemoryClipboard clipboard;
        GraphWindows graphs(clipboard);
        SilentSoundPlayer sound;
        Workstation ws(Desk{clock, prompts, clipboard, sound, graphs.graph(0), graphs.graph(1)},
                       WorkstationSetup{.folder = dir.path(), .seed = 3, .savedCell = false});
        AppState &appState = ws.state();
        appState.loadMainWindowState();
        appState.settings.GPIBControl = 2;
        ws.makeModels();
        CVModel &cv = ws.cv();
        frmMeasureCV window(cv);
        cv.setMethod(1); // by button: the benchmark stops it
        cv.SamplingRate(1000);
        cv.Accumlation(1);
        std::int32_t retain = 0;
        cv.RetainTime(retain);
        window.show();
        graphs.window(0).show();
        graphs.window(1).show();
        const double cpu0 = cpuSeconds();
        cv.start();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, [&] {
            cv.stop();
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
        });
        loop.exec();
        const double elapsed = static_cast<double>(cv.runLength()) / 1000.0;
        const double cpu = cpuSeconds() - cpu0;
        state.counters["points_per_s"] = appState.store[0].pnum / elapsed;
        state.counters["cpu_per_s"] = cpu / 10.1;
        cv.closeWindow();
    }
}
BENCHMARK(BM_CVWindow_1000Hz_CpuPerSecond)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
