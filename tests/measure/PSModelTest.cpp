#include "measure/PSModel.h"
#include "MeasureRig.h"
#include "devices/sim/cells/CellFactory.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

std::unique_ptr<PSModel> openPS(MeasureRig &r)
{
    auto m = std::make_unique<PSModel>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

// A potential-step cell holding only the reduced form (anodic steps) or only the oxidised one.
std::unique_ptr<sim::CellModel> stepCell(bool anodic)
{
    sim::CellParameters p = sim::defaultCellParameters(sim::kPotentialStepModel);
    p.concentration = anodic ? 0 : 1;
    p.reducedConcentration = anodic ? 1 : 0;
    return sim::makeCellModel(sim::kPotentialStepModel, p);
}

// Step from v0 to v1 after one second, 100 Hz, single readings, the current at 2 mA/V.
void setUpStep(MeasureRig &r, PSModel &m, double v0, double v1)
{
    r.rig->potentiostat().currentGain = 0.002;
    double scale = 0.002;
    m.DiskScale(scale);
    m.SetVoltage(v0, v1);
    std::int32_t retain = 1;
    m.RetainTime(retain);
    m.InitSamplingRate(100);
    m.Accumlation(1);
    m.setSamplingMode(0);
}

// The charge of stored points (s, A) by the trapezoid rule.
double storedCharge(const TrackStore &store, int track)
{
    double q = 0;
    for (int p = 1; p < store[track].pnum; ++p)
        q += PSModel::trapezoidCharge(store.data(0, track, p - 1) * 1000,
                                      store.data(1, track, p - 1), store.data(0, track, p) * 1000,
                                      store.data(1, track, p));
    return q;
}

} // namespace

TEST(PSMeasurement, TrapezoidCharge)
{
    EXPECT_DOUBLE_EQ(PSModel::trapezoidCharge(0, 1e-3, 10, 3e-3), 2e-05);
    EXPECT_DOUBLE_EQ(PSModel::trapezoidCharge(10, -1e-3, 30, -1e-3), -2e-05);
}

TEST(PSMeasurement, PublicOperationsClamp)
{
    MeasureRig r;
    auto m = openPS(r);
    std::int16_t mode = 5;
    m->MeasMode(mode);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(m->fields().method, PSModel::ByCharge);
    mode = -1;
    m->MeasMode(mode);
    EXPECT_EQ(mode, 0);
    double q = -1;
    m->CoulombNumber(q);
    EXPECT_EQ(q, 0);
    std::int32_t seconds = -3;
    m->MeasureTime(seconds);
    EXPECT_EQ(seconds, 0);
    m->InitSamplingRate(0);
    EXPECT_EQ(m->acquisition().samplingRate, 0.1);
    EXPECT_EQ(m->timerIntervalMs(), 10000);
    m->InitSamplingRate(4000); // no upper limit
    EXPECT_EQ(m->acquisition().samplingRate, 4000);
    m->Accumlation(0);
    EXPECT_EQ(m->acquisition().accum, 1);
    double scale = 0;
    m->DiskScale(scale);
    EXPECT_EQ(scale, 1e-05);
    m->setGraphOn(false);
    EXPECT_EQ(r.app->settings.PSGraphOn, 0);
}

// With initial rate 100 Hz and division 1.1 the k-th recorded tick runs at 100 / 1.1^(k-1) Hz:
// drawing begins at the ninth, and after ten the interval is 26 ms. The field keeps 100.
TEST(PSMeasurement, VariableSamplingSlowsDownAtEveryRecordedTick)
{
    MeasureRig r;
    auto cell = stepCell(false);
    r.rig->setCell(0, cell.get());
    auto m = openPS(r);
    setUpStep(r, *m, 0.6, -0.2);
    m->setSamplingMode(1);
    m->setDivision(1.1);
    m->setMethod(PSModel::ByButton);
    m->StartMeasurement();
    EXPECT_EQ(m->timerIntervalMs(), 10);
    r.ticks(*m, 99); // holding the first potential: the rate stays
    EXPECT_FALSE(m->isRecording());
    EXPECT_EQ(m->timerIntervalMs(), 10);
    int recorded = 0;
    int firstDrawn = 0;
    QImage graph = r.result.image().copy();
    while (recorded < 10) {
        r.ticks(*m, 1);
        if (!m->isRecording())
            continue;
        ++recorded;
        const bool drawn = r.result.image() != graph;
        EXPECT_EQ(drawn, !m->statusText().isEmpty()) << recorded;
        if (drawn && firstDrawn == 0)
            firstDrawn = recorded;
        graph = r.result.image().copy();
    }
    EXPECT_EQ(firstDrawn, 9);
    EXPECT_NEAR(m->presentRate(), 100 / std::pow(1.1, 10), 1e-9);
    EXPECT_EQ(m->timerIntervalMs(), 26);
    EXPECT_EQ(m->acquisition().samplingRate, 100);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_EQ(r.app->store[0].pnum, 10);
    // The first stored time is the step itself.
    EXPECT_EQ(r.app->store.data(0, 0, 0), 0.0);
    EXPECT_GT(r.app->store.data(0, 0, 9), r.app->store.data(0, 0, 8));
}

TEST(PSMeasurement, EndsByChargeOnAnAnodicTransient)
{
    MeasureRig r;
    auto cell = stepCell(true);
    r.rig->setCell(0, cell.get());
    auto m = openPS(r);
    setUpStep(r, *m, -0.2, 0.6);
    double limit = 5e-05;
    m->CoulombNumber(limit);
    std::int16_t mode = PSModel::ByCharge;
    m->MeasMode(mode);
    std::int32_t track = 7;
    m->SelTrack(track);
    m->Title(QStringLiteral("step"));
    m->StartMeasurement();
    r.runToEnd(*m, 2000);
    ASSERT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.sound.played, QStringList{"done.wav"});
    EXPECT_GT(m->charge(), limit);

    const TrackHeader &h = r.app->store[7];
    EXPECT_EQ(h.Mode, ModePS);
    EXPECT_EQ(h.Title, "step");
    EXPECT_NEAR(h.V1st, -0.2, 0.002);
    EXPECT_NEAR(h.V2nd, 0.6, 0.002);
    EXPECT_EQ(h.DiskYscale, 0.002);
    EXPECT_LE(h.Vxmin, -0.002);
    EXPECT_GE(h.Vxmax, 10.0);
    // The run ended at the first point whose charge passed the limit.
    EXPECT_NEAR(storedCharge(r.app->store, 7), m->charge(), 1e-15);
    const int n = h.pnum;
    const double last = PSModel::trapezoidCharge(
        r.app->store.data(0, 7, n - 2) * 1000, r.app->store.data(1, 7, n - 2),
        r.app->store.data(0, 7, n - 1) * 1000, r.app->store.data(1, 7, n - 1));
    EXPECT_LE(m->charge() - last, limit);
    EXPECT_EQ(r.app->store.data(0, 7, 0), 0.0);
    EXPECT_NEAR(r.app->store.data(0, 7, 1), 0.01, 1e-12); // seconds, 10 ms apart
    EXPECT_EQ(m->targetTrack(), 8);
}

TEST(PSMeasurement, CathodicChargeNeverEndsByCharge)
{
    MeasureRig r;
    auto cell = stepCell(false);
    r.rig->setCell(0, cell.get());
    auto m = openPS(r);
    setUpStep(r, *m, 0.6, -0.2);
    double limit = 5e-05;
    m->CoulombNumber(limit);
    m->setMethod(PSModel::ByCharge);
    m->StartMeasurement();
    r.ticks(*m, 400);
    EXPECT_EQ(m->state(), PSModel::Measuring);
    EXPECT_LT(m->charge(), -limit);
    m->stop();
    r.ticks(*m, 1);
    EXPECT_TRUE(r.sound.played.isEmpty());
    EXPECT_NEAR(r.app->store[0].V2nd, -0.2, 0.002);
}

TEST(PSMeasurement, EndsByTimeAndStoresSeconds)
{
    MeasureRig r;
    auto cell = stepCell(false);
    r.rig->setCell(0, cell.get());
    auto m = openPS(r);
    setUpStep(r, *m, 0.6, -0.2);
    std::int32_t seconds = 2;
    m->MeasureTime(seconds);
    m->setMethod(PSModel::ByTime);
    m->StartMeasurement();
    r.runToEnd(*m);
    EXPECT_EQ(r.sound.played, QStringList{"done.wav"});
    const TrackHeader &h = r.app->store[0];
    EXPECT_EQ(h.MaxTime, 2000);
    EXPECT_EQ(h.pnum, 202); // 0 .. 2010 ms at 10 ms
    EXPECT_NEAR(r.app->store.data(0, 0, h.pnum - 1), 2.01, 1e-12);
    EXPECT_LT(r.app->store.data(1, 0, 5), 0); // reduction
}

TEST(PSMeasurement, StopBeforeTheStepStoresAnEmptyTrack)
{
    MeasureRig r;
    auto m = openPS(r);
    std::int32_t retain = 10;
    m->RetainTime(retain);
    m->InitSamplingRate(10);
    std::int32_t track = 20;
    m->SelTrack(track);
    m->StartMeasurement();
    r.ticks(*m, 10);
    EXPECT_FALSE(m->isRecording());
    m->stop();
    r.ticks(*m, 1);
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.app->store[20].Mode, ModePS);
    EXPECT_EQ(r.app->store[20].pnum, 0);
    EXPECT_EQ(r.app->store[20].V1st, r.app->store[20].V2nd);
    EXPECT_EQ(m->targetTrack(), 0); // after 20 comes 0
    EXPECT_TRUE(r.sound.played.isEmpty());
    EXPECT_FALSE(r.rig->generator().running(1));
}

// Time passes while the window works: the step still starts the recording at time 0 and the
// stored times rise.
TEST(PSMeasurement, StepWithTimePassingDuringTheTick)
{
    MeasureRig r;
    auto cell = stepCell(false);
    r.rig->setCell(0, cell.get());
    auto m = openPS(r);
    setUpStep(r, *m, 0.6, -0.2);
    m->Accumlation(5);
    m->setMethod(PSModel::ByButton);
    m->StartMeasurement();
    r.clock.setAdvanceOnRead(1);
    r.ticks(*m, 150);
    r.clock.setAdvanceOnRead(0);
    ASSERT_TRUE(m->isRecording());
    m->stop();
    r.ticks(*m, 1);
    const TrackHeader &h = r.app->store[0];
    ASSERT_GT(h.pnum, 10);
    EXPECT_EQ(r.app->store.data(0, 0, 0), 0.0);
    for (int p = 1; p < h.pnum; ++p)
        ASSERT_GT(r.app->store.data(0, 0, p), r.app->store.data(0, 0, p - 1)) << p;
    EXPECT_NEAR(h.V2nd, -0.2, 0.002);
}

TEST(PSMeasurement, RotationRateFieldWritesTheTargetTrackHeader)
{
    MeasureRig r;
    auto m = openPS(r);
    r.app->store[2].Mode = ModePS;
    std::int32_t track = 2;
    m->SelTrack(track);
    QString rate = QStringLiteral("1600");
    m->rpm(rate);
    EXPECT_EQ(r.app->store[2].RPM, 1600);
    rate = QStringLiteral("20000");
    m->rpm(rate);
    EXPECT_EQ(rate, QStringLiteral("10000"));
    EXPECT_EQ(r.app->store[2].RPM, 10000);
}
