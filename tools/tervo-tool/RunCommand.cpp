// run: a macro without a display, on the simulated rig or on the real routes.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "app/KeychainSecretStore.h"
#include "app/Translation.h"
#include "devices/sim/SimRig.h"
#include "macro/FastMacroDriver.h"
#include "macro/MacroRunner.h"
#include "macro/RunWatchdog.h"
#include "measure/RunRecorder.h"
#include "measure/SSVModel.h"
#include "state/AppState.h"
#include "state/SettingsFolderLock.h"
#include "tracks/Tables.h"
#include "tracks/TrackFile.h"
#include "workstation/HeadlessDesk.h"
#include "workstation/Workstation.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace tervo::tool {

namespace {

// A fault of the simulated rig, switched on from the start or after some seconds of the run.
struct Fault {
    int index = 0; // into kFaultSwitches
    std::uint32_t afterMs = 0;
};

struct RunOptions {
    QString macro;
    QString out;
    QString settingsDir;
    std::vector<Fault> faults;
    std::optional<double> maxRunTime;
    bool fast = false;
    bool hardware = false;
};

// NAME or NAME@SECONDSs; an empty text when sound, else why not.
QString parseFault(const QString &text, Fault &f)
{
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    QStringList keys;
    for (const sim::FaultSwitch &s : sim::kFaultSwitches)
        keys << QString::fromLatin1(s.key);
    QString error;
    const std::optional<int> index =
        choiceOption(QStringLiteral("--fault"), text.left(at), keys, error);
    if (!index)
        return error;
    f.index = *index;
    if (at < 0)
        return {};
    QString time = text.mid(at + 1);
    if (time.endsWith(QLatin1Char('s'), Qt::CaseInsensitive))
        time.chop(1);
    const std::optional<double> seconds = numberOption(
        QStringLiteral("--fault %1@").arg(text.left(at)), time, between(0, 86400), error);
    if (!seconds)
        return error;
    f.afterMs = static_cast<std::uint32_t>(*seconds * 1000 + 0.5);
    return {};
}

QString parseOptions(const QStringList &args, RunOptions &o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--fast")) {
            o.fast = true;
        } else if (a == QLatin1String("--hardware")) {
            o.hardware = true;
        } else if (a == QLatin1String("--out") || a == QLatin1String("--settings-dir") ||
                   a == QLatin1String("--fault")) {
            if (++i >= args.size())
                return QStringLiteral("%1 needs a value.").arg(a);
            if (a == QLatin1String("--fault")) {
                Fault f;
                if (const QString why = parseFault(args[i], f); !why.isEmpty())
                    return why;
                o.faults.push_back(f);
            } else {
                (a == QLatin1String("--out") ? o.out : o.settingsDir) = args[i];
            }
        } else if (a == QLatin1String("--max-run-time")) {
            if (++i >= args.size())
                return QStringLiteral("%1 needs a value.").arg(a);
            QString error;
            // Up to a year: beyond that the bound would wrap the millisecond clock.
            o.maxRunTime = numberOption(a, args[i], NumberRange{0, 31536000, true}, error);
            if (!o.maxRunTime)
                return error;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unknown option %1.").arg(a);
        } else if (!o.macro.isEmpty()) {
            return QStringLiteral("Unexpected argument \"%1\"; run takes one MACRO.tvm.").arg(a);
        } else {
            o.macro = a;
        }
    }
    return o.macro.isEmpty() ? QStringLiteral("run needs a MACRO.tvm.") : QString();
}

// SIGINT and SIGTERM: the handler only notes the signal and wakes the event loop through a
// pipe; the run loop does the stopping.
volatile std::sig_atomic_t g_signal = 0;
int g_wakeFd = -1;

void onStopSignal(int sig)
{
    g_signal = sig;
    if (g_wakeFd >= 0) {
        const char byte = 1;
        (void)!::write(g_wakeFd, &byte, 1);
    }
}

// The pipe's read end, or -1.
int installStopSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    g_wakeFd = fds[1];
    struct sigaction sa = {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    // A second signal ends the tool at once, as usual.
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return fds[0];
}

// Which board or route of the workstation a fault of the rig reaches through.
void chooseFaultRoute(Settings &s, int index)
{
    const QLatin1String key(sim::kFaultSwitches[index].key);
    if (key == QLatin1String("analog-nan") && s.ADBoard != 2) {
        s.ADBoard = 2;
        writeErr(QStringLiteral("analog-nan: the inputs are read through the PCI card."));
    } else if (key == QLatin1String("serial-gone") && s.GPIBControl != 1) {
        s.GPIBControl = 1;
        writeErr(QStringLiteral("serial-gone: the function generator is reached through the "
                                "serial converter."));
    }
}

int runMacro(const QStringList &args)
{
    RunOptions o;
    if (const QString why = parseOptions(args, o); !why.isEmpty())
        return usageError(why);
    if (o.fast && o.hardware)
        return usageError(QStringLiteral("--fast runs only on the simulated rig."));
    if (!o.faults.empty() && o.hardware)
        return usageError(QStringLiteral("--fault runs only on the simulated rig."));
    QString text;
    QString readError;
    if (!loadMacroFile(o.macro, text, &readError)) {
        writeErr(QFileInfo::exists(o.macro) ? readError
                                            : QStringLiteral("%1: cannot be read.").arg(o.macro));
        return 1;
    }
    const QString folder = o.settingsDir.isEmpty() ? defaultSettingsFolder() : o.settingsDir;
    QDir().mkpath(folder);
    // A folder of its own is held as the program holds it: one user of its recovery files.
    SettingsFolderLock lock(folder);
    if (!o.settingsDir.isEmpty() && !lock.tryLock()) {
        writeErr(
            QStringLiteral("%1: the settings folder is in use by %2.").arg(folder, lock.holder()));
        return 1;
    }

    // The fast clock only moves when the driver jumps it to the next due tick.
    FakeMsClock fastClock(1000);
    SystemMsClock systemClock;
    MsClock &clock = o.fast ? static_cast<MsClock &>(fastClock) : systemClock;
    HeadlessDesk desk;
    desk.prompts.echoQuestions = true;
    KeychainSecretStore secrets(secretFilePathFor(folder));
    WorkstationSetup setup;
    setup.folder = folder;
    setup.secrets = &secrets;
    setup.demo = !o.hardware;
    setup.programFolder = QCoreApplication::applicationDirPath();
    setup.hardware = o.hardware;
    Workstation ws(desk.desk(clock), setup);
    AppState &app = ws.state();
    app.loadMainWindowState();
    installTranslation(*QCoreApplication::instance(), app.settingsPath());
    // The fault needs its board or route; the settings file itself is not rewritten.
    for (const Fault &f : o.faults)
        chooseFaultRoute(app.settings, f.index);
    if (sim::SimRig *rig = ws.rig()) {
        for (const Fault &f : o.faults) {
            bool sim::SimFaults::*flag = sim::kFaultSwitches[f.index].flag;
            if (f.afterMs == 0)
                rig->injected.*flag = true;
            else
                rig->scheduleFault(flag, f.afterMs);
        }
    }
    ws.makeModels();
    const std::vector<MeasurementModel *> &models = ws.models();
    // With a settings folder of its own the run keeps the recovery files the program keeps, so
    // a killed series can be restored at the next start of the program.
    RunRecorder *recorder = o.settingsDir.isEmpty() ? nullptr : &ws.keepRecovery();

    MacroEnvironment env = ws.macroEnvironment();
    MacroRunner runner(env);
    runner.setMacroFolder(QFileInfo(o.macro).absolutePath());
    QObject::connect(&runner, &MacroRunner::lineStarted, [](int index, const QString &line) {
        writeOut(QStringLiteral("line %1: %2\n").arg(index + 1).arg(line));
        std::fflush(stdout);
    });
    QObject::connect(&runner, &MacroRunner::logged, [](const QString &line) {
        writeOut(QStringLiteral("note: %1\n").arg(line));
        std::fflush(stdout);
    });
    int outcome = MacroRunner::Completed;
    QObject::connect(&runner, &MacroRunner::finished, [&](int how, const QString &message) {
        outcome = how;
        // A failure the window only shows in its status line goes to stderr here.
        if (how == MacroRunner::Failed && message != desk.prompts.last)
            writeErr(message);
    });
    int failedRuns = 0;
    for (MeasurementModel *m : models)
        QObject::connect(m, &MeasurementModel::runFailed, [&failedRuns] { ++failedRuns; });
    const auto measuring = [&models] {
        for (MeasurementModel *m : models)
            if (m->state() == MeasurementModel::Measuring)
                return true;
        return false;
    };

    const int wakeFd = installStopSignals();
    // A series nobody can stop by hand is stopped as Stop would once it runs beyond its bound.
    RunWatchdog watchdog(clock, runner, models, o.maxRunTime);
    bool cutShort = false;
    const auto watch = [&] {
        if (cutShort)
            return;
        // A run that only a hand could end is ended now rather than at the bound; the series
        // goes on.
        for (MeasurementModel *m : models) {
            if (const QString why = m->endsOnlyByHand(); !why.isEmpty()) {
                writeErr(QStringLiteral("The %1 run was ended after %2 s: %3.")
                             .arg(modeName(m->runMode()))
                             .arg(watchdog.elapsed() / 1000)
                             .arg(why));
                m->stop();
                ++failedRuns;
            }
        }
        if (!watchdog.overdue())
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
        driver.setInterruption([] { return g_signal != 0; });
        runner.run(text);
        stalled = !driver.runToEnd(true) && g_signal == 0;
    } else {
        QTimer watchTimer;
        QObject::connect(&watchTimer, &QTimer::timeout, watch);
        watchTimer.start(100);
        QEventLoop loop;
        // The tick at work when the signal came ends first: the loop is quit between events.
        QSocketNotifier wake(wakeFd, QSocketNotifier::Read);
        wake.setEnabled(wakeFd >= 0);
        QObject::connect(&wake, &QSocketNotifier::activated, &loop, [&loop] { loop.quit(); });
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
    const int stopSignal = g_signal;
    if (stopSignal != 0 && runner.isRunning())
        runner.stop();
    ws.shutdown();
    if (stopSignal != 0) {
        writeErr(
            QStringLiteral("Interrupted by %1.")
                .arg(stopSignal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM")));
        if (sim::SimRig *rig = ws.rig()) {
            rig->sync();
            const sim::SimRotator &rotor = rig->rotator();
            writeErr(rig->generator().running() ? QStringLiteral("generator: running")
                                                : QStringLiteral("generator: stopped"));
            writeErr(
                QStringLiteral("rotator: %1 rpm")
                    .arg(rotor.powered() ? sim::SimRotator::settledRpm(rotor.voltage()) : 0.0));
        }
    }

    // The tracks are saved also when the run ended early.
    int status = outcome == MacroRunner::SyntaxError                                       ? 2
                 : outcome == MacroRunner::Failed || stalled || cutShort || failedRuns > 0 ? 1
                                                                                           : 0;
    if (!o.out.isEmpty()) {
        const FileWriteResult r = writeTrackFile(app.store, o.out, '.');
        if (!r.ok) {
            writeErr(QStringLiteral("%1: %2").arg(o.out, r.error));
            status = std::max(status, 1);
        } else if (recorder) {
            recorder->discard(); // everything is saved
        }
    }
    if (failedRuns > 0)
        writeErr(failedRuns == 1
                     ? QStringLiteral("1 measurement failed or was cut short.")
                     : QStringLiteral("%1 measurements failed or were cut short.").arg(failedRuns));
    // The shell's convention: 128 plus the signal's number.
    return stopSignal != 0 ? 128 + stopSignal : status;
}

} // namespace

TERVO_TOOL_COMMAND(run,
                   "  run MACRO.tvm [--fast] [--out RESULT.tvd] [--settings-dir DIR] [--hardware]\n"
                   "                [--fault NAME]... [--max-run-time SECONDS]\n"
                   "                         Run a macro without a display, printing each line.\n"
                   "                         --fast runs the simulated clock as fast as it can.\n"
                   "                         --fault switches on a failure of the simulated rig:\n"
                   "                         analog-open, analog-stops, analog-nan, serial-gone,\n"
                   "                         gpib-timeout or rotator-stalls; NAME@5s switches it\n"
                   "                         on after 5 s of the run. analog-nan reads through\n"
                   "                         the PCI card, serial-gone sends through the serial\n"
                   "                         converter.\n"
                   "                         --max-run-time stops the series as Stop does once it\n"
                   "                         has run that long (default: its programmed length\n"
                   "                         and a margin). A run that only Stop could end (by\n"
                   "                         button, a step whose charge runs away from its\n"
                   "                         limit, a rotation-rate run in method 0 held below\n"
                   "                         its limit, a window without a function generator)\n"
                   "                         is ended at once with a message; the series goes on.\n"
                   "                         Exit 0 when every measurement ran to its end; 1 when\n"
                   "                         one failed or was cut short (the last line on stderr\n"
                   "                         counts them); 2 for a macro syntax error. SIGINT or\n"
                   "                         SIGTERM ends the point at work, stops generator and\n"
                   "                         rotator, writes --out with the partial run and exits\n"
                   "                         130 or 143.\n",
                   runMacro);

} // namespace tervo::tool
