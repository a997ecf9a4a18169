// A figure of a live graph names its curves by the titles of the tracks the run goes into.
#include "MeasureRig.h"
#include "measure/CVModel.h"
#include "measure/RDEModel.h"
#include "plot/Figure.h"

#include <gtest/gtest.h>

using namespace tervo;

namespace {

QStringList legendOf(const Graph &g)
{
    QStringList titles;
    const Figure figure = figureOf(g);
    for (const kurvex::PlotScene::LegendEntry &e : figure.scene.legend())
        titles << e.title;
    return titles;
}

template <typename Model> std::unique_ptr<Model> startRun(MeasureRig &r, const QString &title)
{
    auto m = std::make_unique<Model>(*r.context);
    m->setTimerDriven(false);
    EXPECT_TRUE(m->open()) << r.prompts.messages.join("|").toStdString();
    m->SamplingRate(10);
    std::int32_t retain = 0, track = 2;
    m->RetainTime(retain);
    m->SelTrack(track);
    m->Title(title);
    m->StartMeasurement();
    r.ticks(*m, 60); // the range grows: the graphs are drawn anew
    return m;
}

} // namespace

TEST(LiveLegend, VoltammogramGraphsNameTheTrackTitle)
{
    {
        MeasureRig r;
        auto m = startRun<CVModel>(r, QStringLiteral("ferrocene 50 mV/s"));
        EXPECT_EQ(legendOf(r.result), QStringList{QStringLiteral("ferrocene 50 mV/s")});
        m->stopNow();
    }
    {
        MeasureRig r;
        auto m = startRun<RDEModel>(r, QStringLiteral("ORR 1600"));
        EXPECT_EQ(legendOf(r.monitor), QStringList{QStringLiteral("ORR 1600")});
        EXPECT_EQ(legendOf(r.result), QStringList{QStringLiteral("ORR 1600 (ring)")});
        m->stopNow();
    }
}
