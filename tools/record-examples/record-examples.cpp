// Records the example track files on the simulated rig with a clock that runs as fast as the
// computer can: a cyclic voltammogram of a redox couple and ring-disk voltammograms of oxygen
// reduction at four rotation rates, and an accelerated steady-state voltammogram of the couple on a
// porous film with all its samples in the next track. Usage: record-examples OUTPUT-FOLDER
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimRig.h"
#include "measure/CVModel.h"
#include "measure/RDEModel.h"
#include "measure/SSVModel.h"
#include "state/AppState.h"
#include "tracks/TrackFile.h"
#include "workstation/HeadlessDesk.h"
#include "workstation/Workstation.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace tervo;

namespace {

// The simulated workstation in a folder of its own, its cell chosen.
struct Recording {
    QTemporaryDir dir;
    FakeMsClock clock{1000};
    HeadlessDesk desk;
    Workstation ws;

    explicit Recording(const QString &model) : ws(desk.desk(clock), setup(dir.path()))
    {
        AppState &app = ws.state();
        app.loadMainWindowState();
        setUpSimulatedRig(app.settings, QStringLiteral(TERVO_ROTATOR_CALIBRATION));
        ReadRpmTable(app.settings.RPMvsVoltageFile, app.RpmTable);
        ws.context().now = [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)); };
        ws.cells()->chooseModel(model);
        ws.cells()->apply();
        ws.makeModels();
    }

    static WorkstationSetup setup(const QString &folder)
    {
        WorkstationSetup s;
        s.folder = folder;
        s.seed = 2026;
        return s;
    }

    sim::SimRig &rig() { return *ws.rig(); }

    // Opening a window shows its target track, which fills the title and rate fields.
    template <typename Model> void open(Model &m)
    {
        m.setTimerDriven(false);
        if (!m.open())
            std::fprintf(stderr, "boards did not open\n");
    }

    template <typename Model> void run(Model &m)
    {
        m.StartMeasurement();
        while (m.state() == Model::Measuring) {
            clock.advance(static_cast<std::uint32_t>(m.timerIntervalMs()));
            m.tick();
        }
    }

    bool save(const QString &path)
    {
        const FileWriteResult r = writeTrackFile(ws.state().store, path, '.');
        if (!r.ok)
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return r.ok;
    }
};

bool recordCV(const QString &path)
{
    Recording w(sim::kRedoxCoupleModel);
    // A finer current range suits the microampere currents of a 1 mM couple.
    w.rig().potentiostat().currentGain = 1e-4;
    CVModel &cv = w.ws.cv();
    w.open(cv);
    cv.SetVoltage(0.6, -0.2, 0.6);
    double rate = 50;
    cv.scanrate(rate);
    std::int32_t cycles = 3;
    cv.Repeat(cycles);
    cv.SamplingRate(20);
    cv.Accumlation(10);
    double scale = 1e-4;
    cv.DiskScale(scale);
    std::int32_t retain = 2;
    cv.RetainTime(retain);
    cv.Title(QStringLiteral("1 mM redox couple, 5 mm disk, 50 mV/s"));
    QString rpm = QStringLiteral("0");
    cv.rpm(rpm);
    w.run(cv);
    return w.save(path);
}

bool recordRRDE(const QString &path)
{
    Recording w(sim::kOxygenReductionModel);
    // The ring collects up to a tenth of a milliampere of peroxide current.
    w.rig().potentiostat().ringGain = 1e-4;
    RDEModel &rde = w.ws.rde();
    w.open(rde);
    double ringScale = 1e-4;
    rde.RingScale(ringScale);
    rde.SetVoltage(1.05, 0.05, 1.05);
    double rate = 10;
    rde.scanrate(rate);
    std::int32_t cycles = 1;
    rde.Repeat(cycles);
    rde.SamplingRate(5);
    rde.Accumlation(20);
    std::int32_t retain = 5;
    rde.RetainTime(retain);
    std::int32_t track = 0;
    rde.SelTrack(track);
    // The simulated rotator tops out near 2300 rpm.
    for (int rpm : {400, 900, 1600, 2025}) {
        rde.Title(QStringLiteral("O2 reduction, 10 mV/s, %1 rpm").arg(rpm));
        QString text = QString::number(rpm);
        rde.rpm(text);
        w.run(rde);
    }
    return w.save(path);
}

bool recordSSV(const QString &path)
{
    Recording w(sim::kFilmElectrodeModel);
    w.rig().potentiostat().currentGain = 1e-4;
    SSVModel &ssv = w.ws.ssv();
    w.open(ssv);
    double scale = 1e-4, step = 0.01, time = 20, segments = 2, rate = 2, accum = 20;
    ssv.DiskScale(scale);
    ssv.SetVoltage(0.5, -0.1);
    ssv.VoltStep(step);
    ssv.StepTime(time);
    ssv.Segment(segments);
    ssv.SamplingRate(rate);
    ssv.Accumlation(accum);
    double accelerate = 1, tolerance = 0.5, skip = 1, applied = 5, minTime = 1, all = 1;
    ssv.SetAcceleratemode(accelerate);
    ssv.CurrentTolerance(tolerance);
    ssv.SetSkipMode(skip);
    ssv.AppliedCurrent(applied);
    ssv.MinTime(minTime);
    ssv.RecordNextTrack(all);
    ssv.Title(QStringLiteral("1 mM redox couple on a porous film, 900 rpm, 10 mV steps"));
    QString rpm = QStringLiteral("900");
    ssv.rpm(rpm);
    w.run(ssv);
    return w.save(path);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "Usage: record-examples OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const bool ok = recordCV(out.filePath(QStringLiteral("cv-redox-couple.tvd"))) &&
                    recordRRDE(out.filePath(QStringLiteral("rrde-oxygen-reduction.tvd"))) &&
                    recordSSV(out.filePath(QStringLiteral("ssv-redox-couple-film.tvd")));
    return ok ? 0 : 1;
}
