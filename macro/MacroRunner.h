#pragma once

#include "MacroLanguage.h"
#include "MacroTargets.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tervo {

class AppState;
class Instruments;
class SoundPlayer;
class MeasurementModel;
class CVModel;
class RDEModel;
class PSModel;
class RPMvsjModel;
class SSVModel;

// What a macro drives. Models left null are windows this program does not have.
struct MacroEnvironment {
    AppState &app;
    Instruments &instruments;
    SoundPlayer &sound;
    CVModel *cv = nullptr;
    CVModel *cvf = nullptr; // the second, independent cyclic-voltammetry window
    RDEModel *rde = nullptr;
    PSModel *ps = nullptr;
    RPMvsjModel *rpmvsi = nullptr;
    SSVModel *ssv = nullptr;
    MailSender *mail = nullptr;
    // Showing and closing a measurement window. Without a display only the model is opened
    // and closed.
    std::function<void(MeasurementModel &)> showWindow;
    std::function<void(MeasurementModel &)> closeWindow;
    // Shows the power window at Run when power control is configured.
    std::function<void()> showPower;
};

// Runs a macro line by line. It handles lines while no measurement (and no Wait, and no
// Mail.Send) is running and otherwise waits for the end of it: the measurement windows' signals,
// the Wait timer and, for windows it does not watch and for mail, a slow poll wake it; it never
// spins. A display-less driver can
// instead call poll() and waitTick() itself (setTimerDriven(false)).
class MacroRunner : public QObject {
    Q_OBJECT
public:
    enum Outcome {
        Completed,   // the last line was handled
        Stopped,     // Stop
        SyntaxError, // a line the language rejects (message shown)
        Failed,      // a mail error or a command for a window this program lacks
    };
    // Wait countdown step, and the poll for running flags of windows not watched.
    static constexpr int kWaitTickMs = 100;
    static constexpr int kPollMs = 20;

    explicit MacroRunner(MacroEnvironment env, QObject *parent = nullptr);
    ~MacroRunner() override;

    // Run: false while a run is in progress. The first lines are handled before it returns.
    bool run(const QString &text);
    // Stop: a pending Wait ends (also one the run's last line left), the rotator goes to 0 rpm
    // and the run ends.
    void stop();
    void setDebugMode(bool on) { m_debug = on; }
    // The folder of the macro's file, against which File.Save resolves a relative name; empty
    // for a macro not yet saved.
    void setMacroFolder(const QString &folder) { m_folder = folder; }
    QString macroFolder() const { return m_folder; }
    bool debugMode() const { return m_debug; }

    bool isRunning() const { return m_running; }
    // Index of the line handled last (0-based).
    int currentLine() const { return m_index - 1; }
    QString status() const { return m_status; }
    // What the last Run reported besides its status: each track a measurement replaced, and the
    // windows' notices about the runs it started.
    const QStringList &log() const { return m_log; }
    const MailMessage &mail() const { return m_mail; }

    // Without timers a driver calls poll() whenever a measurement may have ended and
    // waitTick() once the clock has reached waitDeadline().
    void setTimerDriven(bool driven);
    void poll() { advance(); }
    bool waiting() const { return m_inWait; }
    std::uint32_t waitDeadline() const;
    void waitTick();
    // A Mail.Send goes on off the interface thread; the run waits for it, Stop does not.
    bool mailPending() const { return m_mailJob != nullptr; }
    // Blocks until the pending Mail.Send has ended (for a display-less driver).
    void waitForMail();

signals:
    // A line is about to be handled.
    void lineStarted(int index, const QString &text);
    void statusChanged(const QString &status);
    // A line for the macro log.
    void logged(const QString &line);
    void runningChanged(bool running);
    void finished(int outcome, const QString &message);

private:
    void advance();
    void requestAdvance();
    void handleLine(int index);
    void handleCV(CVModel &m, const MacroLine &l);
    void handleRDE(RDEModel &m, const MacroLine &l);
    void handlePS(PSModel &m, const MacroLine &l);
    void handleRPMvsi(RPMvsjModel &m, const MacroLine &l);
    void handleSSV(SSVModel &m, const MacroLine &l);
    void handleGeneral(const MacroLine &l);
    // MeasureMode / END / Start; false when the line is done.
    bool prepare(MeasurementModel &m, const MacroLine &l);
    // A macro names its tracks, so they are replaced without a question, but not unseen.
    void logReplaced(const QList<int> &tracks);
    void startWait(std::int32_t ms);
    void scheduleWaitTick();
    void sendMail();
    void saveTracks(const QString &name);
    // False while the pending Mail.Send goes on; true once it is done with or there is none.
    bool collectMail();
    void abandonMail();
    void setStatus(const QString &text);
    void finish(Outcome outcome, const QString &message = QString());
    void fail(const QString &message, bool show);

    MacroEnvironment m_env;
    bool m_timerDriven = true;
    bool m_debug = false;
    QString m_folder;
    bool m_stop = false;
    bool m_running = false;
    bool m_inAdvance = false;
    bool m_advanceQueued = false;
    QStringList m_lines;
    int m_index = 0;
    MailMessage m_mail;
    QString m_status;
    QStringList m_log;
    void appendLog(const QString &line);
    MeasurementModel *m_started = nullptr; // the window whose run the macro started last

    QTimer m_waitTimer; // Timer1
    bool m_inWait = false;
    std::uint32_t m_waitStart = 0;
    std::int32_t m_waitLength = 0;
    QTimer m_pollTimer;

    struct MailJob;
    std::unique_ptr<MailJob> m_mailJob;
    // Sends given up by Stop, told to end and joined once they have.
    std::vector<std::unique_ptr<MailJob>> m_abandonedMail;
};

} // namespace tervo
