#include "tracks/Recovery.h"
#include "EditFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;
using tervo::testing::emptyStore;

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

// Every declined offer stays on the disk under a name of its own, the two files of a set together.
TEST(Recovery, EachSetAsideSetIsKept)
{
    QTemporaryDir dir;
    const QDateTime first(QDate(2026, 12, 8), QTime(9, 30, 0));
    const QDateTime second(QDate(2026, 12, 8), QTime(11, 0, 5));
    const struct {
        QDateTime when;
        QByteArray content;
        QStringList names;
    } sets[] = {
        {first, "first", {"recovery-20261208-093000.tvd", "recovery-20261208-093000.journal"}},
        {second, "second", {"recovery-20261208-110005.tvd", "recovery-20261208-110005.journal"}},
        {second, "third", {"recovery-20261208-110005-2.tvd", "recovery-20261208-110005-2.journal"}},
    };
    for (const auto &set : sets) {
        for (const char *name : {kRecoveryFileName, kJournalFileName}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(set.content);
        }
        QStringList expected;
        for (const QString &n : set.names)
            expected << dir.filePath(n);
        EXPECT_EQ(setRecoveryAside(dir.path(), set.when), expected);
    }
    for (const auto &set : sets)
        for (const QString &n : set.names) {
            QFile f(dir.filePath(n));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << n.toStdString();
            EXPECT_EQ(f.readAll(), set.content);
        }
    EXPECT_FALSE(QFile::exists(dir.filePath(QString::fromLatin1(kRecoveryFileName))));
}

// Links planted in the folder under the recovery files' names are replaced, never written through.
TEST(Recovery, RecoveryFilesReplacePlantedLinks)
{
    QTemporaryDir dir, elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("precious"));
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const QString trackPath = dir.filePath(QString::fromLatin1(kRecoveryFileName));
    const QString journalPath = dir.filePath(QString::fromLatin1(kJournalFileName));
    ASSERT_TRUE(QFile::link(victim, trackPath));
    ASSERT_TRUE(QFile::link(victim, journalPath));

    auto s = emptyStore();
    (*s)[1].Mode = ModeCV;
    ASSERT_TRUE(writeRecoveryTracks(*s, {1}, trackPath).ok);
    RunJournalWriter w(journalPath);
    ASSERT_TRUE(w.begin(ModeCV, 2, QStringLiteral("run"), QString()));
    const std::array<double, 3> p{0.5, 1e-6, 0};
    ASSERT_TRUE(w.append(&p, 1));

    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo(trackPath).isSymLink());
    EXPECT_FALSE(QFileInfo(journalPath).isSymLink());
    const RecoveryReport report = readRecovery(dir.path());
    EXPECT_EQ(report.trackNumbers, std::vector<int>{1});
    EXPECT_EQ(report.run.points.size(), 1u);
}

// The journal keeps the header a run is to be stored with and its SSVAll companion's samples.
TEST(Recovery, JournalKeepsTheRunsHeaderAndCompanion)
{
    QTemporaryDir dir;
    TrackHeader h;
    h.Scanrate = 10;
    h.V1st = 0.45;
    h.V2nd = -0.05;
    h.Conc = 1e-6;
    h.Area = 0.196;
    h.RPM = 900;
    h.ref = 2;
    h.StepTime = 20;
    h.VoltStep = 0.01;
    RunJournalWriter w(dir.filePath(QString::fromLatin1(kJournalFileName)));
    ASSERT_TRUE(w.begin(ModeSSV, 20, QStringLiteral("film"), QStringLiteral("8.12.2026")));
    ASSERT_TRUE(w.setCompanion(0));
    ASSERT_TRUE(w.writeHeader(h));
    const std::array<double, 3> steps[] = {{0.45, 1e-5, 0}, {0.44, 2e-5, 0}};
    const std::array<double, 3> samples[] = {{0.45, 3e-5, 0.5}, {0.45, 1e-5, 1}, {0.44, 2e-5, 1.5}};
    ASSERT_TRUE(w.append(steps, 2));
    ASSERT_TRUE(w.appendCompanion(samples, 3));
    h.V1st = 0.4; // a later header replaces the first
    ASSERT_TRUE(w.writeHeader(h));

    const RecoveryReport report = readRecovery(dir.path());
    EXPECT_FALSE(report.run.damaged);
    auto target = emptyStore();
    EXPECT_EQ(restoreRecovery(report, *target), (std::vector<int>{0, 20}));
    const TrackHeader &ssv = (*target)[20];
    EXPECT_EQ(ssv.Mode, ModeSSV);
    EXPECT_EQ(ssv.Title, QStringLiteral("film"));
    EXPECT_EQ(ssv.pnum, 2);
    for (const TrackHeader *r : {&ssv, &std::as_const(*target)[0]}) {
        EXPECT_EQ(r->Scanrate, 10);
        EXPECT_EQ(r->V1st, 0.4);
        EXPECT_EQ(r->V2nd, -0.05);
        EXPECT_EQ(r->Conc, 1e-6);
        EXPECT_EQ(r->Area, 0.196);
        EXPECT_EQ(r->RPM, 900);
        EXPECT_EQ(r->ref, 2);
        EXPECT_EQ(r->StepTime, 20);
    }
    const TrackHeader &all = (*target)[0];
    EXPECT_EQ(all.Mode, ModeSSVAll);
    EXPECT_EQ(all.pnum, 3);
    EXPECT_EQ(target->data(2, 0, 2), 1.5);
    EXPECT_EQ(all.Vymax, 3e-5);
}
