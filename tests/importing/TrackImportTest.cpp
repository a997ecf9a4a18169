#include "importing/TrackImport.h"
#include "TrackFiles.h"
#include "support/TestDoubles.h"
#include "tracks/TrackEditing.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;
using namespace tervo::testing;

namespace {

struct Import : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<TrackStore> store = emptyStore();
    ScriptedPrompts prompts;
    ImportTrackController import{*store, prompts};
    QList<int> shown;
    QString file, other;

    void SetUp() override
    {
        file = dir.filePath("run.tvd");
        writeTracks(file, {{2, ModeRDE, "ORR 1600", 1600, 10, 4}, {5, ModeCV, "CV", 0, 50}});
        other = dir.filePath("notes.txt");
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("TERVO file\r\n");
        import.showTrack = [this](int t) { shown << t;
    };
}
}; // namespace

} // namespace

TEST_F(Import, ListsTheTracksOfAFileAndBlanksVacantRows)
{
    import.chooseFile(file);
    ASSERT_TRUE(import.isValid());
    EXPECT_EQ(ImportTrackController::headings(),
              (QStringList{"Track", "Mode", "Title", "RPM", "scanrate", "Time"}));
    QStringList row3;
    for (int c = 0; c < 6; ++c)
        row3 << import.cellText(3, c);
    EXPECT_EQ(row3, (QStringList{"2", "RDE", "ORR 1600", "1600", "10", ""}));
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(import.cellText(1, c), QStringLiteral(" "));
}

TEST_F(Import, ANonTrackFileAfterAValidOneBlanksTheGridAndImportDoesNothing)
{
    import.chooseFile(file);
    import.clickRow(3);
    import.chooseFile(other);
    EXPECT_FALSE(import.isValid());
    EXPECT_EQ(import.selection(), -1);
    EXPECT_EQ(import.cellText(3, 2), QString());
    EXPECT_FALSE(import.importSelected());
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(store->isVacant(0));
}

TEST_F(Import, ClickingAnEmptyRowSelectsItWithoutAPreview)
{
    import.chooseFile(file);
    EXPECT_TRUE(import.clickRow(6));
    EXPECT_EQ((*store)[kScratchSlot].Mode, ModeCV);
    EXPECT_FALSE(import.clickRow(2));
    EXPECT_EQ(import.selection(), 1);
    EXPECT_EQ((*store)[kScratchSlot].Mode, ModeCV);
    EXPECT_FALSE(import.importSelected());
    EXPECT_EQ(prompts.messages, QStringList{"Please select a varid track!"});
}

TEST_F(Import, ImportReplacesTheCurrentTrackWithHeaderAndPoints)
{
    store->CurrentTrack = 7;
    (*store)[7].Mode = ModeCV;
    (*store)[7].Title = QStringLiteral("old");
    (*store)[7].pnum = 9;
    store->data(2, 7, 1) = 99;
    import.chooseFile(file);
    import.clickRow(3);
    prompts.choiceAnswers = {0}; // Replace
    ASSERT_TRUE(import.importSelected());
    EXPECT_EQ(prompts.questions, QStringList{"Track 7 holds 'old' (CV). Replace it?"});
    EXPECT_EQ(shown, QList<int>{7});
    const TrackHeader &h = (*store)[7];
    EXPECT_EQ(h.Mode, ModeRDE);
    EXPECT_EQ(h.Title, QStringLiteral("ORR 1600"));
    EXPECT_EQ(h.pnum, 4);
    EXPECT_DOUBLE_EQ(store->data(0, 7, 3), 2.3);
    EXPECT_EQ(store->data(2, 7, 1), -1.0); // RDE carries its ring column
}

TEST_F(Import, AnOccupiedCurrentTrackIsAskedAbout)
{
    store->CurrentTrack = 7;
    (*store)[7].Mode = ModeCV;
    (*store)[7].Title = QStringLiteral("old");
    import.chooseFile(file);
    import.clickRow(3);
    prompts.choiceAnswers = {2, 1}; // Cancel, then "Use track 8"
    EXPECT_FALSE(import.importSelected());
    EXPECT_EQ((*store)[7].Title, QStringLiteral("old"));
    EXPECT_TRUE(shown.isEmpty());
    ASSERT_TRUE(import.importSelected());
    EXPECT_EQ(prompts.choiceButtons.value(1), (QStringList{"Replace", "Use track 8", "Cancel"}));
    EXPECT_EQ((*store)[7].Title, QStringLiteral("old"));
    EXPECT_EQ((*store)[8].Title, QStringLiteral("ORR 1600"));
    EXPECT_EQ(shown, QList<int>{8});
}

TEST_F(Import, AFileThatVanishesOrChangesAfterListingImportsNothing)
{
    store->CurrentTrack = 0;
    import.chooseFile(file);
    import.clickRow(3);
    writeTracks(file, {{2, ModeCV, "replaced", 0, 0, 30}});
    EXPECT_FALSE(import.importSelected());
    EXPECT_TRUE(prompts.messages.last().contains("has changed"))
        << prompts.messages.last().toStdString();
    EXPECT_TRUE(store->isVacant(0));

    import.chooseFile(file);
    import.clickRow(3);
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_FALSE(import.importSelected());
    EXPECT_TRUE(prompts.messages.last().contains("cannot be found"))
        << prompts.messages.last().toStdString();
    EXPECT_TRUE(store->isVacant(0));
    EXPECT_TRUE(shown.isEmpty());
}

TEST(ImportTrack, RefusesVacantTracksNonTrackFilesAndOversizedFiles)
{
    QTemporaryDir dir;
    auto store = emptyStore();
    const QString file = dir.filePath("a.tvd");
    writeTracks(file, {{0, ModeCV, "cv"}});
    EXPECT_EQ(importTrack(file, 1, *store, 3), ImportStatus::Vacant);
    EXPECT_EQ(importTrack(file, 21, *store, 3), ImportStatus::Vacant);
    EXPECT_EQ(importTrack(dir.filePath("none.tvd"), 0, *store, 3), ImportStatus::Vanished);
    EXPECT_EQ(
        importTrack(QStringLiteral(TERVO_TEST_DATA "/tracks/not-a-track-file.tvd"), 0, *store, 3),
        ImportStatus::NotTrackFile);
    QFile big(dir.filePath("big.tvd"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("TERVO File\r\nDataNum= 0 \r\nMode= 1 \r\n");
    ASSERT_TRUE(big.resize(kMaxTrackFileBytes + 1)); // sparse: nothing is written
    big.close();
    EXPECT_EQ(importTrack(big.fileName(), 0, *store, 3), ImportStatus::Unreadable);
    EXPECT_TRUE(store->isVacant(3));
    EXPECT_EQ(importTrack(file, 0, *store, 3), ImportStatus::Ok);
    EXPECT_EQ((*store)[3].Title, QStringLiteral("cv"));
}
