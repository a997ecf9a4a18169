#include "tracks/Tables.h"
#include "tracks/TrackFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

struct ToolRun {
    int code = -1;
    QByteArray out, err;
};

ToolRun tool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString writeMacro(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath("m.tvm");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
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
// with its message, and what was recorded is saved.
TEST(RunCommand, InjectedFaultEndsTheRunAndKeepsItsPoints)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    const ToolRun r =
        tool({"run", QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-then-rde.tvm"), "--fast",
              "--out", out, "--settings-dir", dir.path(), "--fault", "rotator-stalls"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
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

TEST(RunCommand, ARunThatOnlyStopCouldEndIsCutShortWithItsPoints)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("result.tvd");
    // The step's current decays: its charge never reaches 1000 C.
    const QString macro = writeMacro(dir, "PotentialStepMode\r\nPS.RecordTrack 0\r\n"
                                          "PS.Voltage 1 0.2\r\nPS.MeasureMode 2\r\n"
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
