#include "tracks/TrackEditing.h"
#include "EditFixtures.h"
#include "plot/PlotRanges.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using namespace tervo::testing;

namespace {

// Sets a track of n points whose column c holds base + 100*c + i.
void fill(TrackStore &s, int track, int mode, int n, double base)
{
    s[track].Mode = mode;
    s[track].pnum = n;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < kColumns; ++c)
            s.data(c, track, i) = base + 100 * c + i;
}

struct EditTracks : ::testing::Test {
    std::unique_ptr<TrackStore> s = emptyStore();
    ScriptedPrompts prompts;
    EditTracksController edit{*s, prompts};
    int notified = 0;
    void SetUp() override
    {
        edit.changed = [this] { ++notified; };
    }
};

} // namespace

TEST_F(EditTracks, StartsAtTracksZeroAndOneAndWrapsBothWays)
{
    EXPECT_EQ(edit.source(), 0);
    EXPECT_EQ(edit.destination(), 1);
    edit.stepSource(-1);
    EXPECT_EQ(edit.source(), 20);
    EXPECT_EQ(EditTracksController::trackText(edit.source()), QStringLiteral(" 20"));
    edit.stepSource(+1);
    EXPECT_EQ(edit.source(), 0);
}

TEST_F(EditTracks, RefusalsNameTheReasonAndChangeNothing)
{
    struct Case {
        int source, destination;
        bool (EditTracksController::*op)();
        const char *message;
    };
    fill(*s, 3, ModeCV, 4, 1);
    const Case cases[] = {
        {3, 3, &EditTracksController::copy, "You cannot copy between the same track."},
        {3, 3, &EditTracksController::move, "You cannot move between the same track."},
        {3, 3, &EditTracksController::swap, "You cannot swap between the same track."},
        {5, 3, &EditTracksController::copy, "Source data is vacant."},
        {5, 3, &EditTracksController::move, "Source data is vacant."},
        {5, 6, &EditTracksController::swap, "Source data and destination data are vacant."},
    };
    for (const Case &c : cases) {
        prompts.messages.clear();
        edit.setSource(c.source);
        edit.setDestination(c.destination);
        EXPECT_FALSE((edit.*c.op)());
        EXPECT_EQ(prompts.messages, QStringList{QString::fromLatin1(c.message)});
    }
    EXPECT_EQ(notified, 0);
    EXPECT_EQ((*s)[3].Mode, ModeCV);
    EXPECT_TRUE(s->isVacant(5));
}

TEST_F(EditTracks, CopyWithoutRingKeepsTheDestinationsThirdColumn)
{
    fill(*s, 2, ModeRPMvsJ, 3, 1); // a rotation-rate sweep with recorded time
    (*s)[2].TimeRecording = 1;
    fill(*s, 7, ModeRDE, 5, 50);
    edit.setSource(2);
    edit.setDestination(7);
    prompts.choiceAnswers = {0, 0}; // Replace, both times
    ASSERT_TRUE(edit.copy());
    EXPECT_EQ((*s)[7].Mode, ModeRPMvsJ);
    EXPECT_EQ((*s)[7].pnum, 3);
    EXPECT_EQ(s->data(0, 7, 2), 3.0);
    EXPECT_EQ(s->data(1, 7, 2), 103.0);
    EXPECT_EQ(s->data(2, 7, 0), 250.0); // the old ring value stays
    EXPECT_EQ(s->data(0, 7, 4), 54.0);  // and so do points beyond the copied ones
    EXPECT_EQ(notified, 1);

    fill(*s, 4, ModeSSVAll, 2, 10);
    edit.setSource(4);
    ASSERT_TRUE(edit.copy());
    EXPECT_EQ(s->data(2, 7, 1), 211.0);
}

// Copy and Move replace an occupied destination only when asked; "Use track N" goes on.
TEST_F(EditTracks, CopyOrMoveOntoAnOccupiedTrackAsksFirst)
{
    for (const bool moving : {false, true}) {
        SCOPED_TRACE(moving ? "move" : "copy");
        for (int t : {2, 7, 8})
            s->ClearTrack(t);
        prompts.questions.clear();
        prompts.choiceButtons.clear();
        notified = 0;
        const auto run = [&] { return moving ? edit.move() : edit.copy(); };
        fill(*s, 2, ModeCV, 3, 1);
        fill(*s, 7, ModeRDE, 5, 50);
        (*s)[7].Title = QStringLiteral("keep");
        edit.setSource(2);
        edit.setDestination(7);
        prompts.choiceAnswers = {2}; // Cancel
        EXPECT_FALSE(run());
        EXPECT_EQ((*s)[7].Title, QStringLiteral("keep"));
        EXPECT_EQ((*s)[2].Mode, ModeCV);
        EXPECT_EQ(notified, 0);
        EXPECT_EQ(prompts.questions, QStringList{"Track 7 holds 'keep' (RDE). Replace it?"});
        EXPECT_EQ(prompts.choiceButtons.value(0),
                  (QStringList{"Replace", "Use track 8", "Cancel"}));
        prompts.choiceAnswers = {1}; // "Use track 8"
        ASSERT_TRUE(run());
        EXPECT_EQ((*s)[7].Mode, ModeRDE);
        EXPECT_EQ((*s)[8].Mode, ModeCV);
        EXPECT_EQ(edit.destination(), 8);
        EXPECT_EQ(s->isVacant(2), moving);
    }
}

TEST_F(EditTracks, MoveClearsTheSourceAndSwapWithAVacantSlotMovesTheTrack)
{
    fill(*s, 0, ModeRDE, 3, 1);
    (*s)[0].Title = QStringLiteral("disk");
    edit.setDestination(9);
    ASSERT_TRUE(edit.move());
    EXPECT_TRUE(s->isVacant(0));
    EXPECT_EQ((*s)[9].Title, QStringLiteral("disk"));

    edit.setSource(12);
    ASSERT_TRUE(edit.swap()); // 12 is vacant, 9 holds the track
    EXPECT_TRUE(s->isVacant(9));
    EXPECT_EQ((*s)[12].Title, QStringLiteral("disk"));
    EXPECT_EQ(s->data(2, 12, 2), 203.0);

    fill(*s, 9, ModeCV, 2, 70);
    (*s)[9].Title = QStringLiteral("cv");
    ASSERT_TRUE(edit.swap());
    EXPECT_EQ((*s)[9].Title, QStringLiteral("disk"));
    EXPECT_EQ((*s)[12].Title, QStringLiteral("cv"));
    EXPECT_EQ(s->data(1, 12, 1), 171.0);
}

TEST(ReplaceInTitles, MatchesCaseSensitivelyInEveryTrack)
{
    auto s = emptyStore();
    (*s)[0].Title = QStringLiteral("CV1");
    (*s)[1].Title = QStringLiteral("cv2");
    (*s)[20].Title = QStringLiteral("CV CV"); // vacant tracks too
    (*s)[21].Title = QStringLiteral("CV");    // never the scratch slots
    EXPECT_EQ(replaceInTitles(*s, QStringLiteral("CV"), QStringLiteral("LSV")), 2);
    EXPECT_EQ((*s)[0].Title, QStringLiteral("LSV1"));
    EXPECT_EQ((*s)[1].Title, QStringLiteral("cv2"));
    EXPECT_EQ((*s)[20].Title, QStringLiteral("LSV LSV"));
    EXPECT_EQ((*s)[21].Title, QStringLiteral("CV"));
    EXPECT_EQ(replaceInTitles(*s, QString(), QStringLiteral("x")), 0);
    EXPECT_EQ((*s)[0].Title, QStringLiteral("LSV1"));
}

namespace {

struct Editor : ::testing::Test {
    std::unique_ptr<TrackStore> s = emptyStore();
    ScriptedPrompts prompts;
    TrackEditor editor{*s, prompts, CycleBoundaries};
};

} // namespace

TEST_F(Editor, ListsOneEntryPerCycleAndShowsTheCycleInTheGrid)
{
    fillTwoCycles(*s, 4);
    s->CurrentTrack = 4;
    EXPECT_TRUE(editor.follow());
    EXPECT_FALSE(editor.follow());
    EXPECT_EQ(editor.cycleNames(), (QStringList{"Cycle 1", "Cycle 2"}));
    editor.selectCycle(1);
    EXPECT_EQ(editor.rowCount(), 40 - 20 + 2);
    EXPECT_EQ(editor.columnCount(), 2);
    EXPECT_EQ(editor.cellText(0, 0), QStringLiteral("E/V"));
    EXPECT_EQ(editor.cellText(0, 1), QStringLiteral("Disk/A"));
    EXPECT_EQ(editor.pointOfRow(1), 20);
    EXPECT_EQ(editor.cellText(2, 0), QStringLiteral("1.000e-1"));
    EXPECT_EQ(editor.cellText(2, 1), QStringLiteral("2.100e-5"));
}

TEST_F(Editor, HeadingsAndCyclesByMode)
{
    fill(*s, 0, ModePS, 50, 0);
    editor.show(0);
    EXPECT_EQ(editor.cycleCount(), 1);
    EXPECT_EQ(editor.rowCount(), 51);
    EXPECT_EQ(editor.heading(0), QStringLiteral("time/s"));
    fill(*s, 1, ModeRDE, 3, 0);
    editor.show(1);
    EXPECT_EQ(editor.columnCount(), 3);
    EXPECT_EQ(editor.heading(2), QStringLiteral("Ring/A"));
    fill(*s, 2, ModeRPMvsJ, 3, 0);
    editor.show(2);
    EXPECT_EQ(editor.heading(0), QStringLiteral("rpm"));
    editor.show(3); // vacant
    EXPECT_EQ(editor.cycleCount(), 0);
    EXPECT_EQ(editor.rowCount(), 1);
}

TEST_F(Editor, AddingToChannelZeroOfTheSecondCycleShiftsOnlyThatCycle)
{
    fillTwoCycles(*s, 4);
    editor.show(4);
    editor.selectCycle(1);
    ASSERT_TRUE(editor.preview({true, false, false}, TrackEditor::Add, QStringLiteral("0.1")));
    EXPECT_EQ(s->data(0, 4, 20), 0.0); // the track is untouched until Update
    EXPECT_DOUBLE_EQ(s->data(0, kScratchSlot, 20), 0.1);
    ASSERT_TRUE(editor.UpdateTrack());
    EXPECT_DOUBLE_EQ(s->data(0, 4, 19), -0.1);
    EXPECT_DOUBLE_EQ(s->data(0, 4, 20), 0.1); // the last point of cycle 1 is the first of 2
    EXPECT_DOUBLE_EQ(s->data(0, 4, 40), 0.1);
    EXPECT_DOUBLE_EQ(s->data(1, 4, 30), 30e-6); // ch 1 unchecked
    EXPECT_FALSE(editor.hasPreview());
}

TEST_F(Editor, OperationsOnTheCycleAndDivisionByZero)
{
    struct Case {
        int op;
        const char *operand;
        double expected; // point 1 of column 1, which holds 101
    };
    const Case cases[] = {{TrackEditor::Subtract, "1", 100},
                          {TrackEditor::Multiply, "2", 202},
                          {TrackEditor::Divide, "4", 25.25},
                          {TrackEditor::Add, "x", 101}}; // not a number reads 0
    fill(*s, 0, ModePS, 3, 0);
    editor.show(0);
    for (const Case &c : cases) {
        ASSERT_TRUE(editor.preview({false, true, false}, c.op, QString::fromLatin1(c.operand)));
        EXPECT_DOUBLE_EQ(s->data(1, kScratchSlot, 1), c.expected) << c.op;
    }
    EXPECT_FALSE(editor.preview({false, true, false}, TrackEditor::Divide, QStringLiteral("0")));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Can't divide by zero!")});
}

TEST_F(Editor, UpdateWritesThePreviewedTrackWhateverPassedThroughTheScratchSlot)
{
    fill(*s, 2, ModePS, 3, 0);
    fill(*s, 6, ModeCV, 3, 500);
    editor.show(2);
    ASSERT_TRUE(editor.preview({false, true, false}, TrackEditor::Multiply, "10"));
    EditTracksController edit(*s, prompts);
    edit.setSource(6);
    edit.setDestination(7);
    ASSERT_TRUE(edit.swap()); // the swap passes through the scratch slot
    s->CurrentTrack = 7;
    ASSERT_TRUE(editor.UpdateTrack());
    EXPECT_EQ(s->data(1, 2, 2), 1020.0);
    EXPECT_EQ((*s)[7].Mode, ModeCV);
    EXPECT_EQ(s->data(1, 7, 2), 602.0);
    EXPECT_FALSE(editor.UpdateTrack()); // nothing previewed any more
}

TEST_F(Editor, DeletingRowsTwoToFourOfTheFirstCycle)
{
    fillTwoCycles(*s, 4);
    editor.show(4);
    EXPECT_FALSE(editor.deleteRows(2, 4)); // answered No
    EXPECT_EQ((*s)[4].pnum, 41);
    prompts.yesNoAnswers = {true};
    ASSERT_TRUE(editor.deleteRows(2, 4));
    EXPECT_EQ(prompts.questions.last(),
              QStringLiteral("Would you like to delete selected points?"));
    EXPECT_EQ((*s)[4].pnum, 38);
    EXPECT_EQ(s->data(0, 4, 1), 0.4); // old point 4
    EXPECT_DOUBLE_EQ(s->data(1, 4, 1), 4e-6);
    EXPECT_DOUBLE_EQ(s->data(1, 4, 37), 40e-6);
    EXPECT_EQ(editor.boundaries(), (std::vector<int>{0, 17, 37}));
}

TEST_F(Editor, EnteredValuesAreStoredAndTheSelectionMovesDown)
{
    fill(*s, 0, ModeRDE, 3, 0);
    editor.show(0);
    ASSERT_EQ(editor.rowCount(), 4);
    EXPECT_EQ(editor.enterValue(1, 2, QStringLiteral("2.5e-6A")), 2);
    EXPECT_EQ(s->data(2, 0, 0), 2.5e-6);
    EXPECT_EQ(editor.enterValue(3, 0, QStringLiteral("junk")), 3); // last row stays
    EXPECT_EQ(s->data(0, 0, 2), 0.0);
    EXPECT_EQ(editor.enterValue(0, 0, QStringLiteral("1")), -1); // the heading row
    EXPECT_EQ(editor.markRow(2), -1);
    EXPECT_EQ(editor.markRow(3), 1);
    EXPECT_EQ(editor.markedPoint(), 2);
}

TEST_F(Editor, ValueAndOperandBoxesRefuseWhatIsNotAFiniteNumber)
{
    fill(*s, 0, ModeRDE, 3, 0);
    editor.show(0);
    const double before = s->data(1, 0, 0);
    for (const char *text : {"NaN", "Inf", "-Inf", "1e999"}) {
        const int messages = static_cast<int>(prompts.messages.size());
        EXPECT_EQ(editor.enterValue(1, 1, QString::fromLatin1(text)), -1) << text;
        EXPECT_EQ(s->data(1, 0, 0), before) << text;
        EXPECT_FALSE(
            editor.preview({false, true, false}, TrackEditor::Add, QString::fromLatin1(text)))
            << text;
        EXPECT_FALSE(editor.hasPreview()) << text;
        EXPECT_EQ(prompts.messages.size(), messages + 2) << text;
    }
    const int messages = static_cast<int>(prompts.messages.size());
    s->data(1, 0, 1) = 1e300;
    EXPECT_FALSE(editor.preview({false, true, false}, TrackEditor::Multiply, "1e300"));
    EXPECT_FALSE(editor.hasPreview());
    EXPECT_EQ(prompts.messages.size(), messages + 1);
}
