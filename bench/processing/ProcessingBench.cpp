// The FFT beside FFTW, smoothing all tracks and combining two ring-disk tracks.
#include "processing/FFT.h"
#include "processing/Smoothing.h"
#include "processing/TrackCalculation.h"
#include "support/TestDoubles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#ifdef TERVO_HAVE_FFTW
#include <fftw3.h>
#endif

using namespace tervo;

namespace {

constexpr int kN = 32768;

std::vector<double> noise(int n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> v(static_cast<std::size_t>(n));
    for (double &x : v)
        x = u(gen);
    return v;
}

// A full voltammetric track: 1.0 -> 0.0 -> 1.0 V in 20001 points.
void fillTrack(TrackStore &store, int t, int mode, double scale)
{
    TrackHeader &h = store[t];
    h = TrackHeader();
    h.Mode = mode;
    h.pnum = kMaxPoints;
    h.V1st = h.V3rd = 1.0;
    h.V2nd = 0.0;
    h.Scanrate = 10;
    h.DiskYscale = 1e-3;
    const std::vector<double> n = noise(kMaxPoints, static_cast<unsigned>(t + 1));
    const int half = kMaxPoints / 2;
    for (int i = 0; i < kMaxPoints; ++i) {
        const double x = i <= half ? 1.0 - double(i) / half : double(i - half) / half;
        const double disk = -scale * 1e-3 / (1 + std::exp((x - 0.7) * 40));
        store.data(0, t, i) = x;
        store.data(1, t, i) = disk + 1e-7 * n[static_cast<std::size_t>(i)];
        store.data(2, t, i) = -0.05 * disk;
    }
}

} // namespace

// The FFT as the filter calls it: twiddle factors computed for every transform.
static void BM_FFT_32768(benchmark::State &state)
{
    const std::vector<double> re0 = noise(kN, 1), im0 = noise(kN, 2);
    std::vector<double> re, im;
    for (auto _ : state) {
        re = re0;
        im = im0;
        FFT(re.data(), im.data(), kN, +1);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_FFT_32768)->Unit(benchmark::kMicrosecond);

// The same with the twiddle factors kept (FFTW keeps its plan too).
static void BM_FFTPlan_32768(benchmark::State &state)
{
    const std::vector<double> re0 = noise(kN, 1), im0 = noise(kN, 2);
    std::vector<double> re, im;
    const FFTPlan plan(kN);
    for (auto _ : state) {
        re = re0;
        im = im0;
        plan.transform(re.data(), im.data(), +1);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_FFTPlan_32768)->Unit(benchmark::kMicrosecond);

#ifdef TERVO_HAVE_FFTW
// FFTW's complex transform of the same size, planned once (FFTW_ESTIMATE).
static void BM_FFTW_32768(benchmark::State &state)
{
    const std::vector<double> re0 = noise(kN, 1), im0 = noise(kN, 2);
    fftw_complex *in = fftw_alloc_complex(kN);
    fftw_complex *out = fftw_alloc_complex(kN);
    fftw_plan plan = fftw_plan_dft_1d(kN, in, out, FFTW_BACKWARD, FFTW_ESTIMATE);
    for (auto _ : state) {
        for (int i = 0; i < kN; ++i) {
            in[i][0] = re0[static_cast<std::size_t>(i)];
            in[i][1] = im0[static_cast<std::size_t>(i)];
        }
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_FFTW_32768)->Unit(benchmark::kMicrosecond);
#endif

// "Apply All Track" + "Update Data": 21 full CV tracks, Savitzky-Golay with 15 points.
static void BM_SmoothAll21Tracks(benchmark::State &state)
{
    auto store = std::make_unique<TrackStore>();
    for (int t = 0; t < kUserTracks; ++t)
        fillTrack(*store, t, ModeCV, 1 + 0.1 * t);
    Settings settings;
    ScriptedPrompts prompts;
    SmoothingController c(*store, settings, prompts,
                          QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat"));
    c.open();
    c.setPoints(15);
    c.applyAllTracks = true;
    for (auto _ : state) {
        if (!c.updateData())
            state.SkipWithError("smoothing failed");
    }
}
BENCHMARK(BM_SmoothAll21Tracks)->Unit(benchmark::kMillisecond);

// A - B of two full RDE tracks with their ring currents. A loses its repeated potentials on the
// first run, so it is restored (untimed) before each one.
static void BM_TrackCalculationTwoRDE(benchmark::State &state)
{
    auto store = std::make_unique<TrackStore>();
    fillTrack(*store, 0, ModeRDE, 1.0);
    fillTrack(*store, 1, ModeRDE, 0.5);
    fillTrack(*store, 2, ModeRDE, 1.0);
    CalcOperands o;
    o.a = 0;
    o.b = 1;
    o.op = 1;
    int points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store->CopyTrackHeader(2, 0);
        store->CopyTrackPoints(2, 0, kMaxPoints);
        state.ResumeTiming();
        buildShiftedB(*store, o.b, o.xBshift);
        if (calculateTracks(*store, o, &points) != CalcStatus::Done)
            state.SkipWithError("calculation failed");
    }
    state.counters["points"] = points;
}
BENCHMARK(BM_TrackCalculationTwoRDE)->Unit(benchmark::kMillisecond);

// What a one-shot FFT pays on top of the transform: its twiddle table.
static void BM_FFTPlanSetUp_32768(benchmark::State &state)
{
    for (auto _ : state) {
        FFTPlan plan(kN);
        benchmark::DoNotOptimize(&plan);
    }
}
BENCHMARK(BM_FFTPlanSetUp_32768)->Unit(benchmark::kMicrosecond);
