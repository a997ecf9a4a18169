#include "ToolRun.h"
#include "importing/TrackFiles.h"
#include "importing/TrackSearch.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using namespace tervo::testing;

namespace {

} // namespace

TEST(ImportingCommands, SearchPrintsTheRowsOfTheSearchWindow)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    (*s)[3] = TrackHeader{.Mode = ModeRDE, .Title = "ORR\toxygen", .Scanrate = 10, .RPM = 1600};
    (*s)[4] = TrackHeader{.Mode = ModeRDE, .Title = "oxygen", .Scanrate = 10, .RPM = 1600.0001};
    (*s)[5] = TrackHeader{.Mode = ModeCV, .Title = "Oxygen cv", .Scanrate = 50};
    ASSERT_TRUE(writeTrackFile(*s, dir.filePath("a.tvd"), '.').ok);
    QFile big(dir.filePath("big.tvd"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kMaxTrackFileBytes + 1));
    big.close();

    ToolRun r = tool({"search", dir.path(), "--words", "OXYGEN", "--mode", "RDE", "--rpm", "1600",
                      "--scanrate", "10"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    // The whole path, not the window's last 30 characters (which this test used to pin).
    const QString path = QDir(dir.path()).filePath("a.tvd");
    EXPECT_EQ(QString::fromUtf8(r.out), path + "\t3\tORR oxygen\tRDE\t1600\t10\n");
    EXPECT_EQ(r.err, QByteArray("1 file could not be read\n"));

    r = tool({"search", dir.path(), "--words", "oxygen"});
    EXPECT_EQ(r.out.count('\n'), 3);
    EXPECT_EQ(tool({"search", dir.path(), "--scanrate", "0"}).code, 2);
    EXPECT_EQ(tool({"search", dir.path(), "--mode", "XYZ"}).code, 2);
    EXPECT_EQ(tool({"search", dir.filePath("none")}).code, 1);
}

TEST(ImportingCommands, ImportReplacesOneSlotOfTheDestination)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    (*s)[2] = TrackHeader{.Mode = ModePS, .Title = "step", .pnum = 2};
    s->data(0, 2, 1) = 1.5;
    const QString src = dir.filePath("src.tvd");
    ASSERT_TRUE(writeTrackFile(*s, src, '.').ok);
    (*s)[2].Title = "kept";
    (*s)[7] = TrackHeader{.Mode = ModeCV, .Title = "old"};
    const QString dest = dir.filePath("dest.tvd");
    ASSERT_TRUE(writeTrackFile(*s, dest, '.').ok);

    ToolRun r = tool({"import", src, "2", dest, "7"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto loaded = emptyStore();
    ASSERT_TRUE(loadTrackFile(*loaded, dest).ok());
    EXPECT_EQ((*loaded)[2].Title, QStringLiteral("kept"));
    EXPECT_EQ((*loaded)[7].Title, QStringLiteral("step"));
    EXPECT_EQ(loaded->data(0, 7, 1), 1.5);

    EXPECT_EQ(tool({"import", src, "3", dest, "7"}).code, 1); // vacant
    EXPECT_EQ(tool({"import", src, "2", dest, "21"}).code, 2);
    const QString fresh = dir.filePath("new.tvd");
    EXPECT_EQ(tool({"import", src, "2", fresh, "0"}).code, 0);
    ASSERT_TRUE(loadTrackFile(*loaded, fresh).ok());
    EXPECT_EQ((*loaded)[0].Title, QStringLiteral("step"));
    // A destination that does not read completely is left alone.
    const QString broken = QStringLiteral(TERVO_TEST_DATA "/tracks/truncated.tvd");
    const QByteArray before = [&] {
        QFile f(broken);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QFile::copy(broken, dir.filePath("broken.tvd"));
    EXPECT_EQ(tool({"import", src, "2", dir.filePath("broken.tvd"), "0"}).code, 1);
    QFile after(dir.filePath("broken.tvd"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST(ImportingCommands, ASourceTrackThatEndsEarlyIsRefused)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("dest.tvd");
    const QString truncated = QStringLiteral(TERVO_TEST_DATA "/tracks/truncated.tvd");
    const ToolRun r = tool({"import", truncated, "0", dest, "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("truncated.tvd")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dest));
}
