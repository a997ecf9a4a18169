// Start from a window on tracks that hold data: the operator is asked before anything is
// programmed; a macro's Start replaces without a question.
#include "MeasureRig.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/RDEModel.h"
#include "measure/SSVModel.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

using Occupied = MeasurementModel::Occupied;

template <class Model, class... Args> std::unique_ptr<Model> openModel(MeasureRig &r, Args &...args)
{
    auto m = std::make_unique<Model>(*r.context, args...);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    return m;
}

void occupy(MeasureRig &r, int track, const QString &title)
{
    TrackHeader &h = r.app->store[track];
    h.Mode = ModeCV;
    h.Title = title;
    h.pnum = 1;
    h.MeasTime = QStringLiteral("8 Dec 2026 16:23:00 UTC");
}

} // namespace

TEST(OccupiedTarget, CancelLeavesEverythingAsItWas)
{
    MeasureRig r;
    occupy(r, 0, QStringLiteral("Pt-CV-100mVs"));
    auto m = openModel<CVModel>(r);
    r.prompts.choiceAnswers = {2};
    EXPECT_TRUE(m->start(Occupied::Ask).isEmpty());
    EXPECT_EQ(
        r.prompts.questions,
        QStringList{"Track 0 holds 'Pt-CV-100mVs' (CV, recorded 8 Dec 2026 16:23). Replace it?"});
    EXPECT_EQ(r.prompts.choiceButtons.value(0), (QStringList{"Replace", "Use track 1", "Cancel"}));
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(m->state(), CVModel::Monitor);
    EXPECT_FALSE(r.rig->generator().programmed(1));
    EXPECT_FALSE(r.rig->generator().running(1));
    EXPECT_EQ(m->targetTrack(), 0);
    EXPECT_EQ(r.app->store[0].Title, QStringLiteral("Pt-CV-100mVs"));
}

TEST(OccupiedTarget, ReplaceOrAnotherTrackRunsWithTheFieldsAsTyped)
{
    const struct {
        int answer;
        int stored;
    } cases[] = {{0, 0}, {1, 1}};
    for (const auto &c : cases) {
        MeasureRig r;
        occupy(r, 0, QStringLiteral("old"));
        auto m = openModel<CVModel>(r);
        m->SetVoltage(0, 0.1, 0);
        m->SamplingRate(10);
        m->Title(QStringLiteral("new"));
        r.prompts.choiceAnswers = {c.answer};
        EXPECT_EQ(m->start(Occupied::Ask), c.stored == 0 ? QList<int>{0} : QList<int>{});
        EXPECT_TRUE(r.app->MeasurementRunning);
        EXPECT_EQ(m->targetTrack(), c.stored);
        EXPECT_EQ(m->titleField, QStringLiteral("new"));
        r.runToEnd(*m);
        EXPECT_EQ(r.app->store[c.stored].Title, QStringLiteral("new"));
        EXPECT_EQ(r.app->store[0].Title, c.stored == 0 ? "new" : "old");
        EXPECT_EQ(m->targetTrack(), c.stored + 1);
    }
}

TEST(OccupiedTarget, AMacroStartReplacesWithoutAQuestion)
{
    MeasureRig r;
    occupy(r, 0, QStringLiteral("old"));
    auto m = openModel<CVModel>(r);
    EXPECT_EQ(m->start(), QList<int>{0});
    EXPECT_TRUE(r.app->MeasurementRunning);
    EXPECT_TRUE(r.prompts.questions.isEmpty());
}

// The README's first voltammograms: a CV with the window's defaults, then a ring-disk run at
// 1600 rpm from a window that opens on track 0.
TEST(OccupiedTarget, TheReadmesCvIsNotOverwrittenByItsRingDiskRun)
{
    MeasureRig r;
    auto cv = openModel<CVModel>(r);
    cv->start(Occupied::Ask);
    r.runToEnd(*cv);
    ASSERT_EQ(r.app->store[0].Mode, ModeCV);
    auto rde = openModel<RDEModel>(r);
    QString rpm = QStringLiteral("1600");
    rde->rpm(rpm);
    r.prompts.choiceAnswers = {1};
    rde->start(Occupied::Ask);
    ASSERT_EQ(r.prompts.choiceButtons.value(0), (QStringList{"Replace", "Use track 1", "Cancel"}));
    r.runToEnd(*rde);
    EXPECT_EQ(r.app->store[0].Mode, ModeCV);
    EXPECT_EQ(r.app->store[1].Mode, ModeRDE);
}

TEST(OccupiedTarget, TheMultipotentiostatAsksAboutItsFixedTracksOnly)
{
    MeasureRig r;
    occupy(r, 2, QStringLiteral("a"));
    occupy(r, 15, QStringLiteral("b"));
    auto m = openModel<MultipotentiostatModel>(r);
    r.prompts.choiceAnswers = {1};
    EXPECT_TRUE(m->start(Occupied::Ask).isEmpty());
    EXPECT_EQ(r.prompts.questions.value(0),
              QStringLiteral("Track 2 holds 'a' (CV, recorded 8 Dec 2026 16:23).\nTrack 15 holds "
                             "'b' (CV, recorded 8 Dec 2026 16:23). Replace them?"));
    EXPECT_EQ(r.prompts.choiceButtons.value(0), (QStringList{"Replace", "Cancel"}));
    EXPECT_FALSE(r.app->MeasurementRunning);
}

TEST(OccupiedTarget, SsvAsksAboutTheTrackForAllPointsToo)
{
    MeasureRig r;
    r.useCard();
    occupy(r, 4, QStringLiteral("all"));
    auto m = openModel<SSVModel>(r, r.clipboard);
    double track = 3;
    m->SelTrack(track);
    r.prompts.choiceAnswers = {2};
    m->start(Occupied::Ask);
    EXPECT_EQ(r.prompts.choiceButtons.value(0), (QStringList{"Replace", "Use track 5", "Cancel"}));
    EXPECT_FALSE(r.app->MeasurementRunning);
}

TEST(OccupiedTarget, SsvRecordingTheNextTrackFromTrack20StopsBeforeTheRun)
{
    for (const Occupied occupied : {Occupied::Ask, Occupied::Replace}) {
        MeasureRig r;
        r.useCard();
        occupy(r, 0, QStringLiteral("first"));
        auto m = openModel<SSVModel>(r, r.clipboard);
        double track = 20;
        m->SelTrack(track);
        r.prompts.messages.clear();
        EXPECT_TRUE(m->start(occupied).isEmpty());
        EXPECT_EQ(r.prompts.messages.size(), 1);
        EXPECT_TRUE(r.prompts.messages.value(0).startsWith("Track 20 is the last track"));
        EXPECT_TRUE(r.prompts.questions.isEmpty());
        EXPECT_FALSE(r.app->MeasurementRunning);
        EXPECT_FALSE(r.rig->generator().programmed(1));
        EXPECT_EQ(r.app->store[0].Title, QStringLiteral("first"));
        // Without the track for all points, track 20 is a track like any other.
        double off = 0;
        m->RecordNextTrack(off);
        m->start(Occupied::Replace);
        EXPECT_TRUE(r.app->MeasurementRunning);
    }
}
