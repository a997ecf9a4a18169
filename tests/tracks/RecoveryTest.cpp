#include "tracks/Recovery.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

std::unique_ptr<TrackStore> emptyStore()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    return s;
}

} // namespace

TEST(Recovery, SnapshotFindsChangedPointsTitlesAndKLChoices)
{
    auto s = emptyStore();
    (*s)[2].Mode = ModeCV;
    (*s)[2].pnum = 3;
    (*s)[5].Mode = ModeRDE;
    (*s)[9].Mode = ModeCV;
    TrackSnapshot snap;
    snap.take(*s);
    EXPECT_TRUE(snap.changedTracks(*s).empty());
    s->data(1, 2, 2) = 1e-6;               // a point
    (*s)[5].Title = QStringLiteral("new"); // a header field
    s->kl.KLUseFlag[9] = 1;                // a per-track choice saved with the file
    s->data(1, 2, 3) = 5;                  // beyond pnum: not part of the track
    EXPECT_EQ(snap.changedTracks(*s), (std::vector<int>{2, 5, 9}));
}

TEST(Recovery, JournalDropsATornOrDamagedRecordAndKeepsWhatCameBefore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j"));
    RunJournalWriter w(path);
    ASSERT_TRUE(w.begin(ModeRDE, 7, QStringLiteral("ORR\t1600 rpm"), QStringLiteral("7.12.2026")));
    const std::array<double, 3> pts[] = {{0.9, -1e-5, 2e-6}, {0.1 + 0.2, -1.0 / 3, 1e300}};
    ASSERT_TRUE(w.append(pts, 2));
    JournalRun run = readRunJournal(path);
    EXPECT_FALSE(run.damaged);
    EXPECT_EQ(run.mode, ModeRDE);
    EXPECT_EQ(run.track, 7);
    EXPECT_EQ(run.title, QStringLiteral("ORR\t1600 rpm"));
    ASSERT_EQ(run.points.size(), 2u);
    EXPECT_EQ(run.points[1], pts[1]); // exact round trip

    // A record cut off by the crash.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("P\t1\t2\t3\t0a");
    f.close();
    run = readRunJournal(path);
    EXPECT_TRUE(run.damaged);
    EXPECT_EQ(run.points.size(), 2u);

    // A changed digit inside a complete record ends the reading there.
    QByteArray bytes;
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    bytes = f.readAll();
    f.close();
    bytes.replace("0.9", "0.8");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    run = readRunJournal(path);
    EXPECT_TRUE(run.damaged);
    EXPECT_TRUE(run.points.empty());
}

TEST(Recovery, RestorePutsTracksAndTheInterruptedRunBack)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    (*s)[3].Mode = ModeRDE;
    (*s)[3].pnum = 2;
    s->data(2, 3, 1) = 4e-6;
    (*s)[4].Mode = ModeCV;
    ASSERT_TRUE(
        writeRecoveryTracks(*s, {3, 4}, dir.filePath(QString::fromLatin1(kRecoveryFileName))).ok);
    RunJournalWriter w(dir.filePath(QString::fromLatin1(kJournalFileName)));
    ASSERT_TRUE(w.begin(ModePS, 6, QStringLiteral("step"), QString()));
    const std::array<double, 3> pts[] = {{0, 1e-3, 0}, {1500, 2e-4, 0}};
    ASSERT_TRUE(w.append(pts, 2));

    const RecoveryReport report = readRecovery(dir.path());
    EXPECT_EQ(report.summary(), QStringLiteral("2 tracks and a PS run of 2 points were not saved"));
    auto target = emptyStore();
    EXPECT_EQ(restoreRecovery(report, *target), (std::vector<int>{3, 4, 6}));
    EXPECT_EQ(target->data(2, 3, 1), 4e-6);
    EXPECT_EQ((*target)[6].Mode, ModePS);
    EXPECT_EQ((*target)[6].pnum, 2);
    EXPECT_EQ(target->data(0, 6, 1), 1.5); // milliseconds become seconds
    EXPECT_TRUE(target->hasUnsavedChanges());

    // Nothing changed: the recovery file goes away.
    ASSERT_TRUE(
        writeRecoveryTracks(*s, {}, dir.filePath(QString::fromLatin1(kRecoveryFileName))).ok);
    EXPECT_TRUE(readRecovery(dir.path()).trackNumbers.empty());
}
