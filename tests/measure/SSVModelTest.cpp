// The steady-state window on the simulated rig: a redox couple under a porous film, whose steps
// relax over seconds, measured at 900 rpm.
#include "measure/SSVModel.h"
#include "MeasureRig.h"
#include "devices/sim/cells/ElectrodeCell.h"
#include "devices/sim/cells/RedoxCoupleCell.h"
#include "measure/RunRecorder.h"
#include "plot/Palette.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

struct SSVRig {
    MeasureRig r;
    sim::CellParameters p;
    std::unique_ptr<sim::RedoxCoupleCell> cell;
    std::unique_ptr<SSVModel> m;

    SSVRig()
    {
        r.useCard();
        r.rig->potentiostat().currentGain = 1e-4;
        p = sim::defaultCellParameters(sim::kFilmElectrodeModel);
        cell = std::make_unique<sim::RedoxCoupleCell>(p, sim::kFilmElectrodeModel);
        r.rig->setCell(0, cell.get());
        m = std::make_unique<SSVModel>(*r.context, r.clipboard);
        m->setTimerDriven(false);
        EXPECT_TRUE(m->open());
        double scale = 1e-4, step = 0.01, time = 20, segments = 1, rate = 2, accum = 20;
        m->DiskScale(scale);
        m->SetVoltage(0.45, -0.05);
        m->VoltStep(step);
        m->StepTime(time);
        m->Segment(segments);
        m->SamplingRate(rate);
        m->Accumlation(accum);
        QString rpm = QStringLiteral("900");
        m->rpm(rpm);
    }

    void start(double accelerate, double skip)
    {
        m->SetAcceleratemode(accelerate);
        m->SetSkipMode(skip);
        m->StartMeasurement();
    }

    void run(double accelerate, double skip)
    {
        m->SetAcceleratemode(accelerate);
        m->SetSkipMode(skip);
        m->StartMeasurement();
        r.runToEnd(*m);
    }

    double levich() const
    {
        const double omega = 900 * 2 * M_PI / 60;
        return 0.620 * sim::kFaraday * p.area * std::pow(p.diffusion, 2.0 / 3) * std::sqrt(omega) *
               std::pow(p.viscosity, -1.0 / 6) * p.concentration * 1e-6;
    }
};

} // namespace

TEST(SSVModel, SteadyStateCurveFollowsLevichAndHalfWave)
{
    SSVRig s;
    s.run(0, 0);
    const TrackHeader &h = s.r.app->store[0];
    ASSERT_EQ(h.Mode, ModeSSV);
    ASSERT_EQ(h.pnum, 51);
    const TrackData &d = s.r.app->store.data;
    const double plateau = d(1, 0, h.pnum - 1);
    EXPECT_NEAR(-plateau / s.levich(), 1.0, 0.02);
    double half = 0;
    for (int i = 1; i < h.pnum; ++i) {
        const double a = d(1, 0, i - 1) - plateau / 2, b = d(1, 0, i) - plateau / 2;
        if (a * b <= 0 && a != b)
            half = d(0, 0, i - 1) + (d(0, 0, i) - d(0, 0, i - 1)) * a / (a - b);
    }
    EXPECT_NEAR(half, s.p.formalPotential, 0.005);
    EXPECT_EQ(s.r.app->store[1].Mode, ModeSSVAll);
}

TEST(SSVModel, AcceleratedRunGivesTheSameCurveInHalfTheTime)
{
    SSVRig slow, fast;
    slow.run(0, 0);
    fast.run(1, 0);
    const TrackHeader &hs = slow.r.app->store[0], &hf = fast.r.app->store[0];
    ASSERT_EQ(hf.pnum, hs.pnum);
    const TrackData &ds = slow.r.app->store.data, &df = fast.r.app->store.data;
    const double plateau = std::fabs(ds(1, 0, hs.pnum - 1));
    double worst = 0;
    for (int i = 0; i < hs.pnum; ++i)
        worst = std::max(worst, std::fabs(ds(1, 0, i) - df(1, 0, i)) / plateau);
    EXPECT_LT(worst, 0.01);
    EXPECT_LE(hf.MaxTime, hs.MaxTime / 2);
}

// With every step's change below the applied current, steps end at the minimum time without a
// fit: a quarter of the step time each.
TEST(SSVModel, SkipModeEndsStepsAtTheMinimumTimeWithoutFits)
{
    SSVRig s;
    double applied = 1e6; // % of the current, so also where it is close to zero
    s.m->AppliedCurrent(applied);
    s.run(1, 1);
    const TrackHeader &h = s.r.app->store[0];
    ASSERT_EQ(h.pnum, 51);
    EXPECT_EQ(s.m->fitsRun(), 0);
    EXPECT_NEAR(h.MaxTime / 1000, 51 * 20 / 4.0, 51 * 0.5 + 1);
}

TEST(SSVModel, StopStoresTheFinishedStepsAndEverySample)
{
    SSVRig s;
    std::int32_t track = 19;
    s.m->SelTrack(track); // a vacant track empties the rotation rate
    QString rpm = QStringLiteral("900");
    s.m->rpm(rpm);
    double clip = 1;
    s.m->SetSendtoClip(clip);
    s.start(0, 1);
    const int a1Before = static_cast<int>(s.r.rig->generator().received.count("A1"));
    s.r.ticks(*s.m, 40 * 3 + 10); // three steps of 20 s at 2 Hz and a bit
    EXPECT_EQ(s.m->stepsDone(), 3);
    EXPECT_EQ(s.r.rig->generator().received.count("A1"), a1Before + 3);
    s.m->stop();
    s.r.ticks(*s.m, 1);
    EXPECT_FALSE(s.r.app->MeasurementRunning);
    const TrackHeader &h = s.r.app->store[19];
    EXPECT_EQ(h.Mode, ModeSSV);
    EXPECT_EQ(h.pnum, 3);
    EXPECT_EQ(h.StepTime, 20);
    EXPECT_EQ(h.VoltStep, 0.01);
    EXPECT_EQ(h.RPM, 900);
    const TrackData &d = s.r.app->store.data;
    EXPECT_NEAR(d(0, 19, 2), 0.43, 0.002);
    const TrackHeader &all = s.r.app->store[20];
    EXPECT_EQ(all.Mode, ModeSSVAll);
    EXPECT_EQ(all.pnum, 130);
    EXPECT_NEAR(d(2, 20, 129), 65, 0.01); // seconds since Start
    EXPECT_EQ(s.m->targetTrack(), 0);     // past the SSVAll track
    EXPECT_TRUE(s.r.clipboard.text().contains(QStringLiteral("Mode\tMode:SSV\r\n")));
}

namespace {

int pixelsOf(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

// Each step's point is a mark that can be seen, and the curve stays on the graphs after the run
// (the monitor does not draw over it until it is cleared); no step is left to count down.
TEST(SSVModel, TheCurveStaysVisibleOnItsGraphsAfterTheRun)
{
    SSVRig s;
    s.start(0, 1);
    s.r.ticks(*s.m, 40 * 3 + 10);
    ASSERT_EQ(s.m->stepsDone(), 3);
    const QImage disk = s.r.monitor.image(), ring = s.r.result.image();
    // Well beyond one pixel a step.
    EXPECT_GT(pixelsOf(disk, paletteColor(kLightBlue)), 3 * 4);
    EXPECT_GT(pixelsOf(ring, paletteColor(kLightRed)), 3 * 4);
    s.m->stop();
    s.r.ticks(*s.m, 1);
    ASSERT_EQ(s.m->state(), SSVModel::Monitor);
    EXPECT_EQ(s.m->remainingText(), QString());
    s.r.ticks(*s.m, 20);
    EXPECT_TRUE(s.r.monitor.image() == disk);
    EXPECT_TRUE(s.r.result.image() == ring);
    EXPECT_EQ(s.r.monitor.title(), "Steady State Voltammogram (Disk)");
    s.m->clearMonitor();
    EXPECT_EQ(s.r.monitor.title(), "Disk Voltage Monitor");
}

TEST(SSVModel, PublicOperationsWriteBackWhatTheyKept)
{
    MeasureRig r;
    SSVModel m(*r.context, r.clipboard);
    struct Case {
        void (SSVModel::*op)(double &);
        double given, kept;
    } cases[] = {
        {&SSVModel::DiskScale, 0, 1e-05},     {&SSVModel::RingScale, -1, 1e-05},
        {&SSVModel::SetAcceleratemode, 7, 1}, {&SSVModel::SetSkipMode, -2, 0},
        {&SSVModel::CurrentTolerance, -1, 0}, {&SSVModel::AppliedCurrent, 2.5, 2.5},
        {&SSVModel::VoltStep, 0, 0.001},      {&SSVModel::StepTime, 0.2, 1},
        {&SSVModel::Segment, 2.5, 2},         {&SSVModel::Segment, 0, 1},
        {&SSVModel::SamplingRate, 0, 0.1},    {&SSVModel::Accumlation, 0, 1},
        {&SSVModel::SetSendtoClip, 0.4, 0},   {&SSVModel::MinTime, 9, 4},
        {&SSVModel::RecordNextTrack, 1, 1},   {&SSVModel::SelTrack, 23, 20},
    };
    for (const Case &c : cases) {
        double v = c.given;
        (m.*c.op)(v);
        EXPECT_EQ(v, c.kept) << c.given;
    }
    EXPECT_EQ(m.fields().segments, 1);
    EXPECT_EQ(m.targetTrack(), 20);
}

TEST(SSVModel, StaircaseThereAndBack)
{
    const std::vector<double> v = SSVModel::staircase(1, -0.2, 0.005, 2);
    ASSERT_EQ(v.size(), 481u);
    EXPECT_EQ(v[0], 1);
    EXPECT_NEAR(v[240], -0.2, 1e-12);
    EXPECT_NEAR(v[241], -0.195, 1e-12);
    EXPECT_NEAR(v[480], 1, 1e-12);
    EXPECT_EQ(SSVModel::staircase(0.5, 0.5, 0.01, 2).size(), 1u);
    EXPECT_EQ(SSVModel::staircase(0, 0.035, 0.01, 1).back(), 0.03);
}

// A steady-state run cut off mid-way comes back with its header and its SSVAll track.
TEST(SSVModel, InterruptedRunComesBackWithItsEverySampleTrack)
{
    SSVRig s;
    std::int32_t track = 19;
    s.m->SelTrack(track);
    QString rpm = QStringLiteral("900");
    s.m->rpm(rpm);
    RunRecorder recorder(*s.r.context, s.r.dir.path());
    recorder.watch(*s.m);
    s.start(0, 1);
    s.r.ticks(*s.m, 40 * 3 + 10);
    recorder.flush();
    const RecoveryReport report = readRecovery(s.r.dir.path());
    auto restored = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        restored->ClearTrack(t);
    EXPECT_EQ(restoreRecovery(report, *restored), (std::vector<int>{20, 19}));

    s.m->stop();
    s.r.ticks(*s.m, 1);
    const TrackStore &store = s.r.app->store;
    for (const int t : {19, 20}) {
        const TrackHeader &back = (*restored)[t];
        const TrackHeader &stored = store[t];
        EXPECT_EQ(back.Mode, stored.Mode) << t;
        EXPECT_EQ(back.Scanrate, stored.Scanrate) << t;
        EXPECT_EQ(back.V1st, stored.V1st) << t;
        EXPECT_EQ(back.V2nd, stored.V2nd) << t;
        EXPECT_EQ(back.RPM, 900) << t;
        EXPECT_EQ(back.StepTime, stored.StepTime) << t;
        EXPECT_EQ(back.VoltStep, stored.VoltStep) << t;
        EXPECT_EQ(back.DiskYscale, stored.DiskYscale) << t;
        EXPECT_EQ(back.pnum, stored.pnum) << t;
    }
    EXPECT_EQ((*restored)[20].Mode, ModeSSVAll);
    EXPECT_EQ(restored->data(2, 20, 129), store.data(2, 20, 129));
}
