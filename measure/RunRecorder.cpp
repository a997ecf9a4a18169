#include "RunRecorder.h"

#include "MeasurementModel.h"
#include "MultipotentiostatModel.h"
#include "core/DateText.h"

#include <QDir>

namespace tervo {

RunRecorder::RunRecorder(MeasureContext &context, QString folder, QObject *parent)
    : QObject(parent), m_context(context), m_folder(std::move(folder)),
      m_journal(QDir(m_folder).filePath(QString::fromLatin1(kJournalFileName)))
{
    // What the folder holds from an earlier, abnormal end stays until it was offered.
    m_saved.take(m_context.app.store);
    m_generation = m_context.app.store.saveGeneration();
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        checkSaved();
        flush();
    });
    m_timer.start();
}

QString RunRecorder::recoveryPath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(kRecoveryFileName));
}

QString RunRecorder::journalPath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(kJournalFileName));
}

void RunRecorder::watch(MeasurementModel &model)
{
    m_models.push_back(&model);
    connect(&model, &MeasurementModel::stored, this, [this] { runStored(); });
}

void RunRecorder::takeBaseline()
{
    m_saved.take(m_context.app.store);
    m_generation = m_context.app.store.saveGeneration();
    writeRecovery();
}

void RunRecorder::checkSaved()
{
    if (m_context.app.store.saveGeneration() != m_generation)
        takeBaseline();
}

void RunRecorder::flush()
{
    MeasurementModel *running = nullptr;
    for (MeasurementModel *m : m_models)
        if (m->state() == MeasurementModel::Measuring && m->isRecording())
            running = m;
    if (!running)
        return;
    // The multipotentiostat keeps its channels apart from the shared buffer.
    if (auto *multi = qobject_cast<MultipotentiostatModel *>(running)) {
        flushChannels(*multi);
        return;
    }
    if (m_journaled != running || !m_journal.isOpen()) {
        m_journaled = running;
        if (!m_journal.begin(running->runMode(), running->targetTrack(), running->titleField,
                             generalDateText(m_context.now())) ||
            (running->companionTrack() >= 0 &&
             !m_journal.setCompanion(running->companionTrack()))) {
            m_error = QStringLiteral("The run cannot be journalled to %1.").arg(journalPath());
            return;
        }
    }
    // Potentials known only once the run is under way (a potential step's) are written again.
    m_journal.writeHeader(running->runHeader());
    if (const auto *all = running->companionPoints()) {
        const int done = m_journal.companionWritten();
        const int count = std::min(static_cast<int>(all->size()), kMaxPoints) - done;
        if (count > 0)
            m_journal.appendCompanion(&(*all)[static_cast<std::size_t>(done)], count);
    }
    const int done = m_journal.written();
    // Only completed points: the point of the present tick may still be overwritten.
    const int count = std::min(running->pointCount(), kMaxPoints) - done;
    if (count > 0)
        m_journal.append(&m_context.app.AcquisitionBuffer[static_cast<std::size_t>(done)], count);
}

void RunRecorder::flushChannels(MultipotentiostatModel &running)
{
    using MM = MultipotentiostatModel;
    static_assert(MM::kChannels == kJournalChannels);
    if (m_journaled != &running || !m_journal.isOpen()) {
        m_journaled = &running;
        bool ok = m_journal.begin(ModeMulti, 0, running.fields().titles[0],
                                  generalDateText(m_context.now()));
        for (int k = 0; ok && k < MM::kChannels; ++k)
            ok = m_journal.setChannel(k, running.fields().titles[std::size_t(k)],
                                      running.scale(2 * k + 1));
        if (!ok) {
            m_error = QStringLiteral("The run cannot be journalled to %1.").arg(journalPath());
            return;
        }
    }
    const int done = m_journal.written();
    const int count = std::min(running.pointCount(), kMaxPoints) - done;
    if (count <= 0)
        return;
    std::vector<ChannelPoint> points(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        ChannelPoint &m = points[std::size_t(p)];
        m[0] = running.time(done + p) / 1000.0;
        for (int k = 0; k < MM::kChannels; ++k) {
            m[std::size_t(1 + 2 * k)] = running.point(k, done + p)[0];
            m[std::size_t(2 + 2 * k)] = running.point(k, done + p)[1];
        }
    }
    m_journal.appendChannels(points.data(), count);
}

void RunRecorder::runStored()
{
    checkSaved();
    writeRecovery();
    // The finished run is in the recovery track file now.
    m_journal.remove();
    m_journaled = nullptr;
}

void RunRecorder::writeRecovery()
{
    // A save since the last look makes the saved tracks no longer need recovering.
    if (m_context.app.store.saveGeneration() != m_generation) {
        m_saved.take(m_context.app.store);
        m_generation = m_context.app.store.saveGeneration();
    }
    const FileWriteResult r = writeRecoveryTracks(
        m_context.app.store, m_saved.changedTracks(m_context.app.store), recoveryPath());
    m_error = r.ok ? QString() : r.error;
}

bool RunRecorder::offerRecovery(Prompts &prompts, const std::function<bool()> &abandoned)
{
    const RecoveryReport report = readRecovery(m_folder);
    if (report.empty())
        return false;
    const bool restore = prompts.askYesNo(report.summary() + QStringLiteral(". Restore them?"));
    if (abandoned && abandoned())
        return false;
    if (!restore) {
        setRecoveryAside(m_folder, m_context.now());
        return false;
    }
    const std::vector<int> tracks = restoreRecovery(report, m_context.app.store);
    writeRecovery();
    // The interrupted run is a track of the recovery file now.
    m_journal.remove();
    if (!tracks.empty())
        m_context.showTrack(tracks.front());
    return true;
}

void RunRecorder::discard()
{
    m_journal.remove();
    m_journaled = nullptr;
    QFile::remove(recoveryPath());
}

} // namespace tervo
