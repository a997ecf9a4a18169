#include "measure/RDEModel.h"
#include "MeasureRig.h"
#include "devices/sim/SimRotator.h"
#include "devices/sim/cells/OxygenReductionCell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace tervo;

namespace {

std::unique_ptr<RDEModel> openRDE(MeasureRig &r)
{
    auto m = std::make_unique<RDEModel>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

// Levich current per electron (A) of the oxygen at a disk turning at rpm.
double levichPerElectron(const sim::CellParameters &p, double rpm)
{
    const double omega = rpm * 2 * M_PI / 60;
    return 0.620 * sim::kFaraday * p.area * std::pow(p.diffusion, 2.0 / 3) * std::sqrt(omega) *
           std::pow(p.viscosity, -1.0 / 6) * p.concentration * 1e-6;
}

} // namespace

TEST(RDEMeasurement, RunLengthHasNoReturnLegForSeveralCycles)
{
    EXPECT_EQ(RDEModel::runLengthMs({0, 1, 0}, 10, 1), 200000u);
    EXPECT_EQ(RDEModel::runLengthMs({0, 1, 0}, 10, 2), 400000u);
    // With a first potential apart from the third the difference shows: one cycle returns to
    // V1 (0.2 + 1 + 0.8), three cycles stop at V3 (0.2 + 1 + 1 * 4).
    EXPECT_EQ(RDEModel::runLengthMs({0.2, 0, 1}, 100, 1), 20000u);
    EXPECT_EQ(RDEModel::runLengthMs({0.2, 0, 1}, 100, 3), 52000u);
}

TEST(RDEMeasurement, RotationRateCorrection)
{
    EXPECT_EQ(RDEModel::rpmCorrection(1585, 1600), 0.0005);
    EXPECT_EQ(RDEModel::rpmCorrection(1605, 1600), 0.0);
    EXPECT_EQ(RDEModel::rpmCorrection(1611, 1600), -0.0005);
    EXPECT_EQ(RDEModel::rpmCorrection(1590, 1600), 0.0); // the band's edges are inside it
    EXPECT_EQ(RDEModel::rpmCorrection(80, 1600), 0.0);
    EXPECT_EQ(RDEModel::rpmCorrection(100, 1600), 0.0);
}

TEST(RDEMeasurement, PublicOperationsClampAndOpeningMessage)
{
    MeasureRig r;
    auto m = openRDE(r);
    double disk = 0, ring = -1;
    m->DiskScale(disk);
    m->RingScale(ring);
    EXPECT_EQ(disk, 1e-05);
    EXPECT_EQ(ring, 1e-05);
    EXPECT_EQ(m->fields().ringYScale, 1e-05);
    std::int32_t cycles = -2, retain = -1;
    m->Repeat(cycles);
    m->RetainTime(retain);
    EXPECT_EQ(cycles, 1);
    EXPECT_EQ(retain, 0);
    double rate = -5;
    m->scanrate(rate);
    EXPECT_EQ(rate, 0.001);
    m->SamplingRate(0);
    EXPECT_EQ(m->acquisition().samplingRate, 0.1);
    EXPECT_EQ(m->timerIntervalMs(), 10000);
    m->SamplingRate(5000); // no upper limit here
    EXPECT_EQ(m->acquisition().samplingRate, 5000);
    m->Accumlation(0);
    EXPECT_EQ(m->acquisition().accum, 1);
    m->setRpmScale(0.5);
    EXPECT_EQ(m->fields().rpmScale, 1);

    MeasureRig broken;
    broken.app->settings.ADBoard = 1;
    broken.rig->aio().deviceName = QStringLiteral("AIO09");
    RDEModel refused(*broken.context);
    refused.setTimerDriven(false);
    EXPECT_FALSE(refused.open());
    EXPECT_EQ(broken.prompts.messages, QStringList{QStringLiteral("AD Board不良です")});
}

// Oxygen reduction at a ring-disk electrode turning at 1600 rpm, swept by the function
// generator: the stored disk plateau is the cell's Levich current, the ring column N times the
// peroxide current the disk makes.
TEST(RDEMeasurement, WholeRunAt1600RpmGivesLevichPlateauAndRingCollection)
{
    MeasureRig r;
    r.useCard();
    r.rig->potentiostat().ringGain = 1e-4;
    sim::CellParameters p = sim::defaultCellParameters(sim::kOxygenReductionModel);
    p.resistance = 0;
    p.doubleLayer = 0;
    p.noise = 0;
    sim::OxygenReductionCell cell(p);
    r.rig->setCell(0, &cell);

    auto m = openRDE(r);
    m->SetVoltage(1.05, 0.05, 1.05);
    double rate = 50, ring = 1e-4, disk = 1e-3;
    m->scanrate(rate);
    m->RingScale(ring);
    m->DiskScale(disk);
    std::int32_t cycles = 1, retain = 5, track = 4;
    m->Repeat(cycles);
    m->RetainTime(retain);
    m->SelTrack(track);
    m->SamplingRate(10);
    m->Accumlation(4);
    QString rpm = QStringLiteral("1600");
    m->rpm(rpm);
    m->Title(QStringLiteral("ORR 1600"));

    m->StartMeasurement();
    r.runToEnd(*m);
    ASSERT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.sound.played, QStringList{"done.wav"});
    EXPECT_FALSE(r.rig->relays() & 1); // the rotator is switched off at the end

    const TrackHeader &h = r.app->store[4];
    EXPECT_EQ(h.Mode, ModeRDE);
    EXPECT_EQ(h.Title, "ORR 1600");
    EXPECT_EQ(h.RPM, 1600);
    EXPECT_EQ(h.MaxTime, 40000);
    EXPECT_NEAR(h.pnum, 401, 2);
    EXPECT_EQ(h.DiskYscale, 1e-3);
    EXPECT_EQ(h.RingYscale, 1e-4);
    EXPECT_EQ(h.V1st, 1.05);
    EXPECT_EQ(h.Scanrate, 50);
    EXPECT_EQ(m->targetTrack(), 5);

    const TrackData &d = r.app->store.data;
    double stored = 0, expected = 0, ringStored = 0, ringExpected = 0;
    int plateau = 0, collected = 0;
    const double perElectron = levichPerElectron(p, 1600);
    for (int i = 0; i < h.pnum; ++i) {
        const double e = d(0, 4, i), id = d(1, 4, i), ir = d(2, 4, i);
        const double share = cell.peroxideShareAt(e);
        if (e >= 0.1 && e <= 0.3) {
            stored += id;
            expected += -perElectron * (4 - 2 * share);
            ++plateau;
        }
        if (e < 0.7) {
            ringStored += ir;
            ringExpected += p.collectionEfficiency * std::fabs(id) * 2 * share / (4 - 2 * share);
            ++collected;
        }
    }
    ASSERT_GT(plateau, 60);
    EXPECT_NEAR(stored / expected, 1.0, 0.02);
    ASSERT_GT(collected, 200);
    EXPECT_GT(ringStored, 0);
    EXPECT_NEAR(ringStored / ringExpected, 1.0, 0.02);

    // Each live trace's range grew from its initial one to take in every point of its column.
    PlotRange diskRange{0.05, -0.01 * 1e-3, 1.05, 0.01 * 1e-3};
    PlotRange ringRange{0.05, -0.01 * 1e-4, 1.05, 0.01 * 1e-4};
    for (int i = 0; i < h.pnum; ++i) {
        for (auto [range, c] : {std::pair{&diskRange, 1}, std::pair{&ringRange, 2}}) {
            *range = {std::min(range->xmin, d(0, 4, i)), std::min(range->ymin, d(c, 4, i)),
                      std::max(range->xmax, d(0, 4, i)), std::max(range->ymax, d(c, 4, i))};
        }
    }
    EXPECT_EQ(h.Vymin, diskRange.ymin);
    EXPECT_EQ(h.Vxmax, diskRange.xmax);
    EXPECT_EQ(m->ringRange().ymin, ringRange.ymin);
    EXPECT_EQ(m->ringRange().ymax, ringRange.ymax);
    EXPECT_EQ(m->ringRange().xmin, ringRange.xmin);
}

TEST(RDEMeasurement, RotationRateFeedbackOnlyWhileRecordingAboveHundredRpm)
{
    MeasureRig r;
    r.useCard();
    auto m = openRDE(r);
    QString rpm = QStringLiteral("1600");
    m->rpm(rpm);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->setMethod(1);
    m->Accumlation(1);
    m->SamplingRate(1000);
    m->StartMeasurement();
    const double commanded = r.instruments->RotatorVoltage;
    ASSERT_GT(commanded, 1);
    r.ticks(*m, 1); // 1 ms after Start the rotator turns at a few rpm: no correction
    ASSERT_TRUE(m->isRecording());
    EXPECT_LT(m->measuredRpm(), 100);
    EXPECT_EQ(r.instruments->RotatorVoltage, commanded);

    m->SamplingRate(10);
    r.app->settings.RDESamplingRate = 10;
    r.ticks(*m, 1); // about 100 ms: spinning up, far below 1590
    EXPECT_GT(m->measuredRpm(), 100);
    EXPECT_LT(m->measuredRpm(), 1590);
    EXPECT_NEAR(r.instruments->RotatorVoltage, commanded + 0.0005, 1e-12);
    EXPECT_NEAR(r.rig->analogOut(0), commanded + 0.0005, 1e-12);

    r.ticks(*m, 100); // settles near 1600 with the corrections
    EXPECT_NEAR(m->measuredRpm(), 1600, 12);
    r.app->settings.RPMScale = 1030; // the monitor now reads about 1650
    const double before = r.instruments->RotatorVoltage;
    r.ticks(*m, 1);
    EXPECT_NEAR(r.instruments->RotatorVoltage, before - 0.0005, 1e-12);

    // Without an output board nothing is corrected.
    r.app->settings.DABoard = 0;
    const double held = r.instruments->RotatorVoltage;
    r.ticks(*m, 5);
    EXPECT_EQ(r.instruments->RotatorVoltage, held);
    m->stop();
    r.ticks(*m, 1);
}

TEST(RDEMeasurement, NoFeedbackDuringRetainTime)
{
    MeasureRig r;
    r.useCard();
    auto m = openRDE(r);
    QString rpm = QStringLiteral("1600");
    m->rpm(rpm);
    std::int32_t retain = 3;
    m->RetainTime(retain);
    m->SamplingRate(10);
    m->Accumlation(1);
    m->StartMeasurement();
    const double commanded = r.instruments->RotatorVoltage;
    r.ticks(*m, 20);
    EXPECT_FALSE(m->isRecording());
    EXPECT_GT(m->measuredRpm(), 1000);
    EXPECT_EQ(r.instruments->RotatorVoltage, commanded);
    m->closeWindow();
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_TRUE(r.app->store.isVacant(0));
}

TEST(RDEMeasurement, RemainingTimeKeepsLastNonZeroValueAndMonitorsResetAtTheEnd)
{
    MeasureRig r;
    auto m = openRDE(r);
    m->SamplingRate(10);
    m->Accumlation(1);
    r.ticks(*m, 5); // monitor readings
    EXPECT_EQ(m->diskMonitor().index(), 5);
    EXPECT_NE(m->diskMonitor().at(0, 0)[0], MonitorPlot::kEmpty);
    EXPECT_TRUE(m->rpmText().endsWith("RPM"));

    m->SetVoltage(0, 0.01, 0); // 20 mV at 10 mV/s: 2000 ms
    double rate = 10;
    m->scanrate(rate);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    EXPECT_EQ(m->runLength(), 2000u);
    QStringList shown;
    while (m->state() == RDEModel::Measuring) {
        r.ticks(*m, 1);
        if (m->state() == RDEModel::Measuring && m->isRecording())
            shown << m->remainingText();
    }
    ASSERT_GE(shown.size(), 20);
    EXPECT_EQ(shown.first(), "2s remain");
    EXPECT_FALSE(shown.contains("0s remain"));
    EXPECT_EQ(shown.last(), "1s remain");
    EXPECT_EQ(r.app->store[0].Mode, ModeRDE);
    // Both monitor rings are empty again.
    EXPECT_EQ(m->diskMonitor().index(), 0);
    EXPECT_EQ(m->ringMonitor().index(), 0);
    EXPECT_EQ(m->diskMonitor().at(0, 0)[0], MonitorPlot::kEmpty);
    EXPECT_EQ(m->diskMonitor().at(0, 3)[0], MonitorPlot::kEmpty);
    EXPECT_EQ(r.monitor.title(), "Disk Voltage Monitor");
    EXPECT_EQ(r.result.title(), "Ring Voltage Monitor");
}

TEST(RDEMeasurement, LiveDrawingOnlyBelowFiftyHertz)
{
    for (double hz : {20.0, 50.0}) {
        MeasureRig r;
        auto m = openRDE(r);
        m->SamplingRate(hz);
        m->Accumlation(1);
        std::int32_t retain = 0;
        m->RetainTime(retain);
        m->setMethod(1);
        m->StartMeasurement();
        EXPECT_EQ(r.monitor.title(), "Disk Voltammogram");
        EXPECT_EQ(r.result.title(), "Ring Voltammogram(x axis = Disk Voltage)");
        r.ticks(*m, 3);
        const QImage disk = r.monitor.image().copy();
        const QImage ring = r.result.image().copy();
        r.ticks(*m, 200);
        EXPECT_EQ(r.monitor.image() != disk, hz < 50) << hz;
        EXPECT_EQ(r.result.image() != ring, hz < 50) << hz;
        m->stop();
        r.ticks(*m, 1);
        EXPECT_EQ(r.app->store[0].pnum, 203) << hz;
        EXPECT_EQ(r.app->store[0].MaxTime, m->runLength());
    }
}

TEST(RDEMeasurement, WithoutGeneratorRecordingStartsAtTheTwoMillivoltGridLine)
{
    MeasureRig r(0);
    r.rig->noiseVolts = 0;
    r.rig->potentiostat().externalInput = false;
    r.rig->potentiostat().setSweep(0.6005, 0.7, 0.5, 50);
    auto m = openRDE(r);
    m->SamplingRate(100);
    m->Accumlation(1);
    m->setMethod(1);
    m->StartMeasurement();
    r.ticks(*m, 50); // holding at 0.6005 V: inside the 2 mV step above 0.600
    EXPECT_FALSE(m->isRecording());
    r.rig->potentiostat().startSweep();
    r.ticks(*m, 2); // 1 mV further: still inside the step
    EXPECT_FALSE(m->isRecording());
    r.ticks(*m, 2); // past 0.602 V
    EXPECT_TRUE(m->isRecording());
    m->stop();
    r.ticks(*m, 1);
    EXPECT_EQ(r.app->store[0].Mode, ModeRDE);
}

namespace {

// A short ring-disk run at a rate asked in the field, with the rotator on the card; returns the
// model after the run.
std::unique_ptr<RDEModel> runAt(MeasureRig &r, const QString &asked)
{
    auto m = openRDE(r);
    QString rpm = asked;
    m->rpm(rpm);
    m->SetVoltage(0, 0.1, 0); // 200 mV at 20 mV/s: 10 s
    double rate = 20;
    m->scanrate(rate);
    std::int32_t retain = 3;
    m->RetainTime(retain);
    m->SamplingRate(10);
    m->Accumlation(1);
    m->StartMeasurement();
    r.runToEnd(*m);
    return m;
}

} // namespace

// The calibration ends at 2250 rpm: a run asked for 2500 turns at 2250, holds it with the
// feedback rather than chasing 2500, says so, and its track carries 2250.
TEST(RDEMeasurement, RateBeyondTheCalibrationIsClampedSaidAndStored)
{
    MeasureRig r;
    r.useCard();
    ASSERT_EQ(r.app->RpmTable.back().rpm, 2250);
    auto m = runAt(r, QStringLiteral("2500"));
    EXPECT_NEAR(m->measuredRpm(), 2250, 15);
    EXPECT_EQ(r.app->store[0].RPM, 2250);
    EXPECT_TRUE(m->noticeText().contains("2500")) << m->noticeText().toStdString();
    EXPECT_TRUE(m->noticeText().contains("2250"));
    EXPECT_TRUE(r.prompts.messages.isEmpty()); // the run is not held up by a message box
}

// A calibration that claims more than the rotator can turn: the feedback cannot reach the rate,
// and the track stores the mean rate the electrode turned at while recording.
TEST(RDEMeasurement, RateTheRotatorCannotReachStoresTheMeasuredMean)
{
    MeasureRig r;
    r.useCard();
    r.app->RpmTable.push_back({3000, 5.0});
    auto m = runAt(r, QStringLiteral("2800"));
    const double stored = r.app->store[0].RPM;
    EXPECT_LT(stored, sim::SimRotator::settledRpm(5.0) + 10);
    EXPECT_GT(stored, sim::SimRotator::settledRpm(4.9));
    EXPECT_EQ(stored, std::round(stored));
    EXPECT_TRUE(m->noticeText().contains(QString::number(stored))) << m->noticeText().toStdString();
    EXPECT_TRUE(m->noticeText().contains("2800"));

    // A rate the rotator holds is stored as asked.
    m = runAt(r, QStringLiteral("1600"));
    EXPECT_EQ(r.app->store[0].RPM, 1600);
    EXPECT_TRUE(m->noticeText().isEmpty());
}
