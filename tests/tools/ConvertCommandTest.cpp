#include "ToolRun.h"
#include "tracks/TrackFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

QString data(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/importing/foreign/") + QString::fromLatin1(name);
}

std::unique_ptr<TrackStore> load(const QString &path)
{
    auto s = std::make_unique<TrackStore>();
    EXPECT_TRUE(loadTrackFile(*s, path).ok());
    return s;
}

} // namespace

TEST(ConvertCommand, EachFormatIntoConsecutiveTracksKeepingTheOthers)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("lab.tvd"));
    auto before = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        before->ClearTrack(t);
    (*before)[0].Mode = ModeCV;
    (*before)[0].Title = QStringLiteral("kept");
    ASSERT_TRUE(writeTrackFile(*before, out, '.').ok);

    const ToolRun r =
        tool({QStringLiteral("convert"), data("eclab-cv.mpt"), data("gamry-cv.DTA"),
              data("chi-it.txt"), data("csv-three-header-lines.csv"), QStringLiteral("--out"), out,
              QStringLiteral("--track"), QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("eclab-cv.mpt\tEC-Lab text export\tCyclic Voltammetry\t11 "
                                "points\ttrack 2\n"
                                "gamry-cv.DTA\tGamry EXPLAIN file\tCV\t22 points\ttrack 3\n"
                                "chi-it.txt\tCH Instruments text export\tAmperometric i-t "
                                "Curve\t4 points\ttrack 4\n"
                                "csv-three-header-lines.csv\tDelimited text\tvalues separated by "
                                "\",\", decimal point\t11 points\ttrack 5\n"));
    const auto s = load(out);
    EXPECT_EQ((*s)[0].Title, QStringLiteral("kept"));
    EXPECT_EQ((*s)[2].Mode, ModeCV);
    EXPECT_EQ((*s)[4].Mode, ModePS);
    EXPECT_EQ((*s)[5].pnum, 11);
    EXPECT_NEAR(s->data(1, 5, 0), 2.0193e-5, 1e-10);
}

TEST(ConvertCommand, OptionsSetModeRateTitleAndSign)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("o.tvd"));
    const ToolRun r =
        tool({QStringLiteral("convert"), data("eclab-cv.mpt"), QStringLiteral("--out"), out,
              QStringLiteral("--rpm"), QStringLiteral("900"), QStringLiteral("--title"),
              QStringLiteral("ORR"), QStringLiteral("--flip-current")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const auto s = load(out);
    EXPECT_EQ((*s)[0].Mode, ModeRDE);
    EXPECT_DOUBLE_EQ((*s)[0].RPM, 900);
    EXPECT_EQ((*s)[0].Title, QStringLiteral("ORR"));
    EXPECT_LT(s->data(1, 0, 0), 0);
}

TEST(ConvertCommand, AnyBadFileWritesNothing)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("o.tvd"));
    const ToolRun r = tool({QStringLiteral("convert"), data("eclab-cv.mpt"),
                            data("eclab-truncated.mpt"), QStringLiteral("--out"), out});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("eclab-truncated.mpt: line 8: expected 20 header lines"))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    // A chosen column that is not numeric, or too many files for the tracks, likewise.
    EXPECT_EQ(tool({QStringLiteral("convert"), data("gamry-cv.DTA"), QStringLiteral("--columns"),
                    QStringLiteral("3,10"), QStringLiteral("--out"), out})
                  .code,
              1);
    EXPECT_EQ(tool({QStringLiteral("convert"), data("eclab-cv.mpt"), data("eclab-cv.mpt"),
                    QStringLiteral("--track"), QStringLiteral("20"), QStringLiteral("--out"), out})
                  .code,
              2);
    EXPECT_FALSE(QFile::exists(out));
}

TEST(ConvertCommand, AFileThatDoesNotReadCompletelyWritesNothing)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("lab.tvd"));
    for (const char *file :
         {"csv-word-in-first-rows.csv", "csv-three-columns-word-in-row-two.csv"}) {
        const ToolRun r = tool({"convert", data(file), "--out", out});
        EXPECT_EQ(r.code, 1) << file;
        EXPECT_TRUE(r.err.contains(QByteArray(file) + ": line ")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << file;
    }
}

TEST(ConvertCommand, AHugeOneLineFileIsRefusedQuickly)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("one-line.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray line;
        for (int i = 0; i < 1000000; ++i)
            line += "1.2345,";
        line += "1\n";
        f.write(line);
    }
    const QString out = dir.filePath(QStringLiteral("lab.tvd"));
    QProcess p;
    p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"), {"convert", csv, "--out", out});
    const bool finished = p.waitForFinished(10000);
    if (!finished) {
        p.kill();
        p.waitForFinished();
    }
    ASSERT_TRUE(finished);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_FALSE(QFile::exists(out));
}
