// The program itself, ended by the desktop: SIGTERM closes it as Quit does.
#include "support/TestDoubles.h"
#include "tracks/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// True once the process catches SIGTERM, that is once its handler is installed.
bool catchesTerm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Starts the program on folder and waits until it catches SIGTERM.
void startProgram(QProcess &program, const QString &folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TERVO_BIN_DIR "/TERVOVer1"),
                  {QStringLiteral("--settings-dir"), folder});
    ASSERT_TRUE(program.waitForStarted(10000));
    for (int i = 0; i < 600 && !catchesTerm(program.processId()); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(catchesTerm(program.processId()));
}

} // namespace

TEST(ProgramEnd, TerminationWritesTheSettingsAndExitsNormally)
{
    QTemporaryDir dir;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TERVO_BIN_DIR "/TERVOVer1"),
                  {QStringLiteral("--settings-dir"), dir.path()});
    ASSERT_TRUE(program.waitForStarted(10000));
    for (int i = 0; i < 600 && !catchesTerm(program.processId()); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(catchesTerm(program.processId()));
    // The settings file is written at close only.
    ASSERT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("Parameters.txt"))));
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("Parameters.txt"))));
}

// Ended while it asks whether to restore unsaved tracks, the program leaves them as they were
// and does end.
TEST(ProgramEnd, TerminationDuringTheRestoreQuestionKeepsTheRecoveryFiles)
{
    QTemporaryDir dir;
    const QString recovery = dir.filePath(QString::fromLatin1(tervo::kRecoveryFileName));
    {
        auto left = std::make_unique<tervo::TrackStore>();
        for (int t = 0; t < tervo::kTrackSlots; ++t)
            left->ClearTrack(t);
        (*left)[4].Mode = tervo::ModeCV;
        (*left)[4].Title = QStringLiteral("unsaved");
        ASSERT_TRUE(tervo::writeRecoveryTracks(*left, {4}, recovery).ok);
    }
    const QByteArray before = tervo::fileBytes(recovery);
    QProcess program;
    startProgram(program, dir.path());
    // The question is open once the event loop runs; a signal before it is handled there too.
    QThread::msleep(500);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tervo::fileBytes(recovery), before);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("recovery*")}),
              QStringList{QString::fromLatin1(tervo::kRecoveryFileName)});
}
