#include "tracks/TextExport.h"
#include "tracks/TrackFile.h"

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
    p.waitForFinished(20000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

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
