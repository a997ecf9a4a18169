#include "MacroRunner.h"

#include "core/FileBackup.h"
#include "core/NumberFormat.h"
#include "devices/Instruments.h"
#include "measure/CVModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/SSVModel.h"
#include "state/AppState.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <thread>

namespace tervo {

MacroRunner::MacroRunner(MacroEnvironment env, QObject *parent)
    : QObject(parent), m_env(std::move(env))
{
    if (!m_env.showWindow)
        m_env.showWindow = [](MeasurementModel &m) {
            if (!m.isOpen())
                m.open();
        };
    if (!m_env.closeWindow)
        m_env.closeWindow = [](MeasurementModel &m) { m.closeWindow(); };
    m_waitTimer.setSingleShot(true);
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_waitTimer, &QTimer::timeout, this, &MacroRunner::waitTick);
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &MacroRunner::advance);
    // Every tick and the end of a run signal a change; the end of a measurement is seen at once.
    for (MeasurementModel *m : std::initializer_list<MeasurementModel *>{
             m_env.cv, m_env.cvf, m_env.rde, m_env.ps, m_env.rpmvsi, m_env.ssv})
        if (m) {
            connect(m, &MeasurementModel::changed, this, &MacroRunner::requestAdvance);
            // A run a macro started may end after the macro did.
            connect(m, &MeasurementModel::notice, this, [this, m](const QString &text) {
                if (m_running || (m == m_started && m->state() == MeasurementModel::Measuring))
                    appendLog(text);
            });
        }
}

struct MacroRunner::MailJob {
    std::atomic<bool> done{false};
    bool ok = false;
    QString error;
    std::jthread thread; // last: told to stop and joined before the rest goes
};

MacroRunner::~MacroRunner() = default;

void MacroRunner::setTimerDriven(bool driven)
{
    m_timerDriven = driven;
    if (!driven) {
        m_waitTimer.stop();
        m_pollTimer.stop();
    } else if (m_inWait) {
        scheduleWaitTick();
    }
}

bool MacroRunner::run(const QString &text)
{
    if (m_running)
        return false;
    Settings &s = m_env.app.settings;
    // Board trouble is reported but does not stop the run.
    if (s.DABoard > 0 && m_env.instruments.DAOpen() != 0)
        m_env.app.prompts.message(QStringLiteral("DA Board Trouble!"));
    if (s.GPIBControl > 0 && m_env.instruments.GPIBInit() != 0)
        m_env.app.prompts.message(QStringLiteral("GPIB Trouble!"));
    if (s.PowerControl >= 1 && m_env.showPower)
        m_env.showPower();
    m_stop = false;
    m_running = true;
    m_lines = splitMacroLines(text);
    m_index = 0;
    m_mail = MailMessage();
    m_log.clear();
    m_started = nullptr;
    emit runningChanged(true);
    advance();
    return true;
}

void MacroRunner::stop()
{
    if (m_inWait) {
        m_waitTimer.stop();
        m_inWait = false;
        m_env.app.MeasurementRunning = false;
        // A Wait on the last line outlives its run; there is no loop left to stop the rotator.
        if (!m_running) {
            std::int32_t zero = 0;
            m_env.instruments.RpmSet(zero);
        }
    }
    if (!m_running)
        return;
    m_stop = true;
    advance();
}

void MacroRunner::requestAdvance()
{
    // Queued: a model signals from inside its own tick, which must end before the next line
    // may start or close that window.
    if (!m_running || !m_timerDriven || m_inWait || m_advanceQueued)
        return;
    m_advanceQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_advanceQueued = false;
            advance();
        },
        Qt::QueuedConnection);
}

void MacroRunner::advance()
{
    if (!m_running || m_inAdvance)
        return;
    m_inAdvance = true;
    while (m_running) {
        // Stop ends the run before another line is handled.
        if (m_stop) {
            abandonMail();
            std::int32_t zero = 0;
            m_env.instruments.RpmSet(zero);
            finish(Stopped);
            break;
        }
        if (!collectMail())
            break;
        if (m_env.app.MeasurementRunning) {
            if (m_timerDriven && !m_inWait && !m_pollTimer.isActive())
                m_pollTimer.start();
            break;
        }
        m_pollTimer.stop();
        if (m_index >= m_lines.size()) {
            finish(Completed);
            break;
        }
        handleLine(m_index++);
        // The run ends as soon as its last line has been handled, even when that line started
        // a measurement: the measurement finishes on its own.
        if (m_running && !m_stop && !m_mailJob && m_index >= m_lines.size()) {
            finish(Completed);
            break;
        }
    }
    m_inAdvance = false;
}

void MacroRunner::handleLine(int index)
{
    emit lineStarted(index, m_lines[index]);
    const MacroLine l = parseMacroLine(m_lines[index], index + 1);
    if (l.kind == MacroLine::Skip)
        return;
    if (l.kind == MacroLine::Error) {
        m_env.app.prompts.message(l.error);
        setStatus(l.error);
        finish(SyntaxError, l.error);
        return;
    }
    // Debug mode fills in every parameter but measures, waits, turns and switches nothing.
    if (l.command->acts && m_debug)
        return;
    const auto missing = [&] {
        fail(QStringLiteral("%1line No window for %2").arg(index + 1).arg(l.command->name), true);
    };
    switch (l.command->target) {
    case MacroTarget::CV:
    case MacroTarget::CVF:
        if (CVModel *m = l.command->target == MacroTarget::CV ? m_env.cv : m_env.cvf)
            handleCV(*m, l);
        else
            missing();
        break;
    case MacroTarget::RDE:
        if (m_env.rde)
            handleRDE(*m_env.rde, l);
        else
            missing();
        break;
    case MacroTarget::PS:
        if (m_env.ps)
            handlePS(*m_env.ps, l);
        else
            missing();
        break;
    case MacroTarget::RPMvsi:
        if (m_env.rpmvsi)
            handleRPMvsi(*m_env.rpmvsi, l);
        else
            missing();
        break;
    case MacroTarget::SSV:
        if (m_env.ssv)
            handleSSV(*m_env.ssv, l);
        else
            fail(QStringLiteral("%1line The steady-state voltammetry window is not available:%2")
                     .arg(index + 1)
                     .arg(l.command->name),
                 true);
        break;
    case MacroTarget::General:
        handleGeneral(l);
        break;
    }
}

bool MacroRunner::prepare(MeasurementModel &m, const MacroLine &l)
{
    if (l.command->op == MacroOp::Start)
        m_started = &m;
    switch (l.command->op) {
    case MacroOp::MeasureMode:
        m_env.showWindow(m);
        return false;
    case MacroOp::End:
        m_env.closeWindow(m);
        return false;
    case MacroOp::Start:
        logReplaced(m.start());
        return false;
    default:
        // Every operation loads a window that is not open itself; loading it here as well would
        // show a board failure twice.
        return true;
    }
}

namespace {

std::int32_t asLong(double v)
{
    return static_cast<std::int32_t>(v);
}

// Operations every measurement model shares (the language gives each window only its own).
bool handleShared(MeasurementModel &m, const MacroLine &l)
{
    switch (l.command->op) {
    case MacroOp::RecordTrack: {
        std::int32_t track = asLong(l.numbers[0]);
        m.SelTrack(track);
        return true;
    }
    case MacroOp::Title:
        m.Title(l.text);
        return true;
    case MacroOp::Rpm: {
        QString text = l.text;
        m.rpm(text);
        return true;
    }
    case MacroOp::RetainTime: {
        std::int32_t s = asLong(l.numbers[0]);
        m.RetainTime(s);
        return true;
    }
    case MacroOp::SamplingRate:
        m.SamplingRate(l.numbers[0]);
        return true;
    case MacroOp::Accumlation:
        m.Accumlation(asLong(l.numbers[0]));
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// Operations the two sweep windows (CV and ring-disk) share.
template <class Sweep> bool handleSweep(Sweep &m, const MacroLine &l)
{
    const auto &n = l.numbers;
    switch (l.command->op) {
    case MacroOp::DiskScale: {
        double scale = n[0];
        m.DiskScale(scale);
        return true;
    }
    case MacroOp::Voltage:
        m.SetVoltage(n[0], n[1], n[2]);
        return true;
    case MacroOp::Scanrate: {
        double rate = n[0];
        m.scanrate(rate);
        return true;
    }
    case MacroOp::Repeat: {
        std::int32_t cycles = asLong(n[0]);
        m.Repeat(cycles);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

void MacroRunner::handleCV(CVModel &m, const MacroLine &l)
{
    if (!prepare(m, l) || handleShared(m, l) || handleSweep(m, l))
        return;
    if (l.command->op == MacroOp::Setting) {
        QString text = l.text;
        m.SettingNum(text);
    }
}

void MacroRunner::handleRDE(RDEModel &m, const MacroLine &l)
{
    if (!prepare(m, l) || handleShared(m, l) || handleSweep(m, l))
        return;
    if (l.command->op == MacroOp::RingScale) {
        double scale = l.numbers[0];
        m.RingScale(scale);
    }
}

void MacroRunner::handlePS(PSModel &m, const MacroLine &l)
{
    if (!prepare(m, l) || handleShared(m, l))
        return;
    const auto &n = l.numbers;
    switch (l.command->op) {
    case MacroOp::DiskScale: {
        double scale = n[0];
        m.DiskScale(scale);
        break;
    }
    case MacroOp::Voltage:
        m.SetVoltage(n[0], n[1]);
        break;
    case MacroOp::MeasureMethod: {
        auto mode = static_cast<std::int16_t>(n[0]);
        m.MeasMode(mode);
        break;
    }
    case MacroOp::Coulomb: {
        double c = n[0];
        m.CoulombNumber(c);
        break;
    }
    case MacroOp::MeasureTime: {
        std::int32_t s = asLong(n[0]);
        m.MeasureTime(s);
        break;
    }
    case MacroOp::InitSamplingRate:
        m.InitSamplingRate(n[0]);
        break;
    default:
        break;
    }
}

void MacroRunner::handleRPMvsi(RPMvsjModel &m, const MacroLine &l)
{
    if (!prepare(m, l) || handleShared(m, l))
        return;
    const auto &n = l.numbers;
    switch (l.command->op) {
    case MacroOp::DiskScale:
        m.DiskScale(n[0]);
        break;
    case MacroOp::RateMethod:
        m.AppliedMeasuremode(asLong(n[0]));
        break;
    case MacroOp::Potential:
        m.Potential(n[0]);
        break;
    case MacroOp::RateSweep:
        m.SetRPMParameters(n[0], n[1], n[2]);
        break;
    default:
        break;
    }
}

void MacroRunner::handleSSV(SSVModel &m, const MacroLine &l)
{
    if (!prepare(m, l))
        return;
    // Every numeric argument of a steady-state line is a double, kept in place by the model.
    double v = l.numbers.empty() ? 0 : l.numbers[0];
    switch (l.command->op) {
    case MacroOp::RecordTrack:
        m.SelTrack(v);
        break;
    case MacroOp::DiskScale:
        m.DiskScale(v);
        break;
    case MacroOp::RingScale:
        m.RingScale(v);
        break;
    case MacroOp::Title:
        m.Title(l.text);
        break;
    case MacroOp::Rpm: {
        QString text = formatGeneral(v);
        m.rpm(text);
        break;
    }
    case MacroOp::Voltage:
        m.SetVoltage(l.numbers[0], l.numbers[1]);
        break;
    case MacroOp::Acceleratemode:
        m.SetAcceleratemode(v);
        break;
    case MacroOp::CurrentTolerance:
        m.CurrentTolerance(v);
        break;
    case MacroOp::SkipMode:
        m.SetSkipMode(v);
        break;
    case MacroOp::AppliedCurrent:
        m.AppliedCurrent(v);
        break;
    case MacroOp::VoltStep:
        m.VoltStep(v);
        break;
    case MacroOp::StepTime:
        m.StepTime(v);
        break;
    case MacroOp::Segment:
        m.Segment(v);
        break;
    case MacroOp::SamplingRate:
        m.SamplingRate(v);
        break;
    case MacroOp::Accumlation:
        m.Accumlation(v);
        break;
    case MacroOp::SendtoClip:
        m.SetSendtoClip(v);
        break;
    case MacroOp::MinTime:
        m.MinTime(v);
        break;
    case MacroOp::RecordNextTrack:
        m.RecordNextTrack(v);
        break;
    default:
        break;
    }
}

void MacroRunner::logReplaced(const QList<int> &tracks)
{
    // The run has not stored yet: the tracks still show what it replaces.
    for (int t : tracks) {
        const QString line = QStringLiteral("Line %1: %2; its run replaces it.")
                                 .arg(m_index)
                                 .arg(occupiedTrackText(m_env.app.store, t));
        appendLog(line);
    }
}

void MacroRunner::handleGeneral(const MacroLine &l)
{
    const auto &n = l.numbers;
    switch (l.command->op) {
    case MacroOp::SetPotential:
        m_env.instruments.FGProgramSweep(1, {n[0], n[0], n[0]}, 10.0, 10);
        break;
    case MacroOp::Sound:
        m_env.sound.play(l.text);
        break;
    case MacroOp::Wait:
        startWait(asLong(n[0]));
        break;
    case MacroOp::MotorOn: {
        std::int32_t rpm = asLong(n[0]);
        m_env.instruments.RpmSet(rpm);
        break;
    }
    case MacroOp::MotorOff: {
        std::int32_t zero = 0;
        m_env.instruments.RpmSet(zero);
        break;
    }
    case MacroOp::Power: {
        auto on = static_cast<std::uint8_t>(n[1]);
        m_env.instruments.power().Power(static_cast<std::int16_t>(n[0]), on);
        break;
    }
    case MacroOp::MailDisplayName:
        m_mail.displayName = l.text;
        break;
    case MacroOp::MailAddress:
        m_mail.address = l.text;
        break;
    case MacroOp::MailSubject:
        m_mail.subject = l.text;
        break;
    case MacroOp::MailMsgNote:
        m_mail.note = l.text;
        break;
    case MacroOp::MailSend:
        sendMail();
        break;
    case MacroOp::FileSave:
        saveTracks(l.text);
        break;
    default:
        break;
    }
}

void MacroRunner::saveTracks(const QString &name)
{
    const int line = m_index; // handleLine has moved on to the next index
    const auto failed = [&](const QString &why) {
        fail(QStringLiteral("%1line File.Save failed: %2").arg(line).arg(why), true);
    };
    if (name.isEmpty())
        return failed(QStringLiteral("no file name"));
    if (QDir::isRelativePath(name) && m_folder.isEmpty())
        return failed(QStringLiteral("%1 is relative to the macro's folder, and the macro has "
                                     "not been saved to a file yet")
                          .arg(name));
    const QString path = QDir::cleanPath(QDir(m_folder).absoluteFilePath(name));
    // An overnight series should not end for want of its results folder.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return failed(QStringLiteral("the folder of %1 cannot be made").arg(path));
    if (const FileWriteResult kept = keepBackup(path, path + QStringLiteral(".bak")); !kept.ok)
        return failed(kept.error);
    const FileWriteResult r = writeTrackFile(m_env.app.store, path,
                                             static_cast<char>(localeDecimalSeparator().unicode()));
    if (!r.ok)
        return failed(r.error);
    m_env.app.store.markSaved();
    appendLog(QStringLiteral("Line %1: the tracks were saved to %2.").arg(line).arg(path));
}

void MacroRunner::sendMail()
{
    if (!m_env.mail) {
        fail(QStringLiteral("Mail.Send failed: no mail server is set up"), false);
        return;
    }
    std::erase_if(m_abandonedMail, [](const std::unique_ptr<MailJob> &j) {
        return j->done.load(std::memory_order_acquire);
    });
    // A slow or hung server must not freeze the window: the sending goes on a thread of its
    // own, and the run waits for it as it waits for a measurement.
    auto job = std::make_unique<MailJob>();
    MailJob *j = job.get();
    j->thread = std::jthread([j, send = m_env.mail->delivery(m_mail)](std::stop_token stop) {
        j->ok = send(j->error, stop);
        j->done.store(true, std::memory_order_release);
    });
    m_mailJob = std::move(job);
}

bool MacroRunner::collectMail()
{
    if (!m_mailJob)
        return true;
    if (!m_mailJob->done.load(std::memory_order_acquire)) {
        if (m_timerDriven && !m_pollTimer.isActive())
            m_pollTimer.start();
        return false;
    }
    const std::unique_ptr<MailJob> job = std::move(m_mailJob);
    if (job->thread.joinable())
        job->thread.join();
    if (job->ok)
        return true;
    // A lost notification must not pass unnoticed: the status says why the run ended.
    fail(QStringLiteral("Mail.Send failed: ") + job->error, false);
    return false;
}

void MacroRunner::abandonMail()
{
    if (!m_mailJob)
        return;
    m_mailJob->thread.request_stop();
    m_abandonedMail.push_back(std::move(m_mailJob));
}

void MacroRunner::waitForMail()
{
    if (m_mailJob && m_mailJob->thread.joinable())
        m_mailJob->thread.join();
}

void MacroRunner::startWait(std::int32_t ms)
{
    m_waitLength = ms;
    m_waitStart = m_env.app.clock.tickCount();
    m_env.app.MeasurementRunning = true;
    m_inWait = true;
    if (m_timerDriven)
        scheduleWaitTick();
}

std::uint32_t MacroRunner::waitDeadline() const
{
    return m_waitStart + static_cast<std::uint32_t>(std::max(0, m_waitLength)) + 1;
}

void MacroRunner::scheduleWaitTick()
{
    const std::int64_t elapsed = elapsedMs(m_waitStart, m_env.app.clock.tickCount());
    const std::int64_t toEnd = static_cast<std::int64_t>(m_waitLength) - elapsed + 1;
    m_waitTimer.start(static_cast<int>(std::clamp<std::int64_t>(toEnd, 0, kWaitTickMs)));
}

void MacroRunner::waitTick()
{
    if (!m_inWait)
        return;
    const std::uint32_t elapsed = elapsedMs(m_waitStart, m_env.app.clock.tickCount());
    const bool over = static_cast<std::int64_t>(elapsed) > m_waitLength;
    if (over) {
        m_env.app.MeasurementRunning = false;
        m_inWait = false;
    }
    setStatus(QString::number(static_cast<std::int64_t>(m_waitLength) - elapsed) +
              QStringLiteral("remain"));
    if (over)
        advance();
    else if (m_timerDriven)
        scheduleWaitTick();
}

void MacroRunner::appendLog(const QString &line)
{
    m_log << line;
    emit logged(line);
}

void MacroRunner::setStatus(const QString &text)
{
    m_status = text;
    emit statusChanged(text);
}

void MacroRunner::fail(const QString &message, bool show)
{
    if (show)
        m_env.app.prompts.message(message);
    setStatus(message);
    finish(Failed, message);
}

void MacroRunner::finish(Outcome outcome, const QString &message)
{
    m_running = false;
    m_pollTimer.stop();
    emit runningChanged(false);
    emit finished(outcome, message);
}

} // namespace tervo
