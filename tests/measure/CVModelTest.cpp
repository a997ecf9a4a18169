#include "measure/CVModel.h"
#include "MeasureRig.h"
#include "tracks/TrackFile.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

std::unique_ptr<CVModel> openCV(MeasureRig &r)
{
    auto m = std::make_unique<CVModel>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

} // namespace

TEST(CVMeasurement, RunLengthFromPotentialsRateAndCycles)
{
    EXPECT_EQ(CVModel::runLengthMs({0, 1, 0}, 50, 1), 40000u);
    EXPECT_EQ(CVModel::runLengthMs({0, 1, 0}, 50, 3), 120000u);
    EXPECT_EQ(CVModel::runLengthMs({-0.2, 0.8, 0.0}, 100, 2), 36000u);
    EXPECT_EQ(timerIntervalFor(3), 333);
    EXPECT_EQ(timerIntervalFor(0.1), 10000);
    EXPECT_EQ(timerIntervalFor(1000), 1);
    EXPECT_EQ(timerIntervalFor(400), 2); // 2.5 ms rounds to the even neighbour
}

TEST(CVMeasurement, AccumulationHasAnUpperBound)
{
    MeasureRig r;
    auto m = openCV(r);
    m->Accumlation(2147483647);
    EXPECT_EQ(m->acquisition().accum, MeasurementModel::kMaxAccumulation);
    EXPECT_EQ(m->setAccumulation(1e300), MeasurementModel::kMaxAccumulation);
    EXPECT_EQ(m->setAccumulation(200), 200); // the templates' counts stay as typed
}

TEST(CVMeasurement, PublicOperationsClampAndWriteBack)
{
    MeasureRig r;
    EXPECT_FALSE(r.monitor.isVisible());
    auto m = openCV(r);
    EXPECT_TRUE(r.monitor.isVisible()); // the voltage monitor shows once the boards are open
    QString set = QStringLiteral("7");
    m->SettingNum(set);
    EXPECT_EQ(set, "5");
    EXPECT_EQ(r.app->settings.CVNum, 5);
    std::int32_t track = 25;
    m->SelTrack(track);
    EXPECT_EQ(track, 20);
    QString rpm = QStringLiteral("-5");
    m->rpm(rpm);
    EXPECT_EQ(rpm, "0");
    double scale = 0;
    m->DiskScale(scale);
    EXPECT_EQ(scale, 1e-05);
    std::int32_t retain = -3;
    m->RetainTime(retain);
    EXPECT_EQ(retain, 0);
    double rate = -1;
    m->scanrate(rate);
    EXPECT_EQ(rate, 0.001);
    std::int32_t cycles = 0;
    m->Repeat(cycles);
    EXPECT_EQ(cycles, 1);
    m->SamplingRate(5000);
    EXPECT_EQ(m->acquisition().samplingRate, 1000);
    EXPECT_EQ(m->timerIntervalMs(), 1);
    m->SamplingRate(0);
    EXPECT_EQ(m->acquisition().samplingRate, 0.1);
    m->Accumlation(0);
    EXPECT_EQ(m->acquisition().accum, 1);
    m->stepSet(+1); // wraps from 5 to 0
    EXPECT_EQ(r.app->settings.CVNum, 0);
    // A hand-edited accumulation of 0 in the settings file is taken as 1, not divided by.
    r.app->settings.CV[1].CVAccum = 0;
    m->stepSet(+1);
    EXPECT_EQ(m->acquisition().accum, 1);
}

// A whole two-cycle run on the simulated rig with the function generator, driven by the fake
// clock: point count, the potential programme in the stored points, the header, the advanced
// target track, and a save-and-load round trip.
TEST(CVMeasurement, WholeSimulatedRunIsStoredAndSaved)
{
    MeasureRig r;
    auto m = openCV(r);
    m->SetVoltage(0.6, 1.2, -0.2);
    double rate = 50;
    m->scanrate(rate);
    std::int32_t cycles = 2;
    m->Repeat(cycles);
    m->SamplingRate(10);
    m->Accumlation(1);
    std::int32_t retain = 2;
    m->RetainTime(retain);
    std::int32_t track = 3;
    m->SelTrack(track);
    m->Title(QStringLiteral("Dummy cell"));
    QString rpm = QStringLiteral("0");
    m->rpm(rpm);

    m->StartMeasurement();
    EXPECT_TRUE(r.app->MeasurementRunning);
    r.ticks(*m, 15); // 1.5 s: still in the retain time
    EXPECT_FALSE(m->isRecording());
    r.runToEnd(*m);
    EXPECT_FALSE(r.app->MeasurementRunning);

    const std::uint32_t runLength = CVModel::runLengthMs({0.6, 1.2, -0.2}, 50, 2);
    EXPECT_EQ(runLength, 112000u);
    const TrackHeader &h = r.app->store[3];
    EXPECT_EQ(h.Mode, ModeCV);
    EXPECT_NEAR(h.pnum, 10.0 * runLength / 1000 + 1, 1.0);
    EXPECT_EQ(h.Title, "Dummy cell");
    EXPECT_EQ(h.Scanrate, 50);
    EXPECT_EQ(h.V1st, 0.6);
    EXPECT_EQ(h.V2nd, 1.2);
    EXPECT_EQ(h.V3rd, -0.2);
    EXPECT_EQ(h.MaxTime, runLength);
    EXPECT_EQ(h.DiskYscale, 0.001);
    EXPECT_EQ(h.RingYscale, 0);
    EXPECT_FALSE(h.MeasTime.isEmpty());
    EXPECT_EQ(m->targetTrack(), 4);
    EXPECT_EQ(r.shownTracks, QStringList{"3"});
    EXPECT_EQ(r.sound.played, QStringList{"done.wav"});

    // The stored potentials follow V1 -> V2 -> V3 -> V2 -> V3 -> V1 at 5 mV per point.
    const TrackData &d = r.app->store.data;
    auto at = [&](double seconds) { return d(0, 3, static_cast<int>(seconds * 10)); };
    EXPECT_NEAR(at(0), 0.6, 0.006);
    EXPECT_NEAR(at(12), 1.2, 0.006);
    EXPECT_NEAR(at(40), -0.2, 0.006);
    EXPECT_NEAR(at(68), 1.2, 0.006);
    EXPECT_NEAR(at(96), -0.2, 0.006);
    EXPECT_NEAR(at(112), 0.6, 0.006);
    double lo = 10, hi = -10;
    for (int i = 0; i < h.pnum; ++i) {
        lo = std::min(lo, d(0, 3, i));
        hi = std::max(hi, d(0, 3, i));
        EXPECT_GE(d(0, 3, i), h.Vxmin);
        EXPECT_LE(d(0, 3, i), h.Vxmax);
        EXPECT_GE(d(1, 3, i), h.Vymin);
        EXPECT_LE(d(1, 3, i), h.Vymax);
    }
    EXPECT_NEAR(lo, -0.2, 0.006);
    EXPECT_NEAR(hi, 1.2, 0.006);
    // The stored range is the extent of the initial range and the data, without margins piling
    // up as the current grows.
    EXPECT_DOUBLE_EQ(h.Vxmin, std::min(-0.2, lo));
    EXPECT_DOUBLE_EQ(h.Vxmax, std::max(1.2, hi));

    const QString path = r.dir.filePath("cv.tvd");
    ASSERT_TRUE(writeTrackFile(r.app->store, path, '.').ok);
    auto loaded = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*loaded, path).ok());
    EXPECT_EQ((*loaded)[3].pnum, h.pnum);
    EXPECT_NEAR(loaded->data(0, 3, 120), d(0, 3, 120), 0.00005);
}

TEST(CVMeasurement, OneRunAtATimeAndStopDuringRetainTime)
{
    MeasureRig r;
    auto first = openCV(r);
    auto second = openCV(r);
    first->StartMeasurement();
    second->StartMeasurement();
    EXPECT_EQ(r.prompts.messages, QStringList{"Please terminate other mesurement!"});
    EXPECT_EQ(second->state(), CVModel::Monitor);
    EXPECT_EQ(first->state(), CVModel::Measuring);

    r.ticks(*first, 3); // inside the retain time
    first->stop();
    r.ticks(*first, 1);
    EXPECT_EQ(first->state(), CVModel::Monitor);
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_TRUE(r.app->store.isVacant(0));
    EXPECT_EQ(first->targetTrack(), 0);
    EXPECT_TRUE(r.sound.played.isEmpty());
}

TEST(CVMeasurement, ClosingMidRunStoresWhatWasRecorded)
{
    MeasureRig r;
    auto m = openCV(r);
    m->SamplingRate(10);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.ticks(*m, 51);
    ASSERT_TRUE(m->isRecording());
    EXPECT_TRUE(r.rig->generator().running(1));
    m->closeWindow();
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_FALSE(r.rig->generator().running(1));
    EXPECT_EQ(r.app->store[0].Mode, ModeCV);
    EXPECT_EQ(r.app->store[0].pnum, 51); // retain time 0: the first tick already records
    EXPECT_FALSE(m->timerEnabled());
}

TEST(CVMeasurement, NoLiveDrawingAt25Hz)
{
    MeasureRig r;
    auto m = openCV(r);
    m->SamplingRate(25);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.ticks(*m, 3);
    ASSERT_TRUE(m->isRecording());
    const QImage before = r.result.image().copy();
    r.ticks(*m, 100);
    EXPECT_EQ(r.result.image(), before);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_NE(r.result.image(), before); // drawn when the run is stored
}

TEST(CVMeasurement, WithoutGeneratorRecordingStartsAtTheGridLine)
{
    MeasureRig r(0);
    r.rig->noiseVolts = 0;
    r.rig->potentiostat().externalInput = false;
    r.rig->potentiostat().setSweep(0.601, 0.7, 0.5, 50);
    auto m = openCV(r);
    m->SamplingRate(100);
    m->Accumlation(1);
    m->StartMeasurement();
    r.ticks(*m, 50); // holding at 0.601 V: inside the 2.5 mV step above 0.600
    EXPECT_FALSE(m->isRecording());
    r.rig->potentiostat().startSweep();
    r.ticks(*m, 1); // 10 ms at 50 mV/s: 0.5 mV, still inside the step
    EXPECT_FALSE(m->isRecording());
    r.ticks(*m, 20); // 10 mV further: the 0.6025 V grid line is crossed
    EXPECT_TRUE(m->isRecording());
    m->stop();
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
}

// On a real clock time moves while a tick reads the boards, so the start of recording is read a
// little after the tick's own time; the run must not take that for a run length long past.
TEST(CVMeasurement, ClockMovingDuringTheTickDoesNotEndTheRun)
{
    MeasureRig r;
    auto m = openCV(r);
    m->SamplingRate(10);
    m->Accumlation(1);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.clock.setAdvanceOnRead(1);
    r.ticks(*m, 30);
    r.clock.setAdvanceOnRead(0);
    EXPECT_EQ(m->state(), CVModel::Measuring);
    EXPECT_GE(m->pointCount(), 29);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_GE(r.app->store[0].pnum, 29);
}

// Start on a window that is not loaded (never shown, or closed by CV.END) loads it first, so the
// run ticks and ends; a board that cannot be opened refuses the start and leaves the flag clear.
TEST(CVMeasurement, StartLoadsAWindowThatIsNotOpen)
{
    MeasureRig r;
    for (bool closedFirst : {false, true}) {
        CVModel m(*r.context);
        m.setTimerDriven(false);
        if (closedFirst) {
            ASSERT_TRUE(m.open());
            std::int32_t track = 6;
            m.SelTrack(track);
            m.closeWindow(); // CV.END
        }
        ASSERT_FALSE(m.isOpen());
        m.setMethod(1);
        m.StartMeasurement();
        EXPECT_TRUE(m.isOpen());
        EXPECT_TRUE(m.timerEnabled());
        EXPECT_EQ(m.targetTrack(), 0); // loading resets the target track
        EXPECT_TRUE(r.app->MeasurementRunning);
        r.ticks(m, 3);
        m.stop();
        r.runToEnd(m, 10);
        EXPECT_FALSE(r.app->MeasurementRunning);
    }

    MeasureRig broken;
    broken.app->settings.ADBoard = 1;
    broken.rig->aio().deviceName = QStringLiteral("AIO09");
    CVModel m(*broken.context);
    m.setTimerDriven(false);
    m.StartMeasurement();
    EXPECT_EQ(broken.prompts.messages, QStringList{QStringLiteral("AD Board Trouble!")});
    EXPECT_FALSE(broken.app->MeasurementRunning);
    EXPECT_EQ(m.state(), CVModel::Monitor);
    EXPECT_FALSE(m.isOpen());
    // Any other public operation loads the window too.
    std::int32_t track = 3;
    m.SelTrack(track);
    EXPECT_EQ(broken.prompts.messages.size(), 2);
}

TEST(CVMeasurement, RunUsesTheValuesCopiedAtStart)
{
    MeasureRig r;
    r.useCard(false);
    auto m = openCV(r);
    m->setMethod(1);
    m->SamplingRate(10);
    m->Accumlation(4);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.ticks(*m, 20);
    // Edits during the run change neither the sampling nor the scale of the points.
    m->SamplingRate(1000);
    m->Accumlation(40);
    double scale = 1000;
    m->DiskScale(scale);
    EXPECT_EQ(m->timerIntervalMs(), 100);
    r.dask->reads.fill(0);
    r.ticks(*m, 1);
    EXPECT_EQ(r.dask->reads[1], 4);
    r.ticks(*m, 5);
    m->stop();
    r.runToEnd(*m, 10);
    const TrackHeader &h = r.app->store[0];
    ASSERT_EQ(h.Mode, ModeCV);
    EXPECT_EQ(h.DiskYscale, 1e-3);
    for (int i = 0; i < h.pnum; ++i)
        ASSERT_LT(std::fabs(r.app->store.data(1, 0, i)), 0.01) << i;
}

TEST(CVMeasurement, PortBoardThatStopsAnsweringEndsAndStoresTheRun)
{
    MeasureRig r;
    ASSERT_EQ(r.app->settings.ADBoard, 0); // the I/O-port board
    r.useFaults();
    auto m = openCV(r);
    m->setMethod(1);
    m->SamplingRate(10);
    m->Accumlation(1);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.ticks(*m, 10);
    const int recorded = m->pointCount();
    ASSERT_GT(recorded, 5);
    r.faults->port.neverReady = true;
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(m->state(), CVModel::Monitor);
    EXPECT_FALSE(m->isOpen());
    EXPECT_EQ(r.prompts.messages, QStringList{QStringLiteral("AD Board Trouble!")});
    EXPECT_EQ(r.app->store[0].Mode, ModeCV);
    EXPECT_EQ(r.app->store[0].pnum, recorded);
}

// The rotator turns at what its calibration (100 to 2250 rpm) allows, with the motor switched off
// below it; a window without rate feedback stores that rate and says why it differs.
TEST(CVMeasurement, StoredRotationRateIsTheRateTheRotatorWasSetTo)
{
    const struct {
        const char *asked;
        double stored;
        bool notice;
    } cases[] = {{"2500", 2250, true}, {"50", 0, true}, {"1000", 1000, false}, {"0", 0, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.asked);
        MeasureRig r;
        r.useCard();
        auto m = openCV(r);
        QString rpm = QString::fromLatin1(c.asked);
        m->rpm(rpm);
        m->SamplingRate(10);
        m->Accumlation(1);
        std::int32_t retain = 0;
        m->RetainTime(retain);
        m->StartMeasurement();
        EXPECT_EQ(m->noticeText().contains(QString::fromLatin1(c.asked)), c.notice)
            << m->noticeText().toStdString();
        r.ticks(*m, 5);
        m->stop();
        r.ticks(*m, 1);
        EXPECT_EQ(r.app->store[0].RPM, c.stored);
    }
}
