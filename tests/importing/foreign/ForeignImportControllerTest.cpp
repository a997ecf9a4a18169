#include "importing/foreign/ForeignImportController.h"
#include "ForeignData.h"
#include "support/TestDoubles.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using tervo::testing::foreignData;
using namespace tervo::foreign;

namespace {

struct Rig {
    QTemporaryDir dir;
    QSettings memory{dir.filePath(QStringLiteral("user.ini")), QSettings::IniFormat};
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    ScriptedPrompts prompts;
    ForeignImportController controller{*store, prompts, &memory};
    Rig()
    {
        for (int t = 0; t < kTrackSlots; ++t)
            store->ClearTrack(t);
    }
};

} // namespace

TEST(ForeignImportController, UnreadableFilesAreReportedAndLeftOut)
{
    Rig r;
    EXPECT_EQ(r.controller.addFiles({foreignData("eclab-cv.mpt"), foreignData("prose.txt"),
                                     foreignData("chi-it.txt")}),
              2);
    ASSERT_EQ(r.prompts.messages.size(), 1);
    EXPECT_TRUE(r.prompts.messages[0].startsWith(QStringLiteral("prose.txt: line 1: expected")));
    EXPECT_EQ(r.controller.count(), 2);
    EXPECT_EQ(r.controller.current(), 0);
    EXPECT_TRUE(r.controller.summary(0).contains(QStringLiteral("Format: EC-Lab text export")));
}

TEST(ForeignImportController, ConsecutiveTracksAskingBeforeAnOccupiedOne)
{
    Rig r;
    (*r.store)[4].Mode = ModeCV;
    (*r.store)[4].Title = QStringLiteral("old");
    (*r.store)[5].Mode = ModeCV;
    r.controller.addFiles(
        {foreignData("eclab-cv.mpt"), foreignData("gamry-cv.DTA"), foreignData("chi-it.txt")});
    r.controller.setStartTrack(3);
    r.prompts.yesNoAnswers = {false, true}; // keep track 4, replace track 5
    QSignalSpy written(&r.controller, &ForeignImportController::trackWritten);
    EXPECT_EQ(r.controller.importAll(), 5);
    EXPECT_EQ(r.prompts.questions.size(), 2);
    EXPECT_TRUE(r.prompts.questions[0].startsWith(QStringLiteral("Track 4 holds \"old\".")));
    EXPECT_EQ(written.size(), 2);
    EXPECT_EQ((*r.store)[3].Title, QStringLiteral("eclab-cv"));
    EXPECT_EQ((*r.store)[4].Title, QStringLiteral("old"));
    EXPECT_EQ((*r.store)[5].Mode, ModePS);
}

TEST(ForeignImportController, FilesBeyondTrack20AndUnusableChoicesAreNotWritten)
{
    Rig r;
    r.controller.addFiles(
        {foreignData("gamry-cv.DTA"), foreignData("eclab-cv.mpt"), foreignData("chi-it.txt")});
    r.controller.select(0);
    r.controller.setColumns(2, 8); // "Over" holds no numbers
    EXPECT_FALSE(r.controller.problem().isEmpty());
    r.controller.setStartTrack(19);
    EXPECT_EQ(r.controller.importAll(), 20);
    ASSERT_EQ(r.prompts.messages.size(), 2);
    EXPECT_TRUE(r.prompts.messages[0].endsWith(QStringLiteral("It was not imported.")));
    EXPECT_TRUE(
        r.prompts.messages[1].startsWith(QStringLiteral("No track is left for chi-it.txt")));
    EXPECT_TRUE(r.store->isVacant(19));
}

TEST(ForeignImportController, ColumnChoiceForDelimitedTextIsRemembered)
{
    Rig r;
    r.controller.addFiles({foreignData("csv-semicolon-decimal-comma.csv")});
    r.controller.setColumns(1, 2);
    r.controller.setMode(ModePS);
    ForeignImportController again(*r.store, r.prompts, &r.memory);
    again.addFiles({foreignData("csv-semicolon-decimal-comma.csv")});
    EXPECT_EQ(again.file(0).x, 1);
    EXPECT_EQ(again.file(0).mode, ModePS);
    EXPECT_EQ(again.file(0).xUnit, QStringLiteral("s"));
}
