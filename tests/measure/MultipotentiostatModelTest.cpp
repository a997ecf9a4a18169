#include "measure/MultipotentiostatModel.h"
#include "MeasureRig.h"
#include "devices/sim/cells/CellFactory.h"
#include "measure/RunRecorder.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

using MM = MultipotentiostatModel;

std::unique_ptr<MM> openMM(MeasureRig &r)
{
    auto m = std::make_unique<MM>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

} // namespace

TEST(MultipotentiostatMeasurement, OpeningWarnsAndTheMonitorLeavesTracksAlone)
{
    MeasureRig r;
    r.app->store[12].Mode = ModeCV;
    r.app->store.data.column(0, 12)[0] = 42;
    auto m = openMM(r);
    EXPECT_EQ(r.prompts.messages,
              QStringList{"Once you push 'Start' button, Track 0 to 11's data will be lost!"});
    m->setSamplingRate(100);
    m->setCurrentMonitor(true);
    r.ticks(*m, 30);
    EXPECT_EQ(m->monitor().index(), 30);
    EXPECT_FALSE(m->currentTexts()[0].isEmpty());
    EXPECT_EQ(r.app->store[12].Mode, ModeCV);
    EXPECT_EQ(r.app->store.data(0, 12, 0), 42);
}

TEST(MultipotentiostatMeasurement, SharedInputIsReadOncePerPass)
{
    MeasureRig r;
    r.useCard(false);
    auto m = openMM(r);
    for (int k = 0; k < MM::kChannels; ++k) {
        m->inputChosen(2 * k, 0);         // every potential on input 0
        m->inputChosen(2 * k + 1, k + 1); // currents on inputs 1..10
    }
    m->inputChosen(19, 1); // channel 10's current shares input 1 with channel 1
    int used = 0;
    for (bool u : m->usedInputs())
        used += u;
    EXPECT_EQ(used, 10); // inputs 0..9

    m->setAccumulation(3);
    m->setSamplingRate(10);
    m->setMethod(MM::StopByButton);
    m->start();
    r.dask->reads.fill(0);
    r.ticks(*m, 1);
    EXPECT_EQ(r.dask->reads[0], 3);
    EXPECT_EQ(r.dask->reads[1], 3);
    EXPECT_EQ(r.dask->reads[9], 3);
    EXPECT_EQ(r.dask->reads[10], 0);
    // Channels naming the same input see the same reading.
    EXPECT_EQ(m->point(0, 0)[1], m->point(9, 0)[1]);
    EXPECT_EQ(m->point(3, 0)[0], m->point(7, 0)[0] * m->scale(6) / m->scale(14));
    m->stop();
    r.ticks(*m, 1);
}

// Ten cells at the common potential of the potentiostat's own sweep: every channel's stored
// current is its cell's current at the tick, with the time column in seconds.
TEST(MultipotentiostatMeasurement, TenCellsAreStoredInTracksZeroToNine)
{
    MeasureRig r;
    r.useCard(false); // inputs beyond 15 need the card
    r.rig->wireMultipotentiostat();
    auto cells = sim::makeMultipotentiostatCells(5);
    for (int k = 0; k < MM::kChannels; ++k)
        r.rig->setCell(k, cells[static_cast<std::size_t>(k)].get());
    r.rig->potentiostat().externalInput = false;
    r.rig->potentiostat().setSweep(0.6, -0.2, 0.6, 100);
    r.rig->potentiostat().startSweep();
    r.app->store[15].Mode = ModeCV;

    auto m = openMM(r);
    for (int k = 0; k < MM::kChannels; ++k) {
        m->inputChosen(2 * k, 2 * k);
        m->inputChosen(2 * k + 1, 2 * k + 1);
        m->setScale(2 * k, 1.0);
        m->setScale(2 * k + 1, 0.001);
        m->setTitle(k, QStringLiteral("cell %1").arg(k + 1));
    }
    m->setSamplingRate(10);
    m->setAccumulation(2);
    m->setMethod(MM::StopByButton);
    RunRecorder recorder(*r.context, r.dir.path());
    recorder.watch(*m);
    m->start();
    std::vector<std::array<double, MM::kChannels>> truth;
    for (int t = 0; t < 80; ++t) {
        r.ticks(*m, 1);
        std::array<double, MM::kChannels> now{};
        for (int k = 0; k < MM::kChannels; ++k)
            now[static_cast<std::size_t>(k)] = r.rig->cellCurrents(k).disk;
        truth.push_back(now);
    }
    // What a crash now would leave: the journal of every channel.
    recorder.flush();
    const RecoveryReport report = readRecovery(r.dir.path());
    EXPECT_FALSE(report.empty()); // offered at the next start
    EXPECT_TRUE(report.summary().contains(QStringLiteral("run of 80 points")))
        << report.summary().toStdString();
    auto restored = std::make_unique<TrackStore>();
    EXPECT_EQ(restoreRecovery(report, *restored), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    m->stop();
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
    for (int k = 0; k < MM::kChannels; ++k) {
        const TrackHeader &back = (*restored)[k];
        EXPECT_EQ(back.Mode, ModeMulti);
        EXPECT_EQ(back.Title, r.app->store[k].Title);
        EXPECT_EQ(back.DiskYscale, r.app->store[k].DiskYscale);
        ASSERT_EQ(back.pnum, 80);
        for (int p = 0; p < 80; ++p)
            for (int c = 0; c < 3; ++c)
                EXPECT_DOUBLE_EQ(restored->data(c, k, p), r.app->store.data(c, k, p));
    }

    const TrackData &d = r.app->store.data;
    for (int k = 0; k < MM::kChannels; ++k) {
        const TrackHeader &h = r.app->store[k];
        ASSERT_EQ(h.Mode, ModeMulti) << k;
        EXPECT_EQ(h.Title, QStringLiteral("cell %1").arg(k + 1));
        EXPECT_EQ(h.pnum, 80);
        EXPECT_EQ(h.DiskYscale, 0.001);
        EXPECT_EQ(h.RPM, 0);
        EXPECT_NEAR(h.MaxTime, 8000, 100);
        EXPECT_LE(h.Vxmin, -0.002);
        for (int p = 0; p < 80; ++p) {
            EXPECT_NEAR(d(2, k, p), 0.1 * (p + 1), 1e-12);
            EXPECT_NEAR(d(1, k, p), truth[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)],
                        3e-6);
            EXPECT_NEAR(d(0, k, p), d(0, 0, p), 0.003) << k; // one potentiostat for all
        }
    }
    // The cells differ: the larger concentrations carry larger currents at -0.2 V.
    EXPECT_LT(d(1, 8, 79), d(1, 0, 79));
    for (int k = 10; k < 20; ++k)
        EXPECT_EQ(r.app->store[k].Mode, ModeNone) << k;
}

TEST(MultipotentiostatMeasurement, SamplingByButtonOverflowsAtThe20001stPress)
{
    MeasureRig r;
    auto m = openMM(r);
    m->setMethod(MM::SamplingByButton);
    m->setSamplingRate(1000);
    m->setAccumulation(1);
    m->start();
    r.ticks(*m, 3);
    EXPECT_EQ(m->pointCount(), 0); // ticks overwrite the present point
    for (int i = 0; i < 20000; ++i)
        m->sampling();
    EXPECT_EQ(r.prompts.messages.size(), 1);
    r.ticks(*m, 1); // samples point 20000
    m->sampling();
    EXPECT_EQ(r.prompts.messages.last(), "Buffer overflow!");
    EXPECT_TRUE(m->stopRequested());
    r.ticks(*m, 1);
    EXPECT_EQ(m->state(), MM::Monitor);
    EXPECT_EQ(r.app->store[0].pnum, 20001);
    EXPECT_EQ(r.app->store[9].pnum, 20001);
}

TEST(MultipotentiostatMeasurement, StopByTimeWithZeroMaxTimeEndsOnTheFirstTick)
{
    MeasureRig r;
    auto m = openMM(r);
    m->setMaxTime(0);
    m->setSamplingRate(10);
    m->start();
    r.ticks(*m, 1);
    EXPECT_TRUE(m->stopRequested());
    EXPECT_EQ(r.sound.played, QStringList{"done.wav"});
    r.ticks(*m, 1);
    EXPECT_EQ(r.app->store[0].pnum, 1);
    EXPECT_EQ(r.app->store[0].MaxTime, 0);
    EXPECT_NEAR(r.app->store.data(2, 0, 0), 0.1, 1e-12);
}

TEST(MultipotentiostatMeasurement, ZeroAccumulationFreezesButSaysWhyAndStopStillEnds)
{
    MeasureRig r;
    r.app->settings.MMAccum = 0; // kept as 0 from the settings file, unlike the other windows
    auto m = openMM(r);
    ASSERT_EQ(m->acquisition().accum, 0);
    m->setSamplingRate(10);
    r.ticks(*m, 5);
    EXPECT_EQ(m->monitor().index(), 0);
    EXPECT_FALSE(m->statusText().isEmpty());
    EXPECT_TRUE(m->timerEnabled());

    m->setMethod(MM::StopByButton);
    m->start();
    r.ticks(*m, 5);
    EXPECT_EQ(m->pointCount(), 0);
    EXPECT_EQ(m->state(), MM::Measuring);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.app->store[0].pnum, 0);
}

TEST(MultipotentiostatMeasurement, SecondRunAnywhereIsRefused)
{
    MeasureRig r;
    auto m = openMM(r);
    r.app->MeasurementRunning = true;
    m->start();
    EXPECT_EQ(r.prompts.messages.last(), "Please terminate other mesurement!");
    EXPECT_EQ(m->state(), MM::Monitor);
}

TEST(MultipotentiostatMeasurement, ClearMonitorKeepsTheRingAndLabelsStayWithTheMonitorOff)
{
    MeasureRig r;
    r.rig->wireMultipotentiostat();
    auto m = openMM(r);
    m->setSamplingRate(100);
    m->setCurrentMonitor(true);
    r.ticks(*m, 5);
    const QString label = m->currentTexts()[0];
    ASSERT_FALSE(label.isEmpty());
    const auto kept = m->monitor().at(0, 2);
    m->setCurrentMonitor(false);
    m->clearMonitor();
    EXPECT_EQ(m->monitor().index(), 0);
    EXPECT_EQ(m->monitor().at(0, 2), kept);
    EXPECT_NE(kept[0], MonitorPlot::kEmpty);
    r.ticks(*m, 1);
    EXPECT_EQ(m->currentTexts()[0], label);
    // Reopening goes back to track 0 and the first method.
    m->setMethod(MM::SamplingByButton);
    m->closeWindow();
    ASSERT_TRUE(m->open());
    EXPECT_EQ(m->fields().method, MM::StopByTime);
}
