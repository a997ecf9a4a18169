// Failures of the simulated rig's instruments during a ring-disk run: each is reported, the
// instruments are left stopped, the one-run flag is cleared and nothing recorded is lost.
#include "MeasureRig.h"
#include "measure/RDEModel.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

using namespace tervo;

namespace {

enum class When { BeforeOpen, BeforeStart, MidRun };

struct FaultCase {
    const char *name;
    bool sim::SimFaults::*flag;
    int gpibControl;
    When when;
    const char *message; // part of the one message shown
    bool windowCloses;   // the analog board's failures close the window
    bool generatorStops; // false when the stop command itself cannot be delivered
};

const FaultCase kCases[] = {
    {"analog-open", &sim::SimFaults::analogOpenFails, 2, When::BeforeOpen, "AD Board", true, true},
    {"analog-stops", &sim::SimFaults::analogStopsAnswering, 2, When::MidRun, "AD Board", true,
     true},
    {"analog-nan", &sim::SimFaults::analogNonFinite, 2, When::MidRun, "AD Board", true, true},
    {"serial-gone", &sim::SimFaults::serialVanished, 1, When::BeforeStart, "serial line", false,
     true},
    {"gpib-timeout", &sim::SimFaults::gpibTimesOut, 2, When::BeforeStart, "タイムアウト", false,
     true},
    {"gpib-timeout-mid-run", &sim::SimFaults::gpibTimesOut, 2, When::MidRun, "タイムアウト", false,
     false},
    {"rotator-stalls", &sim::SimFaults::rotatorStalls, 2, When::BeforeStart,
     "does not reach 1600 rpm", false, true},
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

class InjectedFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(InjectedFault, IsReportedAndLosesNothing)
{
    const FaultCase &c = GetParam();
    MeasureRig r(c.gpibControl);
    r.useCard();
    bool &fault = r.rig->injected.*(c.flag);
    fault = c.when == When::BeforeOpen;
    RDEModel m(*r.context);
    m.setTimerDriven(false);
    EXPECT_EQ(m.open(), c.when != When::BeforeOpen);
    m.SetVoltage(0.8, -0.2, 0.8);
    m.SamplingRate(10);
    m.Accumlation(1);
    std::int32_t retain = 1, track = 3;
    m.RetainTime(retain);
    m.SelTrack(track);
    QString rpm = QStringLiteral("1600");
    m.rpm(rpm);
    fault = fault || c.when == When::BeforeStart;

    m.StartMeasurement(); // loads the window again when it is not open
    int before = 0;
    if (c.when == When::MidRun) {
        r.ticks(m, 40);
        before = m.pointCount();
        ASSERT_GT(before, 10);
        fault = true;
    }
    r.runToEnd(m);

    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(m.state(), RDEModel::Monitor);
    EXPECT_EQ(m.isOpen(), !c.windowCloses);
    EXPECT_FALSE(r.rig->relays() & 1) << "rotator left on";
    if (c.generatorStops) {
        EXPECT_FALSE(r.rig->generator().running());
    }
    // A window whose board cannot open says so at every operation that tries to load it.
    const QString shown = r.prompts.messages.join('|');
    ASSERT_FALSE(r.prompts.messages.isEmpty());
    for (const QString &message : r.prompts.messages)
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.message))) << shown.toStdString();
    if (c.when != When::BeforeOpen) {
        EXPECT_EQ(r.prompts.messages.size(), 1) << shown.toStdString();
    }
    if (c.when == When::MidRun) {
        EXPECT_GE(r.app->store[3].pnum, before);
    }
    if (c.flag == &sim::SimFaults::rotatorStalls) { // recorded until the grace time ran out
        EXPECT_NEAR(r.app->store[3].pnum, RDEModel::kRotatorGraceMs / 100, 3);
    }
    const bool neverBegan =
        c.when == When::BeforeOpen || (c.when == When::BeforeStart && c.gpibControl == 1) ||
        (c.when == When::BeforeStart && c.flag == &sim::SimFaults::gpibTimesOut);
    if (neverBegan) {
        EXPECT_TRUE(r.app->store.isVacant(3)) << "a run that never began stored a track";
    }
}

std::string caseName(const ::testing::TestParamInfo<FaultCase> &p)
{
    std::string n = p.param.name;
    std::replace(n.begin(), n.end(), '-', '_');
    return n;
}

INSTANTIATE_TEST_SUITE_P(SimRig, InjectedFault, ::testing::ValuesIn(kCases), caseName);

} // namespace
