#include "tracks/OccupiedTracks.h"
#include "EditFixtures.h"
#include "core/DateText.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;
using namespace tervo::testing;

namespace {

void occupy(TrackStore &s, int track, int mode, const QString &title, const QString &when = {})
{
    s[track].Mode = mode;
    s[track].Title = title;
    s[track].MeasTime = when;
}

} // namespace

TEST(OccupiedTracks, RecordingTimeIsReadBackFromTheFormsItIsWrittenIn)
{
    const struct {
        QString measTime;
        QString shown;
    } cases[] = {
        {generalDateText(QDateTime(QDate(2026, 12, 8), QTime(16, 23, 41))), "8 Dec 2026 16:23"},
        {"7 Dec 2026 10:00:00 UTC", "7 Dec 2026 10:00"},
        {"12/8/2026 4:23:05 PM", "8 Dec 2026 16:23"},
        {"2026/12/08 9:05:00", "8 Dec 2026 09:05"},
        {"", ""},
        {"after lunch", "after lunch"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(recordedText(c.measTime), c.shown) << c.measTime.toStdString();
}

TEST(OccupiedTracks, AnOccupiedTrackIsAskedAboutWithTheNextVacantTrackOffered)
{
    auto s = emptyStore();
    occupy(*s, 0, ModeCV, "Pt-CV-100mVs",
           generalDateText(QDateTime(QDate(2026, 12, 8), QTime(16, 23, 5))));
    occupy(*s, 1, ModeRDE, "ORR");
    const struct {
        int answer; // -1: the box closed without a choice
        int result;
    } cases[] = {{0, 0}, {1, 2}, {2, -1}, {-1, -1}};
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        prompts.choiceAnswers = {c.answer};
        EXPECT_EQ(askBeforeReplacing(prompts, *s, 0), c.result) << c.answer;
        EXPECT_EQ(prompts.questions, QStringList{"Track 0 holds 'Pt-CV-100mVs' (CV, recorded 8 Dec "
                                                 "2026 16:23). Replace it?"});
        EXPECT_EQ(prompts.choiceButtons.value(0),
                  (QStringList{"Replace", "Use track 2", "Cancel"}));
    }
}

TEST(OccupiedTracks, AVacantTargetIsNotAskedAbout)
{
    auto s = emptyStore();
    occupy(*s, 4, ModeCV, "cv");
    ScriptedPrompts prompts;
    EXPECT_EQ(askBeforeReplacing(prompts, *s, 3), 3);
    EXPECT_EQ(askBeforeReplacing(prompts, *s, 5, 2), 5);
    EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST(OccupiedTracks, TheVacantTracksOfferedWrapAndFitBelowTwentyOne)
{
    auto s = emptyStore();
    for (int t = 0; t < kUserTracks; ++t)
        if (t != 3 && t != 5 && t != 6)
            occupy(*s, t, ModeCV, "x");
    EXPECT_EQ(nextVacantTrack(*s, 18), 3);    // past 20 the search goes on from 0
    EXPECT_EQ(nextVacantTrack(*s, 3), 5);     // never the track itself
    EXPECT_EQ(nextVacantTrack(*s, 18, 2), 5); // two in a row
    occupy(*s, 6, ModeCV, "x");
    EXPECT_EQ(nextVacantTrack(*s, 18, 2), -1);
    s->ClearTrack(20);
    EXPECT_EQ(nextVacantTrack(*s, 10, 2), -1); // 20 has no track after it
}

TEST(OccupiedTracks, WithoutAVacantTrackOnlyReplaceAndCancelAreOffered)
{
    auto s = emptyStore();
    for (int t = 0; t < kUserTracks; ++t)
        occupy(*s, t, ModeCV, QStringLiteral("cv%1").arg(t));
    ScriptedPrompts prompts;
    prompts.choiceAnswers = {1, 0};
    EXPECT_EQ(askBeforeReplacing(prompts, *s, 7), -1);
    EXPECT_EQ(prompts.choiceButtons.value(0), (QStringList{"Replace", "Cancel"}));
    s->ClearTrack(9);
    // Several tracks written at once are named together; a fixed set is offered no other track.
    EXPECT_EQ(askBeforeReplacing(prompts, *s, 7, 3, false), 7);
    EXPECT_EQ(prompts.questions.value(1),
              QStringLiteral("Track 7 holds 'cv7' (CV).\nTrack 8 holds 'cv8' (CV). Replace them?"));
    EXPECT_EQ(prompts.choiceButtons.value(1), (QStringList{"Replace", "Cancel"}));
}
