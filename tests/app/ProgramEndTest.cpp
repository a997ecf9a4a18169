// The program itself, ended by the desktop: SIGTERM closes it as Quit does.
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
