#include "measure/RPMvsjModel.h"
#include "MeasureRig.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

std::unique_ptr<RPMvsjModel> openRPj(MeasureRig &r)
{
    auto m = std::make_unique<RPMvsjModel>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

// A ramp of 200 -> 1200 rpm at 100 rpm/s after a 2 s hold, sampled at 10 Hz.
void setUpRamp(RPMvsjModel &m)
{
    m.AppliedMeasuremode(RPMvsjModel::ProgrammedRamp);
    m.SetRPMParameters(200, 1200, 100);
    std::int32_t retain = 2;
    m.RetainTime(retain);
    m.SamplingRate(10);
    m.Accumlation(1);
    m.Potential(-0.1);
}

} // namespace

TEST(RPMvsjMeasurement, CommandedRateAndRampDuration)
{
    EXPECT_EQ(RPMvsjModel::commandedRate(100, 200, 2.5), 450);
    EXPECT_EQ(RPMvsjModel::commandedRate(100, 200, 48), 5000);
    EXPECT_EQ(RPMvsjModel::commandedRate(100, 200, 48.01), 0); // above 5000
    EXPECT_EQ(RPMvsjModel::commandedRate(-100, 200, 3), 0);    // negative
    EXPECT_EQ(RPMvsjModel::rampDurationMs(200, 1200, 100), 10000u);
    EXPECT_EQ(RPMvsjModel::rampDurationMs(200, 1200, 0), 0u);
    EXPECT_EQ(RPMvsjModel::rampDurationMs(1200, 200, 100), 0u); // never gets there
}

TEST(RPMvsjMeasurement, PublicOperationsCheckLikeTheFields)
{
    MeasureRig r;
    auto m = openRPj(r);
    m->AppliedMeasuremode(5);
    EXPECT_EQ(m->fields().method, RPMvsjModel::ProgrammedRamp);
    m->SetRPMParameters(-5, 1200, 0);
    EXPECT_EQ(m->fields().startRpm, 0);
    EXPECT_EQ(m->fields().speed, 12); // (1200 - 0) / 100
    m->DiskScale(0);
    EXPECT_EQ(m->fields().yScale, 1e-5);
    m->SamplingRate(5000);
    EXPECT_EQ(m->acquisition().samplingRate, 1000);
    m->SamplingRate(-1);
    EXPECT_EQ(m->acquisition().samplingRate, 0.1);
    std::int32_t retain = -4;
    m->RetainTime(retain);
    EXPECT_EQ(retain, 0);
    m->Accumlation(0);
    EXPECT_EQ(m->acquisition().accum, 1);
    m->Potential(0.25);
    EXPECT_EQ(m->fields().v, 0.25);
}

// The programmed ramp, with and without the function generator: the rotator is commanded
// start + speed * t from the end of the hold and the run ends when the commanded rate reaches
// the end rate.
TEST(RPMvsjMeasurement, ProgrammedRampCommandsTheRotatorAndEndsAtTheEndRate)
{
    for (int gpib : {2, 0}) {
        MeasureRig r(gpib);
        r.useCard();
        auto m = openRPj(r);
        setUpRamp(*m);
        m->setRecordTime(true);
        m->StartMeasurement();
        EXPECT_EQ(m->runLength(), 10000u);
        EXPECT_EQ(r.rig->generator().running(1), gpib > 0);
        r.ticks(*m, 20); // the 2 s hold
        EXPECT_FALSE(m->isRecording());
        std::vector<double> commanded;
        while (m->state() == RPMvsjModel::Measuring) {
            r.ticks(*m, 1);
            if (m->isRecording() || m->state() == RPMvsjModel::Monitor)
                commanded.push_back(m->lastCommandedRate());
        }
        const TrackHeader &h = r.app->store[0];
        ASSERT_EQ(h.Mode, ModeRPMvsJ) << gpib;
        EXPECT_EQ(h.pnum, 101) << gpib;
        EXPECT_EQ(h.TimeRecording, 1);
        EXPECT_EQ(h.V1st, -0.1);
        EXPECT_EQ(h.MaxTime, 10000);
        ASSERT_GE(commanded.size(), 101u);
        for (int k = 0; k <= 100; ++k)
            EXPECT_EQ(commanded[static_cast<std::size_t>(k)], 200 + k * 10) << k;
        const TrackData &d = r.app->store.data;
        EXPECT_EQ(d(2, 0, 0), 0.0);
        EXPECT_EQ(d(2, 0, 100), 10000.0);
        // The measured rate follows the ramp with the rotator's lag.
        EXPECT_GT(d(0, 0, 100) - d(0, 0, 0), 800) << gpib;
        // The window's own stop sequence leaves the generator alone and the target track.
        EXPECT_EQ(r.rig->generator().running(1), gpib > 0);
        EXPECT_EQ(m->targetTrack(), 0);
        EXPECT_FALSE(r.rig->relays() & 1);
    }
}

TEST(RPMvsjMeasurement, CommandAboveFiveThousandSendsZeroAndTheDurationEndsTheRun)
{
    MeasureRig r;
    r.useCard();
    auto m = openRPj(r);
    setUpRamp(*m);
    m->SetRPMParameters(4900, 5200, 100);
    std::int32_t retain = 0;
    m->RetainTime(retain);
    m->StartMeasurement();
    r.ticks(*m, 11); // 1 s of ramp: 5000 rpm
    ASSERT_TRUE(m->isRecording());
    EXPECT_EQ(m->lastCommandedRate(), 5000);
    r.ticks(*m, 1);
    EXPECT_EQ(m->lastCommandedRate(), 0);
    EXPECT_FALSE(r.rig->relays() & 1); // 0 rpm switches the motor off
    r.runToEnd(*m);
    EXPECT_EQ(r.app->store[0].pnum, 32); // 0 .. 3100 ms: the ramp's 3 s have passed
}

TEST(RPMvsjMeasurement, ByHandMethodsNeverStartWithTheRotatorStill)
{
    for (int method : {0, 1}) {
        MeasureRig r;
        r.rig->noiseVolts = 0.001; // the still rotator reads about +-1 rpm
        auto m = openRPj(r);       // no output board: nothing turns
        m->AppliedMeasuremode(method);
        m->SamplingRate(100);
        m->Accumlation(3);
        m->StartMeasurement();
        r.ticks(*m, 500);
        EXPECT_EQ(m->state(), RPMvsjModel::Measuring);
        EXPECT_FALSE(m->isRecording());
        EXPECT_EQ(m->pointCount(), 0);
        m->stop();
        r.ticks(*m, 1);
        EXPECT_FALSE(r.app->MeasurementRunning);
        EXPECT_TRUE(r.app->store.isVacant(0));
    }
}

TEST(RPMvsjMeasurement, LimitEndsTheRunAndRecordTimeOffLeavesColumnTwo)
{
    MeasureRig r;
    r.useCard();
    for (int p = 0; p < 500; ++p)
        r.app->store.data.column(2, 0)[p] = 7.0;
    auto m = openRPj(r);
    m->AppliedMeasuremode(RPMvsjModel::ByLimit);
    m->SetRPMParameters(1000, 1200, 10); // the window turns the rotator to 1000 rpm at Start
    m->setRpmLimit(600);
    m->SamplingRate(50);
    m->Accumlation(1);
    m->StartMeasurement();
    r.runToEnd(*m, 1000);
    const TrackHeader &h = r.app->store[0];
    ASSERT_EQ(h.Mode, ModeRPMvsJ);
    EXPECT_EQ(h.TimeRecording, 0);
    ASSERT_GT(h.pnum, 5);
    const TrackData &d = r.app->store.data;
    EXPECT_GT(d(0, 0, h.pnum - 1), 600);
    EXPECT_LE(d(0, 0, h.pnum - 2), 600);
    EXPECT_NEAR(h.MaxTime, (h.pnum - 1) * 20, 0.5);
    for (int p = 0; p < 500; ++p)
        ASSERT_EQ(d(2, 0, p), 7.0) << p;
}

// Time passes while the window works (every clock reading takes a millisecond): the ramp keeps
// its times from the averaged tick and still ends at the end rate.
TEST(RPMvsjMeasurement, RampWithTimePassingDuringTheTick)
{
    MeasureRig r;
    r.useCard();
    auto m = openRPj(r);
    setUpRamp(*m);
    m->Accumlation(5);
    m->setRecordTime(true);
    m->StartMeasurement();
    r.clock.setAdvanceOnRead(1);
    r.runToEnd(*m, 500);
    r.clock.setAdvanceOnRead(0);
    const TrackHeader &h = r.app->store[0];
    ASSERT_EQ(h.Mode, ModeRPMvsJ);
    EXPECT_GE(m->lastCommandedRate(), 1200);
    const TrackData &d = r.app->store.data;
    EXPECT_EQ(d(2, 0, 0), 0.0);
    for (int p = 1; p < h.pnum; ++p)
        ASSERT_GT(d(2, 0, p), d(2, 0, p - 1)) << p;
    EXPECT_NEAR(d(2, 0, h.pnum - 1), 10000, 200);
}

TEST(RPMvsjMeasurement, SecondRunIsRefused)
{
    MeasureRig r;
    auto m = openRPj(r);
    r.app->MeasurementRunning = true;
    m->StartMeasurement();
    EXPECT_EQ(r.prompts.messages, QStringList{"Please terminate other mesurement!"});
    EXPECT_EQ(m->state(), RPMvsjModel::Monitor);
}

TEST(RPMvsjMeasurement, StopBeforeRecordingKeepsTheTargetTrack)
{
    MeasureRig r;
    r.app->store[4].Mode = ModeCV;
    r.app->store[4].pnum = 3;
    auto m = openRPj(r);
    std::int32_t track = 4;
    m->SelTrack(track);
    m->StartMeasurement(); // by limit; the still rotator never starts the recording
    r.ticks(*m, 5);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.app->store[4].Mode, ModeCV);
    EXPECT_EQ(r.app->store[4].pnum, 3);
    EXPECT_EQ(m->targetTrack(), 4);
}

TEST(RPMvsjMeasurement, HiddenResultGraphIsPlacedAndTheMonitorFollowsItsGraphSize)
{
    MeasureRig r;
    auto m = openRPj(r);
    ASSERT_FALSE(r.result.isVisible());
    r.ticks(*m, 3);
    const QSize before = r.monitor.surfaceSize();
    // The same readings after the graph grew: the monitor is drawn again at the new size, so
    // the part the old surface did not cover gets its axes.
    r.monitor.SetSize(0, 0, 2 * before.width() * 15, 2 * before.height() * 15);
    r.ticks(*m, 1);
    const QImage after = r.monitor.image();
    const QRgb background = after.pixel(after.width() - 1, after.height() - 1);
    int drawn = 0;
    for (int y = before.height() + 2; y < after.height(); ++y)
        for (int x = before.width() + 2; x < after.width(); ++x)
            drawn += after.pixel(x, y) != background;
    EXPECT_GT(drawn, 20);
    m->StartMeasurement();
    EXPECT_EQ(r.result.getSize().width, 1000);
    EXPECT_EQ(r.result.getSize().height, 1000);
    EXPECT_EQ(r.result.left(), 5000);
}

TEST(RPMvsjMeasurement, ReopeningResetsTargetTrackAndMethod)
{
    MeasureRig r;
    auto m = openRPj(r);
    std::int32_t track = 7;
    m->SelTrack(track);
    m->AppliedMeasuremode(2);
    m->closeWindow();
    ASSERT_TRUE(m->open());
    EXPECT_EQ(m->targetTrack(), 0);
    EXPECT_EQ(m->fields().method, RPMvsjModel::ByLimit);
}
