// The peak analysis and the iR correction on voltammograms recorded from the simulated redox
// couple: what they read must be what the couple is made of.
#include "analysis/PeakAnalysis.h"
#include "analysis/ScanRateStudy.h"
#include "devices/sim/cells/RedoxCoupleCell.h"
#include "measure/CVModel.h"
#include "measure/MeasureRig.h"
#include "processing/IRCorrection.h"
#include "support/TestDoubles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

constexpr double kScanRates[] = {20, 50, 100, 200}; // mV/s

// Brings the solution at the electrode back to the bulk, as between runs in the lab: the
// electrode turns for a while at the resting potential, then stops and the solution settles.
void renewSolution(MeasureRig &r)
{
    sim::SimRotator &rotor = r.rig->rotator();
    rotor.setPowered(true);
    rotor.setVoltage(sim::SimRotator::voltsFor(2000));
    for (int k = 0; k < 100; ++k) {
        r.clock.advance(100);
        r.rig->sync();
    }
    rotor.setVoltage(0);
    rotor.setPowered(false);
    for (int k = 0; k < 100; ++k) {
        r.clock.advance(100);
        r.rig->sync();
    }
}

// One cycle from 0.6 V to -0.2 V and back, sampled every 1 mV, into the next track.
void recordCV(MeasureRig &r, CVModel &m, double rate)
{
    renewSolution(r);
    m.SetVoltage(0.6, -0.2, 0.6);
    double scanRate = rate, scale = 1e-4;
    m.scanrate(scanRate);
    m.DiskScale(scale);
    std::int32_t cycles = 1, retain = 2;
    m.Repeat(cycles);
    m.RetainTime(retain);
    m.SamplingRate(rate);
    m.Accumlation(1);
    m.StartMeasurement();
    r.runToEnd(m);
}

// One cell per recording: the couple with the given Ru, its runs in tracks 0, 1, ...
struct CoupleRecording {
    MeasureRig rig;
    sim::CellParameters p;
    std::unique_ptr<sim::RedoxCoupleCell> cell;
    CoupleRecording(double resistance, std::initializer_list<double> rates, double k0 = 1)
    {
        rig.useCard();
        rig.rig->noiseVolts = 0;
        rig.rig->potentiostat().currentGain = 1e-4;
        p = sim::defaultCellParameters(sim::kRedoxCoupleModel);
        p.resistance = resistance;
        p.rateConstant = k0;
        cell = std::make_unique<sim::RedoxCoupleCell>(p);
        rig.rig->setCell(0, cell.get());
        // Until the generator holds a programme the potentiostat's own setting applies: the
        // potential the runs start from, where the couple does not react.
        rig.rig->potentiostat().setSweep(0.6, 0.6, 0.6, 50);
        CVModel m(*rig.context);
        m.setTimerDriven(false);
        EXPECT_TRUE(m.open());
        for (double rate : rates)
            recordCV(rig, m, rate);
    }
};

CoupleRecording &reversible()
{
    static auto *recording =
        new CoupleRecording(5, {kScanRates[0], kScanRates[1], kScanRates[2], kScanRates[3]});
    return *recording;
}

SweepPeaks firstSweep(TrackStore &store, int track)
{
    ScriptedPrompts prompts;
    PeakAnalysis peaks(store, prompts);
    peaks.selectTrack(track);
    int k = 1;
    peaks.selectSweep(k);
    EXPECT_TRUE(peaks.Calculate()) << prompts.messages.join(QLatin1Char('|')).toStdString();
    return peaks.results().empty() ? SweepPeaks{} : peaks.results().front();
}

} // namespace

// Reversible: dEp = 59/n mV, ipa/ipc = 1 and ipc by Randles-Sevcik at every rate.
TEST(PeakValidation, ReversibleCoupleAtFourScanRates)
{
    CoupleRecording &c = reversible();
    const sim::CellParameters &p = c.p;
    const double f = sim::kFaraday / (sim::kGasConstant * (273.15 + p.temperature));
    for (int t = 0; t < 4; ++t) {
        const SweepPeaks s = firstSweep(c.rig.app->store, t);
        ASSERT_TRUE(s.complete()) << "track " << t << ": " << s.problem.toStdString();
        const double v = kScanRates[t] / 1000;
        const double dEp = s.anodic().potential - s.cathodic().potential;
        const double ratio = -s.anodic().current / s.cathodic().current;
        const double randlesSevcik = 0.4463 * p.electrons * sim::kFaraday * p.area *
                                     p.concentration * 1e-6 *
                                     std::sqrt(p.electrons * f * v * p.diffusion);
        std::printf("%g mV/s: dEp %.2f mV, ipa/ipc %.4f, ipc %.4g A (Randles-Sevcik %.4g A)\n",
                    kScanRates[t], dEp * 1000, ratio, s.cathodic().current, randlesSevcik);
        EXPECT_NEAR(dEp, 0.059 / p.electrons, 0.002) << kScanRates[t] << " mV/s";
        EXPECT_NEAR(ratio, 1, 0.03) << kScanRates[t] << " mV/s";
        EXPECT_NEAR(-s.cathodic().current / randlesSevcik, 1, 0.015) << kScanRates[t] << " mV/s";
        EXPECT_NEAR((s.anodic().potential + s.cathodic().potential) / 2, p.formalPotential, 0.002);
    }
}

// The ohmic drop through 200 ohm widens the peak separation; E - i Ru takes it out again. What
// stays is the drop's true effect on the wave (the interface sweeps slower while the current
// rises), about a third of the drop at the peak on each peak: a few mV at 20 mV/s.
TEST(PeakValidation, IRCorrectionTakesOutTheOhmicDrop)
{
    static auto *ohmic = new CoupleRecording(200, {20});
    static auto *bare = new CoupleRecording(0, {20});
    TrackStore &store = ohmic->rig.app->store;
    ASSERT_TRUE(correctOhmicDrop(store, 0, 5, 200));
    const SweepPeaks raw = firstSweep(store, 0);
    const SweepPeaks corrected = firstSweep(store, 5);
    const SweepPeaks reference = firstSweep(bare->rig.app->store, 0);
    ASSERT_TRUE(raw.complete() && corrected.complete() && reference.complete());
    const auto dEp = [](const SweepPeaks &s) {
        return s.anodic().potential - s.cathodic().potential;
    };
    std::printf("Ru 200 ohm: dEp %.2f mV, corrected %.2f mV, Ru 0: %.2f mV\n", dEp(raw) * 1000,
                dEp(corrected) * 1000, dEp(reference) * 1000);
    EXPECT_GT(dEp(raw) - dEp(reference), 0.010);
    EXPECT_NEAR(dEp(corrected), dEp(reference), 0.005);
}

// The study over the four rates gives the couple's D from Randles-Sevcik, and the slope of a
// diffusing couple on the log-log plot.
TEST(PeakValidation, ScanRateStudyGivesTheDiffusionCoefficient)
{
    CoupleRecording &c = reversible();
    ScriptedPrompts prompts;
    ScanRateStudy study(c.rig.app->store, prompts);
    study.tracks = {0, 1, 2, 3};
    study.takeHeaderValues();
    study.solve = ScanRateStudy::Diffusion;
    ASSERT_TRUE(study.Calculate()) << prompts.messages.join(QLatin1Char('|')).toStdString();
    std::printf("Scan-rate study: D %.4g (cell %.4g)\n", study.diffusion, c.p.diffusion);
    EXPECT_NEAR(study.diffusion / c.p.diffusion, 1, 0.03);
    EXPECT_TRUE(study.report().contains(QStringLiteral("\r\n*D /cm2s-1\t")));
    const qsizetype at = study.report().indexOf(QStringLiteral("dlog ip/dlog v\t"));
    EXPECT_NEAR(study.report().mid(at + 15, 5).toDouble(), 0.5, 0.01);
}

// A quasi-reversible couple: the peak separation grows with the rate, and Nicholson's psi gives
// the couple's k0.
TEST(PeakValidation, NicholsonPsiGivesTheRateConstant)
{
    constexpr double k0 = 0.005;
    static auto *slow =
        new CoupleRecording(5, {kScanRates[0], kScanRates[1], kScanRates[2], kScanRates[3]}, k0);
    ScriptedPrompts prompts;
    ScanRateStudy study(slow->rig.app->store, prompts);
    study.tracks = {0, 1, 2, 3};
    study.takeHeaderValues();
    study.diffusion = slow->p.diffusion;
    study.solve = ScanRateStudy::Concentration;
    ASSERT_TRUE(study.Calculate()) << prompts.messages.join(QLatin1Char('|')).toStdString();
    for (const ScanRatePoint &p : study.points()) {
        std::printf("%g V/s: dEp %.1f mV, psi %.3f, k0 %.4g cm/s\n", p.rate, p.separation * 1000,
                    p.psi, p.k0);
        ASSERT_TRUE(std::isfinite(p.k0)) << p.rate;
        EXPECT_NEAR(p.k0 / k0, 1, 0.2) << p.rate << " V/s";
    }
}
