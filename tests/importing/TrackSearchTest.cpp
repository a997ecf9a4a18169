#include "importing/TrackSearch.h"
#include "TrackFiles.h"
#include "support/TestDoubles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tervo;
using namespace tervo::testing;

namespace {

::testing::Environment *const kApp = ::testing::AddGlobalTestEnvironment(new CoreApplication);

std::vector<SearchHit> searchFolder(const QString &folder, const SearchFields &fields,
                                    SearchSummary *summary = nullptr)
{
    SearchCriteria c;
    EXPECT_EQ(buildCriteria(fields, c), QString());
    std::vector<SearchHit> hits;
    const SearchSummary s =
        runSearch(searchFileList(folder), c, [&](const SearchHit &h) { hits.push_back(h); });
    if (summary)
        *summary = s;
    return hits;
}

QStringList titles(const std::vector<SearchHit> &hits)
{
    QStringList out;
    for (const SearchHit &h : hits)
        out << h.Title;
    return out;
}

} // namespace

TEST(SearchCriteria, RefusalsAndTheModeList)
{
    struct Case {
        SearchFields fields;
        const char *message;
    };
    const Case cases[] = {
        {{.keywordsOn = true}, "Please input keywords!"},
        {{.rpmOn = true, .rpm = "-1"}, "Please input RPM!"},
        {{.scanrateOn = true, .scanrate = "0"}, "Please input scanrate!"},
        {{.scanrateOn = true, .scanrate = "x"}, "Please input scanrate!"},
        {{.rpmOn = true, .rpm = "0"}, ""},
        {{.keywords = "", .scanrate = "0"}, ""}, // criteria that are off are not checked
    };
    for (const Case &c : cases) {
        SearchCriteria criteria;
        EXPECT_EQ(buildCriteria(c.fields, criteria), QString::fromLatin1(c.message));
    }
    EXPECT_EQ(searchModeNames().first(), QStringLiteral("CV"));
    SearchCriteria c;
    buildCriteria({.modeOn = true, .modeIndex = 1}, c);
    EXPECT_EQ(c.mode, ModeRDE);
}

TEST(Search, KeywordsModeAndRatesAreAllRequired)
{
    QTemporaryDir dir;
    writeTracks(dir.filePath("a.tvd"), {{0, ModeRDE, "ORR Oxygen DISK", 1600, 10},
                                        {1, ModeRDE, "argon disk", 1600, 10},
                                        {2, ModeRDE, "oxygen disk", 1600.0001, 10},
                                        {3, ModeCV, "oxygen disk", 1600, 10},
                                        {4, ModeRDE, "oxygen disk", 1600, 5}});
    EXPECT_EQ(titles(searchFolder(dir.path(), {.keywordsOn = true, .keywords = "oxygen disk"})),
              (QStringList{"ORR Oxygen DISK", "oxygen disk", "oxygen disk", "oxygen disk"}));
    // Two blanks give an empty keyword, which every title contains.
    EXPECT_EQ(searchFolder(dir.path(), {.keywordsOn = true, .keywords = "disk  "}).size(), 5u);

    const auto hits = searchFolder(dir.path(), {.keywordsOn = true,
                                                .keywords = "oxygen",
                                                .modeOn = true,
                                                .modeIndex = 1,
                                                .rpmOn = true,
                                                .rpm = "1600",
                                                .scanrateOn = true,
                                                .scanrate = "10"});
    ASSERT_EQ(hits.size(), 1u); // not 1600.0001, not the CV, not 5 mV/s
    EXPECT_EQ(hits[0].track, 0);
    EXPECT_EQ(searchFolder(dir.path(), {.rpmOn = true, .rpm = "1600.0001"}).size(), 1u);
}

TEST(Search, KeepsTheFirstTwoHundredHitsInFileListOrder)
{
    QTemporaryDir dir;
    // Fifteen files of 20 tracks; names sort "B" between "a" and "c" when case is ignored.
    const char *names[] = {"a", "B", "c", "d", "e", "f", "g", "h",
                           "i", "j", "k", "l", "m", "n", "o"};
    auto store = emptyStore();
    for (const char *name : names) {
        const QString title = QString::fromLatin1(name);
        for (int s = 0; s < 20; ++s) {
            (*store)[s].Mode = ModeCV;
            (*store)[s].Title = title;
        }
        ASSERT_TRUE(writeTrackFile(*store, dir.filePath(title + ".tvd"), '.').ok);
    }
    SearchSummary summary;
    const auto hits = searchFolder(dir.path(), {}, &summary);
    ASSERT_EQ(hits.size(), 200u);
    EXPECT_EQ(hits[20].Title, QStringLiteral("B"));
    EXPECT_EQ(hits[199].Title, QStringLiteral("j"));
    EXPECT_EQ(hits[199].track, 19);
    EXPECT_EQ(summary.hits, 200);
}

TEST(Search, UnreadableAndHostileFilesAreSkippedAndCounted)
{
    QTemporaryDir dir;
    writeTracks(dir.filePath("good.tvd"), {{0, ModeCV, "cv"}});
    QFile big(dir.filePath("big.tvd"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("TERVO File\r\n");
    ASSERT_TRUE(big.resize(kMaxTrackFileBytes + 1));
    big.close();
    QFile garbage(dir.filePath("garbage.tvd"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("TERVO File\r\nDataNum=-7\r\nMode=1\r\nDataNum=99999999999\r\nTitle=\xff\xfe"
                  "\r\nDataNum=3\r\nMode= 1e308\r\npnum=1e9\r\nTable\r\n\x01\x02");
    garbage.close();
    QFile text(dir.filePath("readme.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a track file");
    text.close();
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.tvd")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tvd"));

    SearchSummary summary;
    const auto hits = searchFolder(dir.path(), {}, &summary);
    EXPECT_EQ(summary.filesSearched, 4);
    EXPECT_EQ(summary.unreadable, 1);
    EXPECT_EQ(unreadableText(summary.unreadable), QStringLiteral("1 file could not be read"));
    EXPECT_EQ(unreadableText(3), QStringLiteral("3 files could not be read"));
    EXPECT_EQ(titles(hits).last(), QStringLiteral("cv"));
}

TEST(Search, HitRowsShowTheEndOfThePath)
{
    SearchHit hit{QStringLiteral("/data/lab/2026/oxygen-reduction/run-07.tvd"),
                  3,
                  QStringLiteral("ORR"),
                  ModeRDE,
                  1600,
                  10,
                  {}};
    EXPECT_EQ(hitCells(hit),
              (QStringList{"26/oxygen-reduction/run-07.tvd", "3", "ORR", "RDE", "1600", "10"}));
    hit.path = QStringLiteral("/x.tvd");
    EXPECT_EQ(hitCells(hit).first(), QStringLiteral("/x.tvd"));
}

TEST(TrackSearch, HitsArriveAsSignalsAndCancelStops)
{
    QTemporaryDir dir;
    for (int f = 0; f < 30; ++f)
        writeTracks(dir.filePath(QStringLiteral("f%1.tvd").arg(f, 2, 10, QLatin1Char('0'))),
                    {{0, ModeCV, "one"}, {4, ModeRDE, "two"}});
    TrackSearch search;
    QSignalSpy hits(&search, &TrackSearch::hitFound);
    QSignalSpy progress(&search, &TrackSearch::progress);
    QSignalSpy finished(&search, &TrackSearch::finished);
    ASSERT_TRUE(search.start(dir.path(), {}));
    EXPECT_FALSE(search.start(dir.path(), {})); // one search at a time
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(search.isRunning());
    EXPECT_EQ(hits.size(), 60);
    EXPECT_EQ(search.hits().size(), 60);
    EXPECT_EQ(search.hits().at(1).track, 4);
    EXPECT_EQ(progress.last().at(0).toInt(), 30);
    EXPECT_FALSE(search.summary().cancelled);

    // Enough small files that the search is still at work when Cancel comes.
    for (int f = 0; f < 1000; ++f) {
        QFile small(dir.filePath(QStringLiteral("s%1.tvd").arg(f, 4, 10, QLatin1Char('0'))));
        ASSERT_TRUE(small.open(QIODevice::WriteOnly));
        small.write("TERVO File\r\nDataNum= 0 \r\nMode= 1 \r\n");
    }
    ASSERT_TRUE(search.start(dir.path(), {}));
    search.cancel();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(search.summary().cancelled);
    EXPECT_LT(search.summary().filesSearched, 1030);
}

TEST(SearchTrack, ImportsTheChosenHitIntoTheDestination)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.tvd");
    writeTracks(file, {{6, ModePS, "step", 0, 0, 3}});
    auto store = emptyStore();
    ScriptedPrompts prompts;
    SearchTrackController search(*store, prompts);
    QList<int> shown;
    search.showTrack = [&](int t) { shown << t; };
    EXPECT_FALSE(search.startSearch(dir.path(), {.keywordsOn = true}));
    EXPECT_EQ(prompts.messages, QStringList{"Please input keywords!"});
    EXPECT_FALSE(search.importSelected());
    EXPECT_EQ(prompts.messages.last(), QStringLiteral("Please Select a Track!"));

    QSignalSpy finished(&search.search(), &TrackSearch::finished);
    ASSERT_TRUE(search.startSearch(dir.path(), {}));
    ASSERT_TRUE(finished.wait(10000));
    search.selectRow(1);
    search.stepDestination(-1);
    EXPECT_EQ(search.destination(), 20);
    EXPECT_EQ(search.destinationTitle(), QString());
    ASSERT_TRUE(search.importSelected());
    EXPECT_EQ(shown, QList<int>{20});
    EXPECT_EQ(search.destinationTitle(), QStringLiteral("step"));
    EXPECT_EQ((*store)[20].pnum, 3);

    writeTracks(file, {{6, ModePS, "step", 0, 0, 5}});
    prompts.choiceAnswers = {2, 0}; // an occupied destination: Cancel, then Replace
    EXPECT_FALSE(search.importSelected());
    EXPECT_EQ(prompts.questions.last(), QStringLiteral("Track 20 holds 'step' (PS). Replace it?"));
    EXPECT_EQ(prompts.messages.last(), QStringLiteral("Please Select a Track!"));
    EXPECT_FALSE(search.importSelected());
    EXPECT_TRUE(prompts.messages.last().contains("has changed"));
}
