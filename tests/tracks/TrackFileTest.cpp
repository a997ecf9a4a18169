#include "tracks/TrackFile.h"
#include "EditFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using tervo::testing::emptyStore;

namespace {

QString data(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/tracks/") + name;
}

void fill(TrackStore &s, int track, int mode, int points)
{
    s[track].Mode = mode;
    s[track].pnum = points;
    s[track].Title = QStringLiteral("track %1").arg(track);
    for (int i = 0; i < points; ++i) {
        s.data(0, track, i) = 0.1 * i - 0.2;
        s.data(1, track, i) = -1.23456789e-5 * (i + 1);
        s.data(2, track, i) = 2.5e-7 * i;
    }
}

QString writeTemp(const QTemporaryDir &dir, const TrackStore &s, const char *name = "t.tvd")
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(writeTrackFile(s, path, '.').ok);
    return path;
}

} // namespace

TEST(TrackStore, ClearKeepsMeasurementContext)
{
    auto s = emptyStore();
    TrackHeader &h = (*s)[3];
    h.Mode = ModeRDE;
    h.Weight = 0.1;
    h.pH = 13;
    h.ref = 2;
    h.DiskYscale = 1e-3;
    h.RingYscale = 1e-5;
    h.TimeRecording = 1;
    h.V1st = 0.8;
    h.V2nd = -0.2;
    h.V3rd = 0.8;
    h.ne = 4;
    h.pnum = 10;
    s->data(0, 3, 0) = 1.0;
    s->ClearTrack(3);
    EXPECT_EQ(h.Mode, 0);
    EXPECT_EQ(h.pnum, 0);
    EXPECT_EQ(h.ne, 1.0);
    EXPECT_EQ(h.Weight, 0.1);
    EXPECT_EQ(h.pH, 13);
    EXPECT_EQ(h.ref, 2);
    EXPECT_EQ(h.DiskYscale, 1e-3);
    EXPECT_EQ(h.RingYscale, 1e-5);
    EXPECT_EQ(h.TimeRecording, 1);
    EXPECT_EQ(h.V3rd, 0.8);
    EXPECT_TRUE(s->isVacant(3));
    EXPECT_EQ(s->data(0, 3, 0), 1.0); // points are left alone
    EXPECT_EQ(wrapTrack(-1), 20);
    EXPECT_EQ(wrapTrack(21), 0);
}

TEST(TrackFileWriter, VacantStoreAndLayout)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    const QByteArray empty = trackFileText(*s, '.');
    EXPECT_EQ(empty.count("\r\n"), 8);
    EXPECT_TRUE(empty.startsWith("TERVO File\r\nKLUseFlag= 0 0 0"));

    s->kl.KLUseFlag[0] = s->kl.KLUseFlag[1] = 1;
    s->kl.KLSubVal[2] = -1.5e-6;
    fill(*s, 0, ModeCV, 2);
    (*s)[0].Scanrate = 0.05;
    const QByteArray text = trackFileText(*s, '.');
    EXPECT_TRUE(text.contains("KLUseFlag= 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n"));
    EXPECT_TRUE(text.contains("KLSubVal= 0 0 -1.5E-06 0"));
    EXPECT_TRUE(text.contains("DataNum= 0 \r\nMode= 1 \r\nTitle=track 0\r\n"));
    EXPECT_TRUE(text.contains("Scanrate= .05 \r\n"));
    EXPECT_TRUE(text.contains("ne= 0 \r\n") || text.contains("ne= 1 \r\n"));
    EXPECT_TRUE(text.contains("pH= 0 \r\nTable\r\n-0.2000\t-1.2346e-5\r\n-0.1000\t-2.4691e-5\r\n"));
    EXPECT_TRUE(text.endsWith("-2.4691e-5\r\n"));
}

TEST(TrackFileRoundTrip, ColumnsModesAndRounding)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    fill(*s, 0, ModeCV, 5);
    fill(*s, 5, ModeRDE, 4);
    fill(*s, 7, ModeRPMvsJ, 3);
    (*s)[7].TimeRecording = 0;
    fill(*s, 8, ModeRPMvsJ, 3);
    (*s)[8].TimeRecording = 1;
    (*s)[5].Title = QStringLiteral("a=b=c  µ");
    s->kl.KLSubVal[5] = -2.5e-6;
    s->data(0, 0, 1) = 0.123456; // four decimals only
    const QString path = writeTemp(dir, *s);

    const QByteArray text = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_TRUE(text.contains("Table\r\n-0.2000\t-1.2346e-5\r\n"));         // CV: 2 values
    EXPECT_TRUE(text.contains("Table\r\n-0.2000\t-1.2346e-5\t0.0e+0\r\n")); // RDE: 3 values

    auto r = emptyStore();
    for (int t = 0; t < kUserTracks; ++t)
        fill(*r, t, ModeCV, 1); // stale content must go
    r->data(2, 7, 1) = 42;
    const TrackFileReadResult res = loadTrackFile(*r, path);
    ASSERT_TRUE(res.ok()) << res.message(path).toStdString();
    EXPECT_EQ((*r)[5].Title, QStringLiteral("a=b=c  µ"));
    EXPECT_EQ((*r)[5].Mode, ModeRDE);
    EXPECT_EQ((*r)[5].pnum, 4);
    for (int t : {1, 2, 3, 4, 6, 9, 20})
        EXPECT_TRUE(r->isVacant(t)) << t;
    EXPECT_DOUBLE_EQ(r->data(0, 0, 1), 0.1235);
    EXPECT_DOUBLE_EQ(r->data(1, 0, 1), -2.4691e-5);
    EXPECT_DOUBLE_EQ(r->data(2, 5, 3), 7.5e-7);
    EXPECT_EQ(r->data(2, 7, 1), 42); // third column not loaded without time
    EXPECT_DOUBLE_EQ(r->data(2, 8, 1), 2.5e-7);
    EXPECT_DOUBLE_EQ(r->kl.KLSubVal[5], -2.5e-6);
    EXPECT_EQ(r->CurrentFileTitle, QStringLiteral("t.tvd"));
    EXPECT_EQ(r->FileLoadCount, 1);
    EXPECT_FALSE(r->hasUnsavedChanges());
}

// A large store is formatted on several threads: the blocks must still come in track order and
// the text must be the one a small store's single pass gives.
TEST(TrackFileRoundTrip, LargeStoreKeepsBlockOrder)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    for (int t : {2, 3, 11, 19, 20})
        fill(*s, t, ModeRDE, kMaxPoints);
    const QString path = writeTemp(dir, *s);
    auto r = emptyStore();
    ASSERT_TRUE(loadTrackFile(*r, path).ok());
    for (int t : {2, 3, 11, 19, 20}) {
        ASSERT_EQ((*r)[t].pnum, kMaxPoints);
        EXPECT_DOUBLE_EQ(r->data(1, t, kMaxPoints - 1), -0.24693); // four significant digits
    }
    const QByteArray text = trackFileText(*s, '.');
    EXPECT_LT(text.indexOf("DataNum= 19 "), text.indexOf("DataNum= 20 "));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), text);
    auto one = emptyStore();
    fill(*one, 11, ModeRDE, kMaxPoints);
    const QByteArray single = trackFileText(*one, '.');
    const qsizetype start = single.indexOf("DataNum=");
    EXPECT_TRUE(text.contains(single.mid(start)));
    // A writer that fails stops the formatting threads at once.
    int taken = 0;
    EXPECT_FALSE(forEachTrackFilePiece(*s, '.', [&](std::string_view) { return ++taken < 2; }));
    EXPECT_EQ(taken, 2);
}

// A write abandoned half way leaves the old file and no temporary beside it; a committed one
// replaces the file whole.
TEST(TrackFileWriter, AbandonedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.tvd");
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("old")).ok);
    {
        AtomicFileWriter w(path);
        EXPECT_TRUE(w.write("half of a new"));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "old");
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.tvd"});
    AtomicFileWriter w(path);
    EXPECT_TRUE(w.write("new "));
    EXPECT_TRUE(w.write("text"));
    EXPECT_TRUE(w.commit().ok);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new text");
}

TEST(TrackFileRoundTrip, MultiTimeColumnSharedAfterLoad)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    for (int t = 0; t < 10; ++t)
        fill(*s, t, ModeMulti, 3);
    for (int i = 0; i < 3; ++i)
        s->data(2, 0, i) = 10.0 * i;
    const QString path = writeTemp(dir, *s);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray text = f.readAll();
    // Only track 0 carries three values per line.
    EXPECT_TRUE(text.contains("Table\r\n-0.2000\t-1.2346e-5\t0.0e+0\r\n"));
    EXPECT_EQ(text.count("\t0.0e+0\r\n"), 1);

    auto r = emptyStore();
    ASSERT_TRUE(loadTrackFile(*r, path).ok());
    for (int t = 0; t < 10; ++t)
        EXPECT_DOUBLE_EQ(r->data(2, t, 2), 20.0) << t;
}

TEST(TrackFileReader, HandWrittenFilesAndBrokenOnes)
{
    auto s = emptyStore();
    fill(*s, 3, ModeCV, 2);
    const QString before = (*s)[3].Title;
    auto r = loadTrackFile(*s, data("not-a-track-file.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::NotTrackFile);
    EXPECT_EQ(r.message("x"), "This file type is not recognized.");
    EXPECT_EQ((*s)[3].Title, before); // store unchanged

    r = loadTrackFile(*s, data("missing.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::CannotOpen);

    // Comma decimals, LF-only lines, no leading zeros, values with exponents.
    r = loadTrackFile(*s, data("comma-decimals.tvd"));
    ASSERT_TRUE(r.ok()) << r.message("x").toStdString();
    EXPECT_EQ((*s)[0].Mode, ModeCV);
    EXPECT_EQ((*s)[0].pnum, 2);
    EXPECT_DOUBLE_EQ(s->data(0, 0, 1), 0.25);
    EXPECT_DOUBLE_EQ(s->data(1, 0, 1), -1.5e-6);
    EXPECT_DOUBLE_EQ((*s)[0].Scanrate, 50);

    r = loadTrackFile(*s, data("broken-number.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::StoppedEarly);
    EXPECT_EQ(r.line, 16);
    EXPECT_EQ((*s)[0].pnum, 2); // the points before the broken line are kept
    EXPECT_DOUBLE_EQ(s->data(1, 0, 1), 2e-6);
    EXPECT_TRUE(s->isVacant(1)); // nothing after it was read
    EXPECT_EQ(s->CurrentFileTitle, QStringLiteral("comma-decimals.tvd"));

    r = loadTrackFile(*s, data("short-line.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::StoppedEarly);
    EXPECT_EQ(r.line, 14);
    EXPECT_EQ((*s)[2].pnum, 1);

    // A last data section that ends early is a normal load with a message.
    const int loads = s->FileLoadCount;
    s->CurrentTrack = 4;
    r = loadTrackFile(*s, data("truncated.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::EndsEarly);
    EXPECT_TRUE(r.loaded());
    EXPECT_EQ((*s)[0].pnum, 2);
    EXPECT_TRUE(r.reason.contains("2 of the 5 points"));
    EXPECT_EQ(s->CurrentFileTitle, QStringLiteral("truncated.tvd"));
    EXPECT_EQ(s->CurrentTrack, 0);
    EXPECT_EQ(s->FileLoadCount, loads + 1);
    EXPECT_TRUE(r.message("truncated.tvd").contains("line 8"));
}

TEST(TrackFileReader, OutOfRangeNumbersNeverWriteOutsideTheStore)
{
    auto s = emptyStore();
    const auto r = loadTrackFile(*s, data("out-of-range.tvd"));
    ASSERT_TRUE(r.ok()) << r.message("x").toStdString();
    // DataNum 99 and -1 blocks are skipped with their data lines; track 4 follows intact.
    EXPECT_EQ((*s)[4].Mode, ModeCV);
    EXPECT_EQ((*s)[4].pnum, 1);
    EXPECT_DOUBLE_EQ(s->data(0, 4, 0), 0.5);
    // A KL line with more than 21 values is cut; one with fewer is padded with zeros.
    EXPECT_EQ(s->kl.KLNStart.size(), 21u);
    EXPECT_EQ(s->kl.KLNStart[20], 21);
    EXPECT_EQ(s->kl.KLUseFlag.size(), 21u);
    EXPECT_EQ(s->kl.KLUseFlag[0], 1);
    EXPECT_EQ(s->kl.KLUseFlag[1], 0);
    // Surplus values on a data line are ignored; pnum beyond capacity is clamped.
    EXPECT_EQ((*s)[6].pnum, 20001);
}

TEST(TrackFileSingleTrack, HeadersAndOneTrack)
{
    QTemporaryDir dir;
    auto s = emptyStore();
    fill(*s, 2, ModeRDE, 3);
    fill(*s, 9, ModePS, 2);
    (*s)[9].RPM = 1600;
    const QString path = writeTemp(dir, *s);

    EXPECT_TRUE(IsTrackFile(path));
    EXPECT_FALSE(IsTrackFile(data("not-a-track-file.tvd")));
    EXPECT_FALSE(IsTrackFile(data("missing.tvd")));

    std::array<TrackHeader, kTrackSlots> table{};
    ASSERT_TRUE(ReadTrackHeaders(path, table));
    EXPECT_EQ(table[2].Mode, ModeRDE);
    EXPECT_EQ(table[9].RPM, 1600);
    EXPECT_EQ(table[9].pnum, 2);
    EXPECT_EQ(table[0].Mode, 0);

    auto r = emptyStore();
    (*r)[21].pH = 7; // the destination is not cleared first
    ASSERT_TRUE(ReadTrackFromFile(path, 2, *r, 21));
    EXPECT_EQ((*r)[21].Mode, ModeRDE);
    EXPECT_EQ((*r)[21].pnum, 3);
    EXPECT_EQ((*r)[21].pH, 0); // written by the file
    EXPECT_DOUBLE_EQ(r->data(2, 21, 2), 5e-7);
    EXPECT_FALSE(ReadTrackFromFile(path, 4, *r, 22));
}

namespace {

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void expectSameTracks(const TrackStore &a, const TrackStore &b, const QString &name)
{
    for (int t = 0; t < kUserTracks; ++t) {
        const TrackHeader &x = a[t], &y = b[t];
        SCOPED_TRACE(QStringLiteral("%1 track %2").arg(name).arg(t).toStdString());
        EXPECT_EQ(x.Mode, y.Mode);
        if (a.isVacant(t))
            continue;
        EXPECT_EQ(x.Title, y.Title);
        EXPECT_EQ(x.MeasTime, y.MeasTime);
        EXPECT_EQ(x.pnum, y.pnum);
        EXPECT_EQ(x.ref, y.ref);
        EXPECT_EQ(x.TimeRecording, y.TimeRecording);
        const double TrackHeader::*fields[] = {
            &TrackHeader::Scanrate,   &TrackHeader::V1st,       &TrackHeader::V2nd,
            &TrackHeader::V3rd,       &TrackHeader::Vxmin,      &TrackHeader::Vymin,
            &TrackHeader::Vxmax,      &TrackHeader::Vymax,      &TrackHeader::RingXValue,
            &TrackHeader::MaxTime,    &TrackHeader::RPM,        &TrackHeader::Conc,
            &TrackHeader::Area,       &TrackHeader::Weight,     &TrackHeader::ne,
            &TrackHeader::DiskYscale, &TrackHeader::RingYscale, &TrackHeader::pH};
        for (auto f : fields)
            EXPECT_TRUE(same(x.*f, y.*f)) << x.*f << " " << y.*f;
        for (int c = 0; c < loadColumnCount(x); ++c)
            for (int i = 0; i < x.pnum; ++i)
                EXPECT_TRUE(same(a.data(c, t, i), b.data(c, t, i)))
                    << c << " " << i << " " << a.data(c, t, i) << " " << b.data(c, t, i);
    }
    for (int t = 0; t < kUserTracks; ++t)
        EXPECT_TRUE(same(a.kl.KLSubVal[static_cast<std::size_t>(t)],
                         b.kl.KLSubVal[static_cast<std::size_t>(t)]));
    EXPECT_EQ(a.kl.KLNStart, b.kl.KLNStart);
    EXPECT_EQ(a.kl.KLUseFlag, b.kl.KLUseFlag);
}

} // namespace

TEST(TrackFileRoundTrip, LoadSaveLoadKeepsEveryFixture)
{
    QTemporaryDir dir;
    const QDir fixtures(QStringLiteral(TERVO_TEST_DATA "/tracks"));
    int checked = 0;
    for (const QString &name : fixtures.entryList({QStringLiteral("*.tvd")})) {
        auto first = emptyStore();
        if (!loadTrackFile(*first, fixtures.filePath(name)).loaded() &&
            !IsTrackFile(fixtures.filePath(name)))
            continue;
        const QString saved = dir.filePath(name);
        ASSERT_TRUE(writeTrackFile(*first, saved, ',').ok);
        auto second = emptyStore();
        const TrackFileReadResult r = loadTrackFile(*second, saved);
        EXPECT_TRUE(r.ok()) << name.toStdString() << ": " << r.message(saved).toStdString();
        expectSameTracks(*first, *second, name);
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

TEST(TrackFileReader, HostileNumbers)
{
    auto s = emptyStore();
    // A decimal beyond the range of numbers is refused where it is read: reading stops there.
    TrackFileReadResult r = loadTrackFile(*s, data("beyond-range.tvd"));
    EXPECT_EQ(r.status, TrackFileReadResult::StoppedEarly);
    EXPECT_EQ(r.line, 7);
    EXPECT_TRUE(r.reason.contains("beyond the range"));
    EXPECT_EQ((*s)[0].pnum, 1);

    // Every spelling the writer uses for values that are not finite reads back.
    r = loadTrackFile(*s, data("non-finite.tvd"));
    ASSERT_TRUE(r.ok()) << r.message("x").toStdString();
    EXPECT_TRUE(std::isinf((*s)[0].pH) && (*s)[0].pH > 0);
    EXPECT_TRUE(std::isinf((*s)[0].RPM) && (*s)[0].RPM < 0);
    EXPECT_TRUE(std::isnan(s->data(1, 0, 0)));
    EXPECT_TRUE(std::isinf(s->data(2, 0, 0)) && s->data(2, 0, 0) < 0);
    EXPECT_TRUE(std::isinf(s->kl.KLSubVal[0]));
    EXPECT_TRUE(std::isnan(s->kl.KLSubVal[2]));
    EXPECT_EQ((*s)[1].Mode, ModeCV);

    // A potential of 1e60 is written as a long fixed field and read back whole.
    r = loadTrackFile(*s, data("huge-potential.tvd"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(s->data(0, 0, 0), 1e60);
    EXPECT_EQ(s->data(1, 0, 1), 1e300);
    EXPECT_EQ((*s)[1].Mode, ModeCV);

    // Any Mode but 0 is occupied, for the writer too.
    r = loadTrackFile(*s, data("negative-mode.tvd"));
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(s->isVacant(3));
    EXPECT_TRUE(trackFileText(*s, '.').contains("Mode=-1 \r\nTitle=negative mode"));
}

TEST(TrackFileReader, OneGrammarForTheWholeLoadAndTheSingleTrackReaders)
{
    for (const char *name : {"cr-only.tvd", "bom.tvd", "out-of-range.tvd", "comma-decimals.tvd",
                             "non-finite.tvd", "truncated.tvd"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(IsTrackFile(data(name)));
        auto whole = emptyStore();
        const TrackFileReadResult all = loadTrackFile(*whole, data(name));
        ASSERT_TRUE(all.loaded());
        std::array<TrackHeader, kTrackSlots> table{};
        ASSERT_TRUE(ReadTrackHeaders(data(name), table));
        for (int t = 0; t < kUserTracks; ++t) {
            if (whole->isVacant(t))
                continue;
            EXPECT_EQ(table[static_cast<std::size_t>(t)].Mode, (*whole)[t].Mode) << t;
            EXPECT_EQ(table[static_cast<std::size_t>(t)].Title, (*whole)[t].Title) << t;
            auto one = emptyStore();
            // A block that the end of the file cuts short is not taken on its own.
            const bool cutShort = all.status == TrackFileReadResult::EndsEarly &&
                                  all.reason.endsWith(QStringLiteral("track %1").arg(t));
            ASSERT_EQ(ReadTrackFromFile(data(name), t, *one, 22), !cutShort) << t;
            if (cutShort)
                continue;
            EXPECT_EQ((*one)[22].pnum, (*whole)[t].pnum) << t;
            for (int i = 0; i < (*one)[22].pnum; ++i)
                EXPECT_TRUE(same(one->data(1, 22, i), whole->data(1, t, i))) << t << " " << i;
        }
    }
}

TEST(TrackFileReader, OneTrackThatEndsEarlyIsRefusedAndTheSlotKept)
{
    auto one = emptyStore();
    TrackHeader &h = (*one)[22];
    h.Mode = ModeCV;
    h.Title = QStringLiteral("old");
    h.pnum = 2;
    one->data(0, 22, 0) = 0.7;
    one->data(1, 22, 3) = 9e-6;
    EXPECT_FALSE(ReadTrackFromFile(data("truncated.tvd"), 0, *one, 22));
    EXPECT_EQ((*one)[22].Title, QStringLiteral("old"));
    EXPECT_EQ((*one)[22].pnum, 2);
    EXPECT_EQ(one->data(0, 22, 0), 0.7);
    EXPECT_EQ(one->data(1, 22, 3), 9e-6);
}

TEST(TrackFileWriter, SaveNamingAndFailedWriteKeepsOldFile)
{
    EXPECT_EQ(trackFileNameForSave("run"), "run.tvd");
    EXPECT_EQ(trackFileNameForSave("run.tvd"), "run.tvd");
    EXPECT_EQ(trackFileNameForSave("RUN.TVD"), "RUN.TVD.tvd");

    QTemporaryDir dir;
    auto s = emptyStore();
    fill(*s, 0, ModeCV, 3);
    const QString path = writeTemp(dir, *s);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    fill(*s, 1, ModeCV, 3);
    const FileWriteResult w = writeTrackFile(*s, path, '.');
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!w.ok) { // root may write anywhere; then there is nothing to check here
        EXPECT_TRUE(w.error.contains("t.tvd"));
        auto r = emptyStore();
        ASSERT_TRUE(loadTrackFile(*r, path).ok());
        EXPECT_TRUE(r->isVacant(1));
    }
    const FileWriteResult bad = writeTrackFile(*s, dir.filePath("no/such/folder/x.tvd"), '.');
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.error.contains("x.tvd"));
}
