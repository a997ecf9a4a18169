#include "ToolRun.h"
#include "state/SettingsFolderLock.h"
#include "tracks/Tables.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

QString writeMacro(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath("m.tvm");
    writeFile(path, text);
    return path;
}

} // namespace

TEST(RunCommand, FastExampleSeriesOnAFreshSettingsFolder)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const ToolRun r = tool({"run", QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"),
                            "--fast", "--out", out, "--settings-dir", dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("line 1: ' A cyclic"));
    EXPECT_TRUE(r.out.contains("line 13:     CV.Start\n"));
    // The folder now holds the simulated workstation's settings.
    EXPECT_TRUE(QFile::exists(dir.filePath("Parameters.txt")));

    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    const TrackHeader &cv = (*store)[0];
    const TrackHeader &rde = (*store)[1];
    EXPECT_EQ(cv.Mode, ModeCV);
    EXPECT_EQ(cv.Title, "Pt-CV-100mVs");
    EXPECT_EQ(rde.Mode, ModeRDE);
    EXPECT_EQ(rde.Title, "Pt-RDE-900rpm");
    EXPECT_EQ(rde.RPM, 900);
    // 4 V of sweep at 100 mV/s sampled at 10 Hz.
    EXPECT_NEAR(cv.pnum, 400, 3);
    // The last line started the RDE run: the tool waited for it to finish.
    EXPECT_NEAR(rde.pnum, 400, 3);
}

// A series can be rehearsed against a failing rig: the stalled rotor ends the ring-disk run
// with its message, and what was recorded is saved. (The run used to exit 0 all the same.)
TEST(RunCommand, InjectedFaultEndsTheRunAndKeepsItsPoints)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const ToolRun r =
        tool({"run", QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"), "--fast",
              "--out", out, "--settings-dir", dir.path(), "--fault", "rotator-stalls"});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("1 measurement failed or was cut short.\n")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("The rotator does not reach 900 rpm")) << r.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    EXPECT_NEAR((*store)[0].pnum, 400, 3); // the CV run does not turn the rotor
    EXPECT_EQ((*store)[1].Mode, ModeRDE);
    EXPECT_GT((*store)[1].pnum, 50);
    EXPECT_LT((*store)[1].pnum, 200);
}

TEST(RunCommand, SyntaxErrorExitsTwoAndStillSavesTheTracks)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const QString macro = writeMacro(dir, "CV.Voltage 0 0.05 0\r\nCV.RetainTime 0\r\nCV.Start\r\n"
                                          "CV.Voltage 1 2\r\nCV.Title never\r\n");
    const ToolRun r = tool({"run", macro, "--fast", "--out", out, "--settings-dir", dir.path()});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, QByteArray("4line Syntax error:CV.Voltage V1st V2nd V3rd\n"));
    EXPECT_FALSE(r.out.contains("line 5"));
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    EXPECT_EQ((*store)[0].Mode, ModeCV);
}

TEST(RunCommand, MalformedCallsAndUnreadableMacros)
{
    EXPECT_EQ(tool({"run"}).code, 2);
    EXPECT_EQ(tool({"run", "a.tvm", "--fast", "--hardware"}).code, 2);
    EXPECT_EQ(tool({"run", "a.tvm", "--out"}).code, 2);
    EXPECT_EQ(tool({"run", "a.tvm", "--fault", "meteor"}).code, 2);
    EXPECT_EQ(tool({"run", "a.tvm", "--fault", "gpib-timeout", "--hardware"}).code, 2);
    const ToolRun r = tool({"run", "/nonexistent/a.tvm"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QByteArray("/nonexistent/a.tvm: cannot be read.\n"));
}

// A settings folder that a program holds is not run in: its recovery files are that program's.
TEST(RunCommand, RefusesASettingsFolderHeldByAnotherProgram)
{
    QTemporaryDir dir;
    const QString macro = writeMacro(dir, "Wait 0\n");
    SettingsFolderLock holder(dir.path());
    ASSERT_TRUE(holder.tryLock());
    ToolRun r = tool({"run", macro, "--settings-dir", dir.path()});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("in use by %1").arg(holder.holder()).toUtf8()))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("Parameters.txt")));
}

// Runs recorded on the simulated cell carry its concentration, area and electrons, as the
// program's do: a potential step analyses without --conc, --area or --ne, and the steady-state
// track's all-samples companion carries them too.
TEST(RunCommand, TracksCarryTheCellsFactsSoCottrellNeedsNoOptions)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const QString macro = writeMacro(
        dir, "PS.RecordTrack 0\r\nPS.DiskScale 1e-3\r\nPS.Voltage 0.6 -0.3\r\n"
             "PS.MeasureMode 0\r\nPS.MeasureTime 4\r\nPS.RetainTime 2\r\n"
             "PS.InitSamplingRate 100\r\nPS.Accumlation 1\r\nPS.Start\r\n"
             "SSV.RecordTrack 1\r\nSSV.Voltage 0.3 0.25\r\nSSV.VoltStep 0.05\r\n"
             "SSV.StepTime 2\r\nSSV.Segment 1\r\nSSV.Acceleratemode 0\r\n"
             "SSV.RecordNextTrack 1\r\nSSV.SamplingRate 2\r\nSSV.Accumlation 1\r\nSSV.Start\r\n");
    const ToolRun r = tool({"run", macro, "--fast", "--out", out, "--settings-dir", dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    ASSERT_EQ((*store)[0].Mode, ModePS);
    ASSERT_EQ((*store)[1].Mode, ModeSSV);
    ASSERT_EQ((*store)[2].Mode, ModeSSVAll);
    for (int t = 0; t < 3; ++t) {
        EXPECT_GT((*store)[t].Conc, 0) << t;
        EXPECT_GT((*store)[t].Area, 0) << t;
        EXPECT_EQ((*store)[t].Conc, (*store)[0].Conc) << t;
        EXPECT_EQ((*store)[t].Area, (*store)[0].Area) << t;
        EXPECT_EQ((*store)[t].ne, (*store)[0].ne) << t;
    }
    const ToolRun cottrell = tool({"analyse", "cottrell", out});
    EXPECT_EQ(cottrell.code, 0) << cottrell.err.toStdString();
    EXPECT_TRUE(cottrell.out.contains("Dapp /cm2s-1\t")) << cottrell.out.toStdString();
}

namespace {

QByteArray lastLine(const QByteArray &text)
{
    return text.trimmed().split('\n').last();
}

} // namespace

// Every fault of the rig fails the series, and the last line says how many measurements failed.
TEST(RunCommand, AFailedMeasurementFailsTheRun)
{
    struct Case {
        const char *fault;
        const char *message;
    };
    const Case cases[] = {
        {"analog-open", "AD Board Trouble!"},
        {"analog-stops", "AD Board Trouble!"},
        {"analog-nan", "AD Board Trouble!"},
        {"serial-gone", "GPIB Trouble!"},
        {"gpib-timeout", "The function generator cannot be reached"},
        {"rotator-stalls", "The rotator does not reach 900 rpm"},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const ToolRun r = tool({"run", QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"),
                                "--fast", "--settings-dir", dir.path(), "--fault", c.fault});
        EXPECT_EQ(r.code, 1) << c.fault;
        EXPECT_TRUE(r.err.contains(c.message)) << c.fault << ": " << r.err.toStdString();
        EXPECT_TRUE(lastLine(r.err).contains(" failed or w"))
            << c.fault << ": " << r.err.toStdString();
    }
}

// A fault switched on part-way lets the first measurement record for a while, then fails it.
TEST(RunCommand, AFaultCanBeSwitchedOnPartWay)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const ToolRun r =
        tool({"run", QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"), "--fast",
              "--out", out, "--settings-dir", dir.path(), "--fault", "analog-stops@5s"});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("AD Board Trouble!")) << r.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    // 2 s of retain time, then 3 s at 10 Hz.
    EXPECT_EQ((*store)[0].Mode, ModeCV);
    EXPECT_NEAR((*store)[0].pnum, 30, 3);
    EXPECT_EQ(tool({"run", "m.tvm", "--fault", "analog-stops@soon"}).code, 2);
}

// SIGINT and SIGTERM end the point at work, stop generator and rotator, save the finished
// track and the partial run, and exit 128 + the signal.
TEST(RunCommand, ASignalStopsTheInstrumentsAndSavesThePartialRun)
{
    for (const int sig : {SIGTERM, SIGINT}) {
        QTemporaryDir dir;
        const QString out = dir.filePath("result.tvd");
        const QString macro = writeMacro(
            dir, "CVMeasureMode\r\nCV.RecordTrack 0\r\nCV.Voltage 0 0.1 0\r\nCV.RetainTime 0\r\n"
                 "CV.Scanrate 100\r\nCV.Repeat 1\r\nCV.SamplingRate 10\r\nCV.Start\r\nCV.END\r\n"
                 "RDEMeasureMode\r\nRDE.RecordTrack 1\r\nRDE.RPM 900\r\nRDE.Voltage 0 1 -1\r\n"
                 "RDE.RetainTime 0\r\nRDE.Scanrate 10\r\nRDE.Repeat 1\r\nRDE.SamplingRate 10\r\n"
                 "RDE.Start\r\n");
        QProcess p;
        p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"),
                {"run", macro, "--out", out, "--settings-dir", dir.path()});
        ASSERT_TRUE(p.waitForStarted(5000));
        QByteArray printed;
        QElapsedTimer clock;
        clock.start();
        while (!printed.contains("RDE.Start") && clock.elapsed() < 30000 &&
               p.state() == QProcess::Running) {
            p.waitForReadyRead(200);
            printed += p.readAllStandardOutput();
        }
        ASSERT_TRUE(printed.contains("RDE.Start")) << printed.toStdString();
        QThread::msleep(1500);
        ::kill(static_cast<pid_t>(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(20000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 128 + sig) << err.toStdString();
        EXPECT_TRUE(err.contains("generator: stopped")) << err.toStdString();
        EXPECT_TRUE(err.contains("rotator: 0 rpm")) << err.toStdString();
        auto store = std::make_unique<TrackStore>();
        ASSERT_TRUE(loadTrackFile(*store, out).ok());
        EXPECT_EQ((*store)[0].Mode, ModeCV);
        EXPECT_NEAR((*store)[0].pnum, 20, 3);
        EXPECT_EQ((*store)[1].Mode, ModeRDE);
        EXPECT_GT((*store)[1].pnum, 5);
        EXPECT_LT((*store)[1].pnum, 100);
    }
}

TEST(RunCommand, ARunThatOnlyStopCouldEndIsCutShortWithItsPoints)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    writeFile(dir.filePath("SimulatedCell.txt"), "Model=Potential step\r\n");
    // The anodic step's current decays: its charge never reaches 1000 C.
    const QString macro = writeMacro(dir, "PotentialStepMode\r\nPS.RecordTrack 0\r\n"
                                          "PS.Voltage 0.2 1\r\nPS.MeasureMode 2\r\n"
                                          "PS.Coulomb 1000\r\nPS.RetainTime 0\r\n"
                                          "PS.MeasureTime 10\r\nPS.InitSamplingRate 10\r\n"
                                          "PS.Start\r\n");
    const ToolRun r = tool({"run", macro, "--fast", "--out", out, "--settings-dir", dir.path()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("The run was cut short")) << r.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    EXPECT_EQ((*store)[0].Mode, ModePS);
    EXPECT_GT((*store)[0].pnum, 0);
}

TEST(RunCommand, ARunOnlyAHandCouldEndIsEndedAtOnceAndTheSeriesGoesOn)
{
    const struct {
        const char *parameters; // Parameters.txt of the settings folder, or none
        QByteArray macro;
        const char *reason;
    } cases[] = {
        {nullptr,
         "PotentialStepMode\r\nPS.RecordTrack 0\r\nPS.Voltage 1 0.2\r\nPS.MeasureMode 2\r\n"
         "PS.Coulomb 0.1\r\nPS.RetainTime 0\r\nPS.InitSamplingRate 10\r\nPS.Start\r\n",
         "its current is cathodic"},
        {nullptr,
         "PotentialStepMode\r\nPS.RecordTrack 0\r\nPS.MeasureMode 1\r\nPS.RetainTime 0\r\n"
         "PS.Start\r\n",
         "Stop button only"},
        {nullptr,
         "RPMvsiMode\r\nRPMvsi.RecordTrack 0\r\nRPMvsi.mode 2\r\nRPMvsi.END\r\n"
         "RPMvsiMode\r\nRPMvsi.RPM 200 1200 10\r\nRPMvsi.Start\r\n",
         "(method 0)"},
        {"GPIBControl= 0 \r\n", "CVMeasureMode\r\nCV.RecordTrack 0\r\nCV.Start\r\n",
         "without a function generator"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        QTemporaryDir dir;
        if (c.parameters)
            writeFile(dir.filePath("Parameters.txt"), c.parameters);
        const QString macro = writeMacro(dir, c.macro + "Wait 1\r\n");
        const ToolRun r = tool({"run", macro, "--fast", "--settings-dir", dir.path()});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("run was ended after 0 s")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("cut short after")) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(": Wait 1")) << r.out.toStdString();
    }
}

TEST(RunCommand, MaxRunTimeBoundsTheSeries)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const QString example = QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm");
    ToolRun r = tool({"run", example, "--fast", "--max-run-time", "5", "--out", out,
                      "--settings-dir", dir.path()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("--max-run-time")) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("RDE.Start")); // the series ended in its first measurement
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, out).ok());
    EXPECT_GT((*store)[0].pnum, 0); // the points up to the cut are kept
    for (const char *bad : {"0", "-1", "x", "nan", "1e99"})
        EXPECT_EQ(tool({"run", example, "--fast", "--max-run-time", bad}).code, 2) << bad;
}

// File.Save keeps a series' results on disk beside the macro, whatever folder the tool runs in;
// a save that fails fails the run.
TEST(RunCommand, FileSaveWritesBesideTheMacroAndAFailedSaveFailsTheRun)
{
    QTemporaryDir dir;
    const QString macro =
        writeMacro(dir, "CV.Title saved\r\nCV.Voltage 0 0.05 0\r\nCV.RetainTime 0\r\n"
                        "CV.SamplingRate 10\r\nCV.Start\r\nFile.Save out/series.tvd\r\n");
    const ToolRun r = tool({"run", macro, "--fast", "--settings-dir", dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, dir.filePath("out/series.tvd")).ok());
    EXPECT_EQ((*store)[0].Mode, ModeCV);
    EXPECT_EQ((*store)[0].Title, "saved");

    ASSERT_TRUE(QDir(dir.path()).mkpath("taken.tvd"));
    writeMacro(dir, "CV.Title x\r\nFile.Save taken.tvd\r\nCV.Title never\r\n");
    const ToolRun failed = tool({"run", macro, "--fast", "--settings-dir", dir.path()});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains("2line File.Save failed: ")) << failed.err.toStdString();
    EXPECT_FALSE(failed.out.contains("line 3")) << failed.out.toStdString();
}
