#include "processing/FFTFilter.h"
#include "ProcessingFixtures.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>

using namespace tervo;

namespace {

struct FilterRig {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    ScriptedPrompts prompts;
    FFTFilterController c{*store, settings, prompts};
    std::vector<int> changed;
    FilterRig()
    {
        settings.FFTFxmax = 25;
        settings.FFTFymax = 2;
        c.trackChanged = [this](int t) { changed.push_back(t); };
    }
};

// Amplitude of the frequency f in y sampled every dt (a single-bin DFT).
double amplitudeAt(const std::vector<double> &y, double dt, double f)
{
    double re = 0, im = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double a = 2 * std::numbers::pi * f * dt * double(i);
        re += y[i] * std::cos(a);
        im += y[i] * std::sin(a);
    }
    return 2 * std::hypot(re, im) / double(y.size());
}

} // namespace

TEST(FFTFilter, CutOffsAboveNyquistLeaveTheColumnsAndNoneLeavesX)
{
    FilterRig r;
    makeCV(*r.store, 3, ModeRDE, 0.5, -0.5, 500, 2, [](double x, int) { return std::sin(9 * x); });
    (*r.store)[3].MaxTime = 1000; // 1001 points in 1 s: fs/2 is about 500 Hz
    r.c.selectTrack(3);
    EXPECT_EQ(r.c.spectrum().n, 1024);
    EXPECT_EQ(r.c.spectrum().columns, 2);
    r.c.setXFilter(0);
    r.c.setYMaxFrequency(1e6);
    ASSERT_TRUE(r.c.calculate());
    for (int c = 0; c < 3; ++c)
        for (int p = 0; p < 1001; p += 50)
            EXPECT_NEAR(
                r.c.result().values[static_cast<std::size_t>(c)][static_cast<std::size_t>(p)],
                r.store->data(c, 3, p), 1e-12);
    EXPECT_EQ(r.c.destTitle(), QStringLiteral("FFT_"));
    EXPECT_EQ(r.store->data(1, kWorkSlot, 70), r.c.result().values[1][70]);
}

TEST(FFTFilter, LowPassKeepsTheMeanAndFiltersTheRingToo)
{
    FilterRig r;
    makeTrack(*r.store, 2, ModeRDE, 1000, [](int i) {
        const double wobble = std::sin(2 * std::numbers::pi * 100 * i / 1000.0);
        return std::array<double, 3>{i / 1000.0, 1e-6 + 1e-7 * wobble, 2e-6 - 1e-7 * wobble};
    });
    (*r.store)[2].MaxTime = 1000;
    (*r.store)[2].Title = QStringLiteral("ring");
    r.c.selectTrack(2);
    r.c.setYMaxFrequency(10);
    ASSERT_TRUE(r.c.calculate());
    const auto &v = r.c.result().values;
    for (int c : {1, 2}) {
        const auto &col = v[static_cast<std::size_t>(c)];
        std::vector<double> source(r.store->data.column(c, 2), r.store->data.column(c, 2) + 1000);
        EXPECT_GT(amplitudeAt(source, 0.001, 100), 0.9e-7);
        EXPECT_LT(amplitudeAt(col, 0.001, 100), 1e-9);
    }
    // Below the first bin only the mean (bin 0) is left, spread over the padded length.
    r.c.setYMaxFrequency(0.1);
    ASSERT_TRUE(r.c.calculate());
    const double sum =
        std::accumulate(r.store->data.column(1, 2), r.store->data.column(1, 2) + 1000, 0.0);
    EXPECT_NEAR(r.c.result().values[1][500], sum / 1024, 1e-18);
    r.c.setYMaxFrequency(10);
    ASSERT_TRUE(r.c.calculate());
    r.c.setDestination(9);
    ASSERT_TRUE(r.c.recordAnotherTrack());
    EXPECT_EQ((*r.store)[9].Title, QStringLiteral("FFT_ring"));
    EXPECT_EQ((*r.store)[9].Mode, ModeRDE);
    ASSERT_TRUE(r.c.updateData());
    EXPECT_EQ(r.store->data(2, 2, 500), v[2][500]);
    EXPECT_EQ(r.changed, (std::vector<int>{9, 2}));
}

TEST(FFTFilter, RecordingOntoAnOccupiedTrackAsksFirst)
{
    FilterRig r;
    for (int t : {0, 4})
        makeTrack(*r.store, t, ModeCV, 100, [t](int i) {
            return std::array<double, 3>{i * 0.01, double(t), 0};
        });
    (*r.store)[0].MaxTime = 100;
    (*r.store)[4].Title = QStringLiteral("keep");
    r.c.selectTrack(0);
    ASSERT_TRUE(r.c.calculate());
    r.c.setDestination(4);
    r.prompts.choiceAnswers = {2, 1}; // Cancel, then "Use track 5"
    EXPECT_FALSE(r.c.recordAnotherTrack());
    EXPECT_EQ(r.prompts.questions, QStringList{"Track 4 holds 'keep' (CV). Replace it?"});
    EXPECT_TRUE(r.changed.empty());
    ASSERT_TRUE(r.c.recordAnotherTrack());
    EXPECT_EQ((*r.store)[4].Title, QStringLiteral("keep"));
    EXPECT_EQ(r.store->data(1, 4, 50), 4.0);
    EXPECT_EQ((*r.store)[5].Mode, ModeCV);
    EXPECT_EQ(r.c.destinationTrack(), 5);
    EXPECT_EQ(r.changed, std::vector<int>{5});
}

TEST(FFTFilter, UpdateWithoutAResultForTheTrackIsRefused)
{
    FilterRig r;
    makeTrack(*r.store, 0, ModeCV, 100, [](int i) {
        return std::array<double, 3>{i * 0.01, 1, 0};
    });
    makeTrack(*r.store, 1, ModeCV, 100, [](int i) {
        return std::array<double, 3>{i * 0.01, 2, 0};
    });
    (*r.store)[0].MaxTime = (*r.store)[1].MaxTime = 100;
    r.c.open();
    EXPECT_FALSE(r.c.updateData());
    ASSERT_TRUE(r.c.calculate());
    r.c.stepTrack(1);
    EXPECT_FALSE(r.c.recordAnotherTrack());
    EXPECT_EQ(r.prompts.messages.size(), 2);
    EXPECT_EQ(r.store->data(1, 1, 5), 2);
    EXPECT_EQ((*r.store)[10].Mode, ModeNone);
}

TEST(FFTFilter, CutOffsNotAboveZeroBecomeATenthOfAHertz)
{
    FilterRig r;
    const std::pair<double, double> cases[] = {{0, 0.1}, {-5, 0.1}, {3.5, 3.5}};
    for (auto [typed, stored] : cases) {
        EXPECT_EQ(r.c.setXMaxFrequency(typed), stored);
        EXPECT_EQ(r.settings.FFTFxmax, stored);
        EXPECT_EQ(r.c.setYMaxFrequency(typed), stored);
        EXPECT_EQ(r.settings.FFTFymax, stored);
    }
}

TEST(FFTFilter, TrackWithoutMeasurementTimeIsRefused)
{
    FilterRig r;
    makeTrack(*r.store, 0, ModeCV, 100, [](int i) {
        return std::array<double, 3>{i * 0.01, 1, 0};
    });
    r.c.selectTrack(0);
    EXPECT_FALSE(r.c.calculate());
    EXPECT_EQ(r.prompts.messages.size(), 1);
}

// The simulated cell's 50 Hz mains pick-up on a CV sampled at 1 kHz, taken straight from the
// cell model, is removed by a 20 Hz low pass while the peak stays where it was.
TEST(FFTFilter, RemovesTheSimulatedMainsPickUpAndKeepsThePeak)
{
    FilterRig r;
    sim::CellParameters p = sim::defaultCellParameters(sim::kRedoxCoupleModel);
    p.noise = 0;
    p.mainsAmplitude = 2e-6;
    std::vector<double> clean;
    const double dt = 0.001;
    recordSimulatedCV(*r.store, 0, p, 200, dt, &clean);
    const int n = (*r.store)[0].pnum;
    r.c.selectTrack(0);
    r.c.setYMaxFrequency(20);
    ASSERT_TRUE(r.c.calculate());
    const std::vector<double> &filtered = r.c.result().values[1];

    std::vector<double> residual(static_cast<std::size_t>(n)), raw(residual);
    for (int i = 0; i < n; ++i) {
        residual[static_cast<std::size_t>(i)] =
            filtered[static_cast<std::size_t>(i)] - clean[static_cast<std::size_t>(i)];
        raw[static_cast<std::size_t>(i)] =
            r.store->data(1, 0, i) - clean[static_cast<std::size_t>(i)];
    }
    EXPECT_NEAR(amplitudeAt(raw, dt, 50), p.mainsAmplitude, 0.02 * p.mainsAmplitude);
    EXPECT_LT(amplitudeAt(residual, dt, 50), 0.01 * p.mainsAmplitude);

    const auto cleanPeak = std::min_element(clean.begin(), clean.end());
    const auto filteredPeak = std::min_element(filtered.begin(), filtered.end());
    EXPECT_NEAR(*filteredPeak / *cleanPeak, 1.0, 0.01);
    EXPECT_LT(std::abs(std::distance(clean.begin(), cleanPeak) -
                       std::distance(filtered.begin(), filteredPeak)),
              20); // 4 mV
}
