#include "ToolRun.h"
#include "tracks/TextExport.h"
#include "tracks/TrackFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <sys/stat.h>

using namespace tervo;

namespace {

QString data(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/tracks/") + name;
}

} // namespace

TEST(TervoTool, InfoExportAndCheckOnAWrittenFile)
{
    QTemporaryDir dir;
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    TrackHeader &h = (*s)[4];
    h.Mode = ModeRDE;
    h.Title = QStringLiteral("ORR\tin O2");
    h.RPM = 1600;
    h.Scanrate = 10;
    h.MeasTime = QStringLiteral("7.12.2026 10:00:00");
    h.pnum = 2;
    s->data(0, 4, 0) = 0.9;
    s->data(1, 4, 0) = -1e-5;
    s->data(2, 4, 0) = 2e-6;
    s->data(0, 4, 1) = 0.8;
    s->data(1, 4, 1) = -2e-4;
    s->data(2, 4, 1) = 3e-5;
    (*s)[7].Mode = ModeCV;
    const QString path = dir.filePath("run.tvd");
    ASSERT_TRUE(writeTrackFile(*s, path, '.').ok);

    ToolRun r = tool({"info", path});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("4\tRDE\tORR in O2\t1600\t10\t7.12.2026 10:00:00\t2\n"
                                "7\tCV\t\t0\t0\t\t0\n"));

    r = tool({"export", path, "4"});
    EXPECT_EQ(r.code, 0);
    auto loaded = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*loaded, path).ok());
    EXPECT_EQ(QString::fromUtf8(r.out), copyAllText(*loaded, 4, QChar('.')));
    EXPECT_TRUE(r.out.contains("Potential/V\tDisk/A\tRing/A\r\n0.9000\t-1.0000e-5\t2E-06\r\n"));

    EXPECT_NE(tool({"export", path, "5"}).code, 0); // vacant
    EXPECT_NE(tool({"export", path, "21"}).code, 0);
    EXPECT_NE(tool({"export", path, "x"}).code, 0);
    EXPECT_EQ(tool({"check", path}).code, 0);
}

TEST(TervoTool, CheckReportsWhereReadingStopped)
{
    ToolRun r = tool({"check", data("broken-number.tvd")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("line 16")) << r.err.toStdString();
    r = tool({"check", data("not-a-track-file.tvd")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("This file type is not recognized."));
    EXPECT_EQ(tool({"check", data("comma-decimals.tvd")}).code, 0);
    EXPECT_NE(tool({"check", data("missing.tvd")}).code, 0);
    EXPECT_NE(tool({}).code, 0);
    r = tool({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("export FILE.tvd TRACK"));
}

TEST(RenderPreview, EveryArgumentIsChecked)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("p.png"));
    const QString file = data("comma-decimals.tvd");
    auto run = [](const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral(TERVO_BIN_DIR "/render-preview"), args);
        p.waitForFinished(20000);
        return std::pair{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                         p.readAllStandardError()};
    };
    const QList<QStringList> bad = {
        {out, "--file", file, "--track", "99", "--graph"},
        {out, "--file", file, "--track", "-1"},
        {out, "--file", file, "--track", "x"},
        {out, "--file", file, "--track"},
        {out, "--size", "10x"},
        {out, "--size", "100"},
        {out, "--bogus"},
        {out, "second.png"},
        {"--graph"},
    };
    for (const QStringList &args : bad) {
        const auto [code, err] = run(args);
        EXPECT_EQ(code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.contains("usage: render-preview")) << args.join(' ').toStdString();
    }
    EXPECT_EQ(run({out, "--file", file, "--track", "0", "--graph", "--size", "200x150"}).first, 0);
    EXPECT_TRUE(QFile::exists(out));
}

TEST(TervoTool, CheckWarnsOfNonFinitePointsAndStillSucceeds)
{
    QTemporaryDir dir;
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    TrackHeader &h = (*s)[2];
    h.Mode = ModeCV;
    h.pnum = 4;
    for (int p = 0; p < 4; ++p) {
        s->data(0, 2, p) = 0.1 * p;
        s->data(1, 2, p) = 1e-6 * p;
    }
    s->data(1, 2, 1) = std::numeric_limits<double>::quiet_NaN();
    s->data(0, 2, 3) = -std::numeric_limits<double>::infinity();
    const QString path = dir.filePath("nan.tvd");
    ASSERT_TRUE(writeTrackFile(*s, path, '.').ok);
    auto loaded = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*loaded, path).ok()); // writer and reader agree on the spellings
    EXPECT_TRUE(std::isnan(loaded->data(1, 2, 1)));
    EXPECT_EQ(loaded->data(0, 2, 3), -std::numeric_limits<double>::infinity());

    const ToolRun r = tool({"check", path});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("warning: track 2 holds 2 point(s) that are not finite numbers"))
        << r.err.toStdString();
}

TEST(TervoTool, ReadersRefuseWhatIsNotARegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.tvd");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QStringList &args : {QStringList{"check", fifo}, QStringList{"info", "/dev/zero"},
                                    QStringList{"convert", fifo, "--out", dir.filePath("o.tvd")}}) {
        QProcess p;
        p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"), args);
        const bool finished = p.waitForFinished(5000);
        if (!finished) {
            p.kill();
            p.waitForFinished();
        }
        ASSERT_TRUE(finished) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("not a regular file"))
            << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("o.tvd")));
}
