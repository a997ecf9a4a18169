// run: a macro without a display, on the simulated rig or on the real routes.
#include "ToolCommand.h"
#include "devices/Instruments.h"
#include "devices/sim/InstrumentRoutes.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimRig.h"
#include "macro/FastMacroDriver.h"
#include "macro/MacroRunner.h"
#include "macro/RunWatchdog.h"
#include "macro/SmtpMailSender.h"
#include "macro/SsvMacroAdapter.h"
#include "measure/CVModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/RunRecorder.h"
#include "plot/Graph.h"
#include "state/AppState.h"
#include "tracks/TrackFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>

namespace tervo::tool {

namespace {

// Messages go to stderr; questions are answered No and dialogs cancelled, as nobody is there.
// A run without a desktop: no clipboard, no loudspeaker.
class NoClipboard : public Clipboard {
public:
    QString text() const override { return m_text; }
    void setText(const QString &t) override { m_text = t; }
    void setImage(const QImage &) override {}
    void clear() override { m_text.clear(); }

private:
    QString m_text;
};

class NoSound : public SoundPlayer {
public:
    void play(const QString &) override {}
};

class ConsolePrompts : public Prompts {
public:
    QString last;
    void message(const QString &text, const QString & = QString()) override
    {
        last = text;
        writeErr(text);
    }
    bool askYesNo(const QString &text, const QString & = QString()) override
    {
        writeErr(text);
        return false;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
};

struct Options {
    QString macro;
    QString out;
    QString settingsDir;
    QStringList faults;
    std::optional<double> maxRunTime;
    bool fast = false;
    bool hardware = false;
};

// The index in kFaultSwitches of a fault's key, or -1.
int faultIndex(const QString &key)
{
    for (int i = 0; i < static_cast<int>(std::size(sim::kFaultSwitches)); ++i)
        if (key == QLatin1String(sim::kFaultSwitches[i].key))
            return i;
    return -1;
}

bool parseOptions(const QStringList &args, Options &o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--fast")) {
            o.fast = true;
        } else if (a == QLatin1String("--hardware")) {
            o.hardware = true;
        } else if (a == QLatin1String("--out") || a == QLatin1String("--settings-dir")) {
            if (++i >= args.size())
                return false;
            (a == QLatin1String("--out") ? o.out : o.settingsDir) = args[i];
        } else if (a == QLatin1String("--max-run-time")) {
            if (++i >= args.size())
                return false;
            bool number = false;
            const double seconds = args[i].toDouble(&number);
            // Up to a year: beyond that the bound would wrap the millisecond clock.
            if (!number || !(seconds > 0) || seconds > 31536000)
                return false;
            o.maxRunTime = seconds;
        } else if (a == QLatin1String("--fault")) {
            if (++i >= args.size())
                return false;
            o.faults << args[i];
        } else if (a.startsWith(QLatin1String("--")) || !o.macro.isEmpty()) {
            return false;
        } else {
            o.macro = a;
        }
    }
    return !o.macro.isEmpty();
}

int runMacro(const QStringList &args)
{
    Options o;
    if (!parseOptions(args, o))
        return usageError();
    if (o.fast && o.hardware)
        return usageError(QStringLiteral("--fast runs only on the simulated rig."));
    if (!o.faults.isEmpty() && o.hardware)
        return usageError(QStringLiteral("--fault runs only on the simulated rig."));
    for (const QString &f : o.faults) {
        if (faultIndex(f) < 0) {
            QStringList keys;
            for (const sim::FaultSwitch &s : sim::kFaultSwitches)
                keys << QString::fromLatin1(s.key);
            return usageError(
                QStringLiteral("%1 is not a fault; the faults are %2.").arg(f, keys.join(", ")));
        }
    }
    QString text;
    QString readError;
    if (!loadMacroFile(o.macro, text, &readError)) {
        writeErr(QFileInfo::exists(o.macro) ? readError
                                            : QStringLiteral("%1: cannot be read.").arg(o.macro));
        return 1;
    }
    const QString folder = o.settingsDir.isEmpty() ? defaultSettingsFolder() : o.settingsDir;
    QDir().mkpath(folder);

    // The fast clock only moves when the driver jumps it to the next due tick.
    FakeMsClock fastClock(1000);
    SystemMsClock systemClock;
    MsClock &clock = o.fast ? static_cast<MsClock &>(fastClock) : systemClock;
    ConsolePrompts prompts;
    auto app = std::make_unique<AppState>(clock, prompts, folder);
    if (!o.hardware && !QFileInfo::exists(app->settingsPath()))
        prepareDemoSettings(*app, QCoreApplication::applicationDirPath());
    app->loadMainWindowState();

    std::unique_ptr<InstrumentRoutes> routes =
        o.hardware ? InstrumentRoutes::hardware(QString()) : InstrumentRoutes::simulated(clock);
    std::unique_ptr<sim::SimCellController> cells;
    if (sim::SimRig *rig = routes->rig()) {
        cells = std::make_unique<sim::SimCellController>(*rig, folder);
        cells->load();
        for (const QString &f : o.faults)
            rig->injected.*(sim::kFaultSwitches[faultIndex(f)].flag) = true;
    }
    Instruments instruments(app->settings, app->RpmTable, routes->libraries());
    NoClipboard clipboard;
    Graph first(clipboard), second(clipboard);
    NoSound sound;
    MeasureContext context{*app, instruments, first, second, sound};
    CVModel cv(context), cvf(context);
    RDEModel rde(context);
    PSModel ps(context);
    RPMvsjModel rpm(context);
    SSVModel ssv(context, clipboard);
    SsvMacroAdapter ssvMacro(ssv, [] {});
    const std::vector<MeasurementModel *> models{&cv, &cvf, &rde, &ps, &rpm, &ssv};
    SmtpMailSender mail(app->settings);
    // With a settings folder of its own the run keeps the recovery files the program keeps, so
    // a killed series can be restored at the next start of the program.
    std::unique_ptr<RunRecorder> recorder;
    if (!o.settingsDir.isEmpty()) {
        recorder = std::make_unique<RunRecorder>(context, folder);
        for (MeasurementModel *m : models)
            recorder->watch(*m);
    }

    MacroEnvironment env{*app, instruments, sound};
    env.cv = &cv;
    env.cvf = &cvf;
    env.rde = &rde;
    env.ps = &ps;
    env.rpmvsi = &rpm;
    env.mail = &mail;
    env.ssv = &ssvMacro;
    env.showPower = [&instruments] { instruments.power().ensureOpen(); };
    MacroRunner runner(env);
    QObject::connect(&runner, &MacroRunner::lineStarted, [](int index, const QString &line) {
        writeOut(QStringLiteral("line %1: %2\n").arg(index + 1).arg(line));
        std::fflush(stdout);
    });
    int outcome = MacroRunner::Completed;
    QObject::connect(&runner, &MacroRunner::finished, [&](int how, const QString &message) {
        outcome = how;
        // A failure the window only shows in its status line goes to stderr here.
        if (how == MacroRunner::Failed && message != prompts.last)
            writeErr(message);
    });
    const auto measuring = [&models] {
        for (MeasurementModel *m : models)
            if (m->state() == MeasurementModel::Measuring)
                return true;
        return false;
    };

    // A series nobody can stop by hand is stopped as Stop would once it runs beyond its bound.
    RunWatchdog watchdog(clock, runner, models, o.maxRunTime);
    bool cutShort = false;
    const auto watch = [&] {
        if (cutShort || !watchdog.overdue())
            return;
        cutShort = true;
        writeErr(watchdog.cutShortMessage());
        for (MeasurementModel *m : models)
            m->stop();
        runner.stop();
    };
    watchdog.start();
    bool stalled = false;
    if (o.fast) {
        FastMacroDriver driver(runner, fastClock, models);
        driver.setStepHook(watch);
        runner.run(text);
        stalled = !driver.runToEnd(true);
    } else {
        QTimer watchTimer;
        QObject::connect(&watchTimer, &QTimer::timeout, watch);
        watchTimer.start(100);
        QEventLoop loop;
        const auto check = [&] {
            if (!runner.isRunning() && !runner.waiting() && !measuring())
                loop.quit();
        };
        QObject::connect(&runner, &MacroRunner::finished, &loop, check, Qt::QueuedConnection);
        // A Wait on the last line ends with its countdown, after the run.
        QObject::connect(&runner, &MacroRunner::statusChanged, &loop, check, Qt::QueuedConnection);
        for (MeasurementModel *m : models)
            QObject::connect(m, &MeasurementModel::changed, &loop, check, Qt::QueuedConnection);
        QTimer::singleShot(0, &loop, [&] {
            runner.run(text);
            check();
        });
        loop.exec();
    }
    if (stalled)
        writeErr(QStringLiteral("The run waits for a measurement that never ends."));
    for (MeasurementModel *m : models)
        m->closeWindow();
    instruments.ADClose();
    instruments.DAClose();

    // The tracks are saved also when the run ended early.
    int status = outcome == MacroRunner::SyntaxError                     ? 2
                 : outcome == MacroRunner::Failed || stalled || cutShort ? 1
                                                                         : 0;
    if (!o.out.isEmpty()) {
        const FileWriteResult r = writeTrackFile(app->store, o.out, '.');
        if (!r.ok) {
            writeErr(QStringLiteral("%1: %2").arg(o.out, r.error));
            status = std::max(status, 1);
        } else if (recorder) {
            recorder->discard(); // everything is saved
        }
    }
    return status;
}

} // namespace

TERVO_TOOL_COMMAND(run,
                   "  run MACRO.tvm [--fast] [--out RESULT.tvd] [--settings-dir DIR] [--hardware]\n"
                   "                [--fault NAME]... [--max-run-time SECONDS]\n"
                   "                         Run a macro without a display, printing each line.\n"
                   "                         --fast runs the simulated clock as fast as it can.\n"
                   "                         --fault switches on a failure of the simulated rig:\n"
                   "                         analog-open, analog-stops, analog-nan, serial-gone,\n"
                   "                         gpib-timeout or rotator-stalls.\n"
                   "                         --max-run-time stops the series as Stop does once it\n"
                   "                         has run that long (default: its programmed length\n"
                   "                         and a margin); it then exits 1.\n",
                   runMacro);

} // namespace tervo::tool
