// The peak analysis on hand-made voltammograms: sweeps, base lines, peaks, refusals, report.
#include "analysis/PeakAnalysis.h"
#include "support/TestDoubles.h"
#include "tracks/TrackFile.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

using namespace tervo;

namespace {

const QString kExample = QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd");

struct Bench {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    ScriptedPrompts prompts;

    // Track 0: a CV from 0.6 V to -0.2 V and back in 1 mV steps, `turns` sweeps long, current
    // current(E, direction); the potential wobbles by `wobble` from point to point.
    void cv(const std::function<double(double, int)> &current, int sweeps = 2, double wobble = 0)
    {
        TrackHeader &h = (*store)[0];
        h = TrackHeader();
        h.Mode = ModeCV;
        h.V1st = 0.6;
        h.V2nd = -0.2;
        h.V3rd = 0.6;
        int n = 0;
        for (int s = 0; s < sweeps; ++s) {
            const int dir = s % 2 == 0 ? -1 : 1;
            for (int k = s == 0 ? 0 : 1; k <= 800; ++k) {
                const double e = (dir < 0 ? 0.6 - 0.001 * k : -0.2 + 0.001 * k) +
                                 (n % 2 == 0 ? wobble : -wobble);
                store->data(0, 0, n) = e;
                store->data(1, 0, n) = current(e, dir);
                ++n;
            }
        }
        h.pnum = n;
    }
};

constexpr double kPeak = 0.17, kWidth = 0.03, kHeight = 2e-5;

// A cathodic Gaussian on a sloping background on the way down, nothing on the way up.
double gaussianWave(double e, int dir)
{
    const double background = 1e-7 + 4e-7 * e;
    return dir < 0
               ? background - kHeight * std::exp(-std::pow(e - kPeak, 2) / (2 * kWidth * kWidth))
               : -background;
}

} // namespace

TEST(PeakAnalysis, SweepsSplitAtTurnsNotAtNoise)
{
    Bench b;
    b.cv([](double, int) { return 0.0; }, 4, 0.002);
    const std::vector<Sweep> sweeps = voltammogramSweeps(*b.store, 0);
    ASSERT_EQ(sweeps.size(), 4u);
    for (std::size_t k = 0; k < sweeps.size(); ++k) {
        EXPECT_EQ(sweeps[k].direction, k % 2 == 0 ? -1 : 1) << k;
        // Each turn lies on the extreme point, within the wobble.
        EXPECT_NEAR(sweeps[k].last, 800 * int(k + 1), 1) << k;
        if (k > 0) {
            EXPECT_EQ(sweeps[k].first, sweeps[k - 1].last);
        }
    }
}

TEST(PeakAnalysis, ForwardPeakFromASlopingBaseLine)
{
    Bench b;
    b.cv(gaussianWave, 1);
    const std::vector<Sweep> sweeps = voltammogramSweeps(*b.store, 0);
    ASSERT_EQ(sweeps.size(), 1u);
    const SweepPeaks s = readSweepPeaks(*b.store, 0, sweeps[0], std::nullopt, std::nullopt, 1);
    ASSERT_TRUE(s.forwardPeak) << s.problem.toStdString();
    EXPECT_FALSE(s.complete()); // it never turns back
    EXPECT_NEAR(s.baseFrom, 0.6, 1e-9);
    EXPECT_NEAR(s.baseTo, 0.52, 1e-9);
    EXPECT_NEAR(s.base.slope, 4e-7, 1e-12);
    const PeakReading &p = *s.forwardPeak;
    EXPECT_NEAR(p.potential, kPeak, 2e-4);
    EXPECT_NEAR(p.current / -kHeight, 1, 1e-3);
    EXPECT_NEAR(p.base, 1e-7 + 4e-7 * kPeak, 1e-12);
    EXPECT_NEAR(p.halfPotential, kPeak + kWidth * std::sqrt(2 * std::log(2.0)), 5e-4);
}

// A sweep without a peak, a base window beside the sweep, a track of another mode: a message,
// no numbers.
TEST(PeakAnalysis, RefusesWithAMessage)
{
    const struct {
        const char *what;
        std::function<double(double, int)> current;
        std::optional<BaseWindow> window;
        int mode;
        const char *message;
    } cases[] = {
        {"flat", [](double e, int) { return 1e-7 * e; }, std::nullopt, ModeCV,
         "Sweep 1 has no cathodic peak."},
        {"plateau", [](double e, int) { return -1e-5 / (1 + std::exp((e - 0.2) / 0.0257)); },
         std::nullopt, ModeRDE, "Sweep 1 has no cathodic peak."},
        {"window", gaussianWave, BaseWindow{0.9, 1.0}, ModeCV,
         "The base window 0.900 V to 1.000 V lies outside sweep 1"},
        {"mode", gaussianWave, std::nullopt, ModePS, "Track 0 is not a cyclic voltammogram"},
    };
    for (const auto &c : cases) {
        Bench b;
        b.cv(c.current);
        (*b.store)[0].Mode = c.mode;
        PeakAnalysis peaks(*b.store, b.prompts);
        peaks.selectTrack(0);
        peaks.baseWindow = c.window;
        EXPECT_FALSE(peaks.Calculate()) << c.what;
        EXPECT_TRUE(peaks.report().isEmpty()) << c.what;
        ASSERT_EQ(b.prompts.messages.size(), 1) << c.what;
        EXPECT_TRUE(b.prompts.messages[0].startsWith(QLatin1String(c.message)))
            << c.what << ": " << b.prompts.messages[0].toStdString();
    }
}

// The example holds three cycles of the couple at 0.2 V: one block per sweep there and back,
// rows in order, CR LF line ends; E1/2 is the couple's formal potential.
TEST(PeakAnalysis, ReportListsEverySweep)
{
    Bench b;
    ASSERT_TRUE(loadTrackFile(*b.store, kExample).ok());
    PeakAnalysis peaks(*b.store, b.prompts);
    peaks.selectTrack(0);
    EXPECT_EQ(peaks.sweepCount(), 3);
    ASSERT_TRUE(peaks.Calculate()) << b.prompts.messages.join(QLatin1Char('|')).toStdString();
    const QStringList lines = peaks.report().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.first(), QStringLiteral("File\tcv-redox-couple.tvd"));
    EXPECT_EQ(lines.last(), QString());
    EXPECT_EQ(peaks.report().count(QLatin1Char('\n')),
              peaks.report().count(QStringLiteral("\r\n")));
    const QStringList rows{"Sweep",   "Base /V", "Epc /V",  "ipc /A",   "Epa /V",  "ipa /A",
                           "E1/2 /V", "dEp /V",  "ipa/ipc", "Epc/2 /V", "Epa/2 /V"};
    for (int k = 0; k < 3; ++k) {
        const qsizetype first = lines.indexOf(QStringLiteral("Sweep\t%1").arg(k + 1));
        ASSERT_GE(first, 0) << k;
        for (qsizetype r = 0; r < rows.size(); ++r)
            EXPECT_EQ(lines[first + r].section(QLatin1Char('\t'), 0, 0), rows[r]) << k;
        EXPECT_NEAR(lines[first + 6].section(QLatin1Char('\t'), 1).toDouble(), 0.2, 0.002);
    }
    const std::vector<SweepPeaks> &r = peaks.results();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_LT(r[0].cathodic().current, 0);
    EXPECT_GT(r[0].anodic().current, 0);

    int two = 2;
    peaks.selectSweep(two);
    ASSERT_TRUE(peaks.Calculate());
    EXPECT_TRUE(peaks.report().contains(QStringLiteral("Sweep\t2\r\n")));
    EXPECT_FALSE(peaks.report().contains(QStringLiteral("Sweep\t1\r\n")));
    int beyond = 9;
    peaks.selectSweep(beyond);
    EXPECT_EQ(beyond, 3);
}

TEST(PeakAnalysis, NonFinitePointsAreSkippedAndCounted)
{
    Bench b;
    ASSERT_TRUE(loadTrackFile(*b.store, kExample).ok());
    PeakAnalysis peaks(*b.store, b.prompts);
    peaks.selectTrack(0);
    int one = 1;
    peaks.selectSweep(one);
    ASSERT_TRUE(peaks.Calculate());
    const double clean = peaks.results().front().cathodic().potential;
    b.store->data(1, 0, 300) = std::numeric_limits<double>::quiet_NaN();
    b.store->data(0, 0, 900) = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(peaks.Calculate());
    EXPECT_TRUE(peaks.report().contains(
        QStringLiteral("2 points that are not finite numbers were skipped.\r\n")));
    EXPECT_FALSE(peaks.report().contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    EXPECT_NEAR(peaks.results().front().cathodic().potential, clean, 0.001);
}
