// Records the example track files on the simulated rig with a clock that runs as fast as the
// computer can: a cyclic voltammogram of a redox couple and ring-disk voltammograms of oxygen
// reduction at four rotation rates, and an accelerated steady-state voltammogram of the couple on a
// porous film with all its samples in the next track. Usage: record-examples OUTPUT-FOLDER
#include "devices/Instruments.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimRig.h"
#include "measure/CVModel.h"
#include "measure/RDEModel.h"
#include "measure/SSVModel.h"
#include "plot/Graph.h"
#include "state/AppState.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

using namespace tervo;

namespace {

// Run unattended: messages go to the error stream, questions are answered No, dialogs cancelled.
class ConsolePrompts : public Prompts {
public:
    void message(const QString &text, const QString & = QString()) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool askYesNo(const QString &, const QString & = QString()) override { return false; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString &, const QString &) override { return QString(); }
    QString saveFileName(const QString &, const QString &) override { return QString(); }
};

class NoClipboard : public Clipboard {
public:
    QString text() const override { return QString(); }
    void setText(const QString &) override {}
    void setImage(const QImage &) override {}
    void clear() override {}
};

class NoSound : public SoundPlayer {
public:
    void play(const QString &) override {}
};

struct Workstation {
    QTemporaryDir dir;
    FakeMsClock clock{1000};
    ConsolePrompts prompts;
    AppState app{clock, prompts, dir.path()};
    sim::SimRig rig{clock, 2026};
    sim::SimCellController cells{rig, dir.path(), 2026};
    Instruments instruments{app.settings, app.RpmTable, rig.libraries()};
    NoClipboard clipboard;
    Graph first{clipboard};
    Graph second{clipboard};
    NoSound sound;
    MeasureContext context{app, instruments, first, second, sound};

    explicit Workstation(const QString &model)
    {
        app.loadMainWindowState();
        Settings &s = app.settings;
        s.GPIBControl = 2;
        s.GPIBAddress = 7;
        s.DABoard = 1;
        s.PowerControl = 1;
        ReadRpmTable(QStringLiteral(TERVO_ROTATOR_CALIBRATION), app.RpmTable);
        context.now = [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)); };
        cells.chooseModel(model);
        cells.apply();
        // As in the program: runs carry the cell's concentration, area and electrons.
        context.cellFacts = [this]() -> std::optional<CellFacts> {
            CellFacts f;
            if (!cells.trackFields(f.Conc, f.Area, f.ne))
                return std::nullopt;
            return f;
        };
    }

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
        const FileWriteResult r = writeTrackFile(app.store, path, '.');
        if (!r.ok)
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return r.ok;
    }
};

bool recordCV(const QString &path)
{
    Workstation w(sim::kRedoxCoupleModel);
    // A finer current range suits the microampere currents of a 1 mM couple.
    w.rig.potentiostat().currentGain = 1e-4;
    CVModel cv(w.context);
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
    Workstation w(sim::kOxygenReductionModel);
    // The ring collects up to a tenth of a milliampere of peroxide current.
    w.rig.potentiostat().ringGain = 1e-4;
    RDEModel rde(w.context);
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
    Workstation w(sim::kFilmElectrodeModel);
    w.rig.potentiostat().currentGain = 1e-4;
    SSVModel ssv(w.context, w.clipboard);
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
