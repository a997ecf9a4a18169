// The processing commands give what the windows' controllers give.
#include "../processing/ProcessingFixtures.h"
#include "ToolRun.h"
#include "plot/PlotRanges.h"
#include "processing/IRCorrection.h"
#include "processing/Smoothing.h"
#include "processing/SpecialCopy.h"
#include "tracks/TrackFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace tervo;

namespace {

struct ToolFiles {
    QTemporaryDir dir;
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    QString in = dir.filePath(QStringLiteral("in.tvd"));
    QString out = dir.filePath(QStringLiteral("out.tvd"));
    ToolFiles()
    {
        for (int t = 0; t < kTrackSlots; ++t)
            store->ClearTrack(t);
        makeCV(*store, 0, ModeCV, 0.5, -0.5, 100, 2,
               [](double x, int s) { return (s ? 1e-6 : -1e-6) * (1 + x) + ((s * 7) % 3) * 1e-8; });
        (*store)[0].MaxTime = 20000;
        (*store)[0].Title = QStringLiteral("cv");
        makeCV(*store, 1, ModeCV, 0.5, -0.5, 100, 2, [](double, int) { return 1e-7; });
        EXPECT_TRUE(writeTrackFile(*store, in, '.').ok);
        // Compare with what the file holds, not with the unrounded values.
        EXPECT_TRUE(loadTrackFile(*store, in).ok());
    }
    std::unique_ptr<TrackStore> result() const
    {
        auto s = std::make_unique<TrackStore>();
        EXPECT_TRUE(loadTrackFile(*s, out).ok());
        return s;
    }
};

} // namespace

TEST(ProcessingCommands, SmoothWritesWhatTheWindowComputes)
{
    ToolFiles f;
    const ToolRun r =
        tool({"smooth", f.in, "--track", "0", "--points", "9", "--dest", "3", "--out", f.out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    SmoothOptions o;
    o.points = 9;
    ASSERT_TRUE(smoothTrack(
        *f.store, 0, o, readCoefficientFile(QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat"))));
    const auto s = f.result();
    EXPECT_EQ((*s)[3].Title, QStringLiteral("cv"));
    for (int p = 0; p < (*f.store)[0].pnum; ++p)
        EXPECT_NEAR(s->data(1, 3, p), f.store->data(1, kWorkSlot, p), 1e-10) << p;
}

TEST(ProcessingCommands, CalcAndFilterWriteTheirTracks)
{
    ToolFiles f;
    ToolRun r = tool({"calc", f.in, "--track-a", "0", "--track-b", "1", "--op", "-", "--track-c",
                      "7", "--out", f.out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto s = f.result();
    EXPECT_EQ((*s)[7].Title, QStringLiteral("(1* Track0-1* Track1)[xBshift=0]"));
    EXPECT_NEAR(s->data(1, 7, 20), f.store->data(1, 0, 20) - 1e-7, 1e-12);

    r = tool({"fft-filter", f.in, "--track", "0", "--ymax", "1000", "--dest", "4", "--out", f.out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    s = f.result();
    EXPECT_EQ((*s)[4].Title, QStringLiteral("FFT_cv"));
    EXPECT_NEAR(s->data(1, 4, 50), f.store->data(1, 0, 50), 1e-12);

    EXPECT_EQ(tool({"fft-filter", f.in, "--track", "5", "--out", f.out}).code, 1); // vacant
    EXPECT_EQ(tool({"calc", f.in, "--op", "*"}).code, 2);
    EXPECT_EQ(tool({"smooth", f.in, "--method", "median"}).code, 2);
}

TEST(ProcessingCommands, SpecialCopyPrintsTheClipboardText)
{
    ToolFiles f;
    const ToolRun r = tool({"special-copy", f.in, "--track", "0", "--disk-unit", "uA", "--polarity",
                            "cathodic", "--cycle", "1", "--distance", "0.2"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    SpecialCopyOptions o;
    o.diskUnit = 3;
    o.polarity = 1;
    o.cycle = 0;
    o.thinning.distance = 0.2;
    f.store->CurrentFileTitle = QStringLiteral("in.tvd");
    EXPECT_EQ(QString::fromUtf8(r.out), specialCopyText(*f.store, 0, o, 0.4, QChar('.'), nullptr));
    EXPECT_TRUE(r.out.startsWith("\r\nPotential/V\tDisk/"));
}

TEST(ProcessingCommands, SpecialCopyOfACycleTakesItsRows)
{
    ToolFiles f;
    makeCV(*f.store, 0, ModeCV, 0.5, -0.5, 50, 6, [](double x, int s) { return (s + 1) * x; });
    ASSERT_TRUE(writeTrackFile(*f.store, f.in, '.').ok);
    ASSERT_TRUE(loadTrackFile(*f.store, f.in).ok());
    const std::vector<int> b = CycleBoundaries(*f.store, 0);
    ASSERT_EQ(b.size(), 4u);
    for (int cycle = 1; cycle <= 3; ++cycle) {
        const ToolRun r = tool({"special-copy", f.in, "--cycle", QString::number(cycle), "--degree",
                                "0", "--distance", "0"});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        // An empty line and the heading, then one row per point.
        const qsizetype rows = r.out.count("\r\n") - 2;
        EXPECT_EQ(rows, b[std::size_t(cycle)] - 1 - b[std::size_t(cycle - 1)]) << cycle;
    }
}

// Without a collection efficiency the %H2O column shows the dash of the O2 window, not NaN.
TEST(ProcessingCommands, SpecialCopyH2OWithoutCollectionEfficiency)
{
    const ToolRun r = tool({"special-copy",
                            QStringLiteral(TERVO_SOURCE_DIR "/examples/rrde-oxygen-reduction.tvd"),
                            "--h2o", "--ce", "0"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.toLower().contains("nan")) << r.out.left(300).toStdString();
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_GT(lines.size(), 3);
    EXPECT_TRUE(lines[2].endsWith("\t\u2014\r")) << lines[2].toStdString();
}

TEST(ProcessingCommands, ANonFinitePointIsSkippedAndCountedNeverSpread)
{
    struct Case {
        QStringList args;
        int dest;
    };
    const Case cases[] = {
        {{"smooth", "--track", "0", "--points", "9", "--dest", "3"}, 3},
        {{"fft-filter", "--track", "0", "--ymax", "0.5", "--dest", "3"}, 3},
        {{"calc", "--track-a", "0", "--track-b", "1", "--op", "-", "--track-c", "3"}, 3},
    };
    constexpr int kBad = 50;
    for (const Case &c : cases) {
        ToolFiles f;
        f.store->data(1, 0, kBad) = std::numeric_limits<double>::quiet_NaN();
        ASSERT_TRUE(writeTrackFile(*f.store, f.in, '.').ok);
        QStringList args = c.args;
        args.insert(1, f.in);
        args << "--out" << f.out;
        const ToolRun r = tool(args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("1 point that is not a finite number was skipped."))
            << c.args[0].toStdString() << ": " << r.err.toStdString();
        const auto s = f.result();
        int nonFinite = 0;
        for (int p = 0; p < (*s)[c.dest].pnum; ++p)
            if (!std::isfinite(s->data(0, c.dest, p)) || !std::isfinite(s->data(1, c.dest, p)))
                ++nonFinite;
        // At most the input's own NaN, left where it was.
        EXPECT_LE(nonFinite, 1) << c.args[0].toStdString();
        if (nonFinite == 1) {
            EXPECT_TRUE(std::isnan(s->data(1, c.dest, kBad))) << c.args[0].toStdString();
        }
    }
}

TEST(ProcessingCommands, IRCorrectWritesWhatTheCorrectionComputes)
{
    ToolFiles f;
    ToolRun r =
        tool({"ir-correct", f.in, "--track", "0", "--ru", "150", "--dest", "6", "--out", f.out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_TRUE(correctOhmicDrop(*f.store, 0, 6, 150));
    const auto s = f.result();
    EXPECT_EQ((*s)[6].Title, (*f.store)[6].Title);
    for (int p = 0; p < (*f.store)[0].pnum; ++p)
        EXPECT_NEAR(s->data(0, 6, p), f.store->data(0, 6, p), 1e-4) << p;

    const struct {
        QStringList args;
        const char *named;
    } bad[] = {
        {{"ir-correct", f.in, "--ru", "-1", "--dest", "6"}, "--ru"},
        {{"ir-correct", f.in, "--ru", "inf", "--dest", "6"}, "--ru"},
        {{"ir-correct", f.in, "--dest", "6"}, "--ru"},
        {{"ir-correct", f.in, "--ru", "10"}, "--dest"},
        {{"ir-correct", f.in, "--ru", "10", "--dest", "21"}, "--dest"},
    };
    for (const auto &b : bad) {
        r = tool(b.args);
        EXPECT_EQ(r.code, 2) << b.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(b.named)) << r.err.toStdString();
    }
    EXPECT_EQ(tool({"ir-correct", f.in, "--track", "5", "--ru", "10", "--dest", "6"}).code, 1);
}
