// The macro runner: parse and check of a long macro, the CPU a pending Wait costs, how soon the
// next line runs after a measurement, and a fast series through tervo-tool.
#include "macro/MacroRunner.h"
#include "measure/CVModel.h"
#include "support/TestStation.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

using namespace tervo;

namespace {

QGuiApplication &app()
{
    static int argc = 1;
    static char name[] = "bench_macro";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *a;
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The real-time workstation: system clock, simulated rig, one CV window.
struct Bench : TestStation<SystemMsClock> {
    CVModel *cv = nullptr;
    std::unique_ptr<MacroRunner> runner;

    Bench() : TestStation(simulated(3))
    {
        station.state().loadMainWindowState();
        station.state().settings.GPIBControl = 2;
        station.makeModels();
        cv = &station.cv();
        runner = std::make_unique<MacroRunner>(station.macroEnvironment());
    }

    void runUntilDone()
    {
        QEventLoop loop;
        QObject::connect(runner.get(), &MacroRunner::finished, &loop, &QEventLoop::quit);
        if (runner->isRunning())
            loop.exec();
    }
};

QString longMacro(int lines)
{
    QString text;
    const QStringList block = splitMacroLines(macroTemplateText(MacroTemplate::CV) +
                                              macroTemplateText(MacroTemplate::RRDE) +
                                              macroTemplateText(MacroTemplate::Mail));
    for (int i = 0; i < lines; ++i)
        text += block[i % (block.size() - 1)] + QStringLiteral("\r\n");
    return text;
}

} // namespace

// Target: 10,000 lines in 5 ms or less.
void BM_ParseAndCheck10000Lines(benchmark::State &state)
{
    const QString text = longMacro(10000);
    for (auto _ : state) {
        const QStringList lines = splitMacroLines(text);
        benchmark::DoNotOptimize(checkMacro(lines));
    }
}
BENCHMARK(BM_ParseAndCheck10000Lines)->Unit(benchmark::kMillisecond);

// Target: at most 2 % of one core while a Wait is pending. The wait is 3 s rather than 30 s; the
// runner's cost is a fixed rate of countdown ticks, so the share is the same.
void BM_CpuDuringWait(benchmark::State &state)
{
    app();
    const int waitMs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Bench b;
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        b.runner->run(QStringLiteral("Wait %1").arg(waitMs));
        QEventLoop loop;
        QTimer::singleShot(waitMs + 200, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = processCpuSeconds() - cpu0;
        state.counters["cpu_percent"] = 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000);
    }
}
BENCHMARK(BM_CpuDuringWait)->Arg(3000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Target: the next line within 20 ms of a measurement's end.
void BM_NextLineAfterMeasurement(benchmark::State &state)
{
    app();
    for (auto _ : state) {
        Bench b;
        QElapsedTimer t;
        qint64 ended = -1, next = -1;
        t.start();
        QObject::connect(b.cv, &MeasurementModel::stored, [&] { ended = t.nsecsElapsed(); });
        QObject::connect(b.runner.get(), &MacroRunner::lineStarted, [&](int index) {
            if (index == 7)
                next = t.nsecsElapsed();
        });
        b.runner->run(QStringLiteral("CV.SamplingRate 20\r\nCV.Accumlation 5\r\nCV.RetainTime 0\r\n"
                                     "CV.Voltage 0 0.02 0\r\nCV.Scanrate 100\r\nCV.Repeat 1\r\n"
                                     "CV.Start\r\nCV.Title next"));
        b.runUntilDone();
        if (ended < 0 || next < 0) {
            state.SkipWithError("the measurement did not end");
            return;
        }
        state.counters["latency_ms"] = static_cast<double>(next - ended) / 1e6;
    }
}
BENCHMARK(BM_NextLineAfterMeasurement)->Iterations(3)->Unit(benchmark::kMillisecond);

// Target: under 5 s of wall time for the example CV + RDE series with --fast.
void BM_FastSeriesThroughTheTool(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        QProcess p;
        p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"),
                {QStringLiteral("run"),
                 QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"),
                 QStringLiteral("--fast"), QStringLiteral("--settings-dir"), dir.path(),
                 QStringLiteral("--out"), dir.filePath(QStringLiteral("out.tvd"))});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("tervo-tool run failed");
            return;
        }
    }
}
BENCHMARK(BM_FastSeriesThroughTheTool)->Iterations(3)->Unit(benchmark::kMillisecond);
