#include "canvas/KurvexControl.h"
#include "plot/Graph.h"
#include "plot/Palette.h"
#include "plot/TrackPreview.h"
#include "state/TrackStore.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

QApplication &app()
{
    static int argc = 1;
    static char name[] = "plot_bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication a(argc, argv);
    return a;
}

// A full ring-disk track: 20001 points of a sweep with disk and ring currents.
void fillRde(tervo::TrackStore &s, int track)
{
    tervo::TrackHeader &h = s[track];
    h.Mode = tervo::ModeRDE;
    h.pnum = tervo::kMaxPoints;
    for (int i = 0; i < tervo::kMaxPoints; ++i) {
        const double phase = std::fmod(i / 5000.0, 2.0);
        const double v = 1.0 - (phase < 1 ? phase : 2 - phase);
        s.data(0, track, i) = v;
        s.data(1, track, i) = -4e-4 / (1 + std::exp((v - 0.8) / 0.03)) + 1e-6 * std::sin(i * 0.01);
        s.data(2, track, i) = 1e-4 / (1 + std::exp((v - 0.8) / 0.03));
    }
    h.Vxmin = 0;
    h.Vxmax = 1;
    h.Vymin = -4e-4;
    h.Vymax = 1e-4;
}

void BM_FullRedrawRdeTrack(benchmark::State &state)
{
    app();
    auto store = std::make_unique<tervo::TrackStore>();
    fillRde(*store, 0);
    std::unique_ptr<kurvex::KurvexControl> canvas(
        kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
    canvas->widget()->resize(1000, 700);
    for (auto _ : state) {
        tervo::DrawTrackPreview(*canvas, *store, 0, tervo::PreviewLines);
        // Reading the image finishes the painting.
        benchmark::DoNotOptimize(canvas->image().constBits());
    }
}
BENCHMARK(BM_FullRedrawRdeTrack)->Unit(benchmark::kMillisecond);

// What the operator's zoom, pan and decade scale cost: the held track drawn again in a new view.
void BM_ZoomedRedrawRdeTrack(benchmark::State &state)
{
    app();
    auto store = std::make_unique<tervo::TrackStore>();
    fillRde(*store, 0);
    std::unique_ptr<kurvex::KurvexControl> canvas(
        kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
    canvas->widget()->resize(1000, 700);
    tervo::DrawTrackPreview(*canvas, *store, 0, tervo::PreviewLines);
    canvas->viewState().setLogY(state.range(0) == 1);
    double notches = 1;
    for (auto _ : state) {
        canvas->viewState().wheel(500, 350, notches, kurvex::ZoomAxes::Both, 1000, 700);
        notches = -notches;
        canvas->showView();
        benchmark::DoNotOptimize(canvas->image().constBits());
    }
}
BENCHMARK(BM_ZoomedRedrawRdeTrack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The part of a redraw that does not depend on the track: clearing, grid, labels and axes.
void BM_CanvasAxis(benchmark::State &state)
{
    app();
    std::unique_ptr<kurvex::KurvexControl> canvas(
        kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
    canvas->widget()->resize(1000, 700);
    canvas->XAxisFormat(QStringLiteral("0.0"));
    canvas->YAxisFormat(QStringLiteral("0.0e+0"));
    canvas->View(-0.1, 1.5e-4, 1.1, -4.5e-4);
    for (auto _ : state) {
        canvas->Axis(0.5, 1e-4, QStringLiteral("Potential /V"), QStringLiteral("Current /A"));
        benchmark::DoNotOptimize(canvas->image().constBits());
    }
}
BENCHMARK(BM_CanvasAxis)->Unit(benchmark::kMillisecond);

void BM_GraphLivePoint(benchmark::State &state)
{
    app();
    tervo::MemoryClipboard clipboard;
    tervo::Graph graph(clipboard);
    graph.SetSize(0, 0, 1000 * 15, 700 * 15);
    graph.View(-0.2, 1e-4, 1.0, -1e-4);
    graph.Axis(0.2, 2e-5, 0, QStringLiteral("/V"));
    int i = 0;
    double x = 0, y = 0;
    for (auto _ : state) {
        const double nx = std::fmod(i * 1e-3, 1.0), ny = 5e-5 * std::sin(i * 0.01);
        graph.VLine(x, y, nx, ny, tervo::paletteColor(tervo::kLightRed));
        // The window repaints after each point, which finishes the drawing.
        benchmark::DoNotOptimize(graph.image().constBits());
        x = nx;
        y = ny;
        ++i;
    }
}
BENCHMARK(BM_GraphLivePoint)->Unit(benchmark::kMicrosecond);

} // namespace
