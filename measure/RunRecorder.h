#pragma once

#include "MeasureContext.h"
#include "tracks/Recovery.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace tervo {

class MeasurementModel;
class MultipotentiostatModel;

// Keeps what a crash would take on the disk: every finished run rewrites the recovery track file
// with the tracks changed since the last save or load, and the points of the run in progress go
// to the journal at least once a second. A save or load of the store starts afresh.
class RunRecorder : public QObject {
    Q_OBJECT
public:
    RunRecorder(MeasureContext &context, QString folder, QObject *parent = nullptr);

    void watch(MeasurementModel &model);
    // Journals the new points of the running measurement now (the timer does it twice a second).
    void flush();
    // Rewrites the recovery track file from the store as it is now.
    void writeRecovery();
    // A normal end of the program: nothing needs recovering any more.
    void discard();
    // At start-up: what an abnormal end left behind is offered back; a declined offer is set
    // aside, not deleted. When abandoned says true after the question (the program is being
    // ended), the answer is not acted on and the files stay as they are. True when something was
    // restored.
    bool offerRecovery(Prompts &prompts, const std::function<bool()> &abandoned = {});
    // The store as it is now counts as saved (after a save, a load or start-up).
    void takeBaseline();

    QString recoveryPath() const;
    QString journalPath() const;
    // The last failure to write a recovery file, for the operator; empty when none.
    QString lastError() const { return m_error; }

private:
    void checkSaved();
    void runStored();
    void flushChannels(MultipotentiostatModel &running);

    MeasureContext &m_context;
    QString m_folder;
    std::vector<MeasurementModel *> m_models;
    TrackSnapshot m_saved;
    std::uint64_t m_generation = 0;
    RunJournalWriter m_journal;
    MeasurementModel *m_journaled = nullptr;
    QTimer m_timer;
    QString m_error;
};

} // namespace tervo
