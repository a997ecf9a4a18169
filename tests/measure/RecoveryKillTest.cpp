// Killed without warning, the program still leaves every finished run and all but the last
// second of the run in progress on the disk, and a save never damages the old file.
#include "MeasureRig.h"
#include "measure/CVModel.h"
#include "measure/RunRecorder.h"
#include "tracks/Recovery.h"

#include <QFileInfo>

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// Starts the child and reads its lines until one starts with prefix and carries at least
// `atLeast`; returns that number, then kills the child with SIGKILL.
int killWhen(const QString &mode, const QString &where, const QByteArray &prefix, int atLeast,
             int signal = SIGKILL)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(TERVO_BIN_DIR "/recovery-child"), {mode, where});
    int seen = -1;
    while (seen < atLeast && child.waitForReadyRead(30000)) {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith(prefix))
                seen = line.mid(prefix.size()).toInt();
        }
    }
    ::kill(static_cast<pid_t>(child.processId()), signal);
    child.waitForFinished(10000);
    if (signal != SIGKILL && !child.readAll().contains("closed"))
        return -1;
    return seen;
}

} // namespace

TEST(RecoveryKill, RunInProgressIsRecoveredUpToItsLastSecond)
{
    QTemporaryDir dir;
    const int seen = killWhen(QStringLiteral("run"), dir.path(), "points ", 150);
    ASSERT_GE(seen, 150);
    const RecoveryReport report = readRecovery(dir.path());
    EXPECT_TRUE(report.trackNumbers.empty());
    EXPECT_EQ(report.run.mode, ModeCV);
    EXPECT_EQ(report.run.title, QStringLiteral("killed run"));
    // 50 points a second; the journal is at most a second behind what the child printed.
    EXPECT_GE(static_cast<int>(report.run.points.size()), seen - 50 - 5);
    EXPECT_LE(static_cast<int>(report.run.points.size()), seen + 5);
    EXPECT_EQ(report.summary(),
              QStringLiteral("A CV run of %1 points was not saved").arg(report.run.points.size()));
}

TEST(RecoveryKill, FinishedRunSurvivesBetweenRuns)
{
    QTemporaryDir dir;
    const int pnum = killWhen(QStringLiteral("finished"), dir.path(), "stored ", 1);
    ASSERT_GT(pnum, 100);
    const RecoveryReport report = readRecovery(dir.path());
    ASSERT_EQ(report.trackNumbers, std::vector<int>{0});
    EXPECT_EQ((*report.tracks)[0].pnum, pnum);
    EXPECT_EQ((*report.tracks)[0].Title, QStringLiteral("killed run"));
    EXPECT_TRUE(report.run.points.empty());
}

TEST(RecoveryKill, SaveKilledMidwayLeavesAWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("work.tvd"));
    const int saved = killWhen(QStringLiteral("save"), path, "saved ", 3);
    ASSERT_GE(saved, 3);
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, path).ok());
    const int version = (*store)[0].Title.mid(8).toInt();
    EXPECT_GE(version, saved);
    EXPECT_LE(version, saved + 1);
    EXPECT_EQ((*store)[20].pnum, kMaxPoints);
}

TEST(RecoveryKill, TerminationStoresTheRunningMeasurementAsATrack)
{
    QTemporaryDir dir;
    const int seen = killWhen(QStringLiteral("run"), dir.path(), "points ", 60, SIGTERM);
    ASSERT_GE(seen, 60);
    const RecoveryReport report = readRecovery(dir.path());
    ASSERT_EQ(report.trackNumbers, std::vector<int>{0});
    EXPECT_GE((*report.tracks)[0].pnum, seen);
    EXPECT_EQ((*report.tracks)[0].Mode, ModeCV);
}

TEST(RecoveryKill, StartUpOffersWhatWasLeftAndSetsADeclinedOfferAside)
{
    for (const bool yes : {true, false}) {
        MeasureRig r;
        auto left = std::make_unique<TrackStore>();
        (*left)[2].Mode = ModeRDE;
        (*left)[2].Title = QStringLiteral("unsaved");
        ASSERT_TRUE(
            writeRecoveryTracks(*left, {2}, r.dir.filePath(QString::fromLatin1(kRecoveryFileName)))
                .ok);
        RunRecorder recorder(*r.context, r.dir.path());
        r.prompts.yesNoAnswers = {yes};
        EXPECT_EQ(recorder.offerRecovery(r.prompts), yes);
        ASSERT_EQ(r.prompts.questions.size(), 1);
        EXPECT_EQ(r.prompts.questions[0], QStringLiteral("1 track was not saved. Restore them?"));
        EXPECT_EQ(r.app->store[2].Title, yes ? QStringLiteral("unsaved") : QString());
        // Restored tracks are still unsaved, so they stay in the recovery file.
        EXPECT_EQ(readRecovery(r.dir.path()).trackNumbers.size(), yes ? 1u : 0u);
        // Set aside under the time of the offer.
        EXPECT_EQ(QFileInfo::exists(r.dir.filePath(QStringLiteral("recovery-20261207-103000.tvd"))),
                  !yes);
    }
}

// A run cut off mid-way comes back with the header it would have been stored with.
TEST(RecoveryKill, InterruptedRunKeepsTheHeaderItWouldHaveBeenStoredWith)
{
    MeasureRig r;
    r.useCard(false);
    r.context->cellFacts = [] { return std::optional<CellFacts>(CellFacts{1.2e-6, 0.196, 4}); };
    CVModel m(*r.context);
    RunRecorder recorder(*r.context, r.dir.path());
    recorder.watch(m);
    m.setTimerDriven(false);
    ASSERT_TRUE(m.open());
    m.SetVoltage(0.6, -0.2, 0.6);
    double rate = 50;
    m.scanrate(rate);
    std::int32_t retain = 0;
    m.RetainTime(retain);
    m.SamplingRate(50);
    m.Accumlation(1);
    QString rpm = QStringLiteral("400");
    m.rpm(rpm);
    m.StartMeasurement();
    r.ticks(m, 60);
    recorder.flush();
    const RecoveryReport report = readRecovery(r.dir.path());
    auto restored = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        restored->ClearTrack(t);
    ASSERT_EQ(restoreRecovery(report, *restored), std::vector<int>{0});

    m.stop();
    r.ticks(m, 1);
    const TrackHeader &stored = r.app->store[0];
    const TrackHeader &back = (*restored)[0];
    ASSERT_EQ(stored.Mode, ModeCV);
    EXPECT_EQ(back.Mode, stored.Mode);
    EXPECT_EQ(back.Scanrate, stored.Scanrate);
    EXPECT_EQ(back.V1st, stored.V1st);
    EXPECT_EQ(back.V2nd, stored.V2nd);
    EXPECT_EQ(back.V3rd, stored.V3rd);
    EXPECT_EQ(back.RPM, 400);
    EXPECT_EQ(back.RPM, stored.RPM);
    EXPECT_EQ(back.Conc, 1.2e-6);
    EXPECT_EQ(back.Area, stored.Area);
    EXPECT_EQ(back.ne, stored.ne);
    EXPECT_EQ(back.ref, stored.ref);
    EXPECT_EQ(back.DiskYscale, stored.DiskYscale);
}
