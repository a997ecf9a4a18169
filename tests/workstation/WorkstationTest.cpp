#include "devices/sim/SimRig.h"
#include "measure/CVModel.h"
#include "measure/RDEModel.h"
#include "support/TestStation.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// The demo workstation on the simulated rig, with the settings read and the models made; in a
// folder of its own unless one is given.
struct Demo : TestStation<FakeMsClock> {
    explicit Demo(const QString &folder = QString())
        : TestStation(WorkstationSetup{.folder = folder,
                                       .demo = true,
                                       .programFolder = QStringLiteral(TERVO_BIN_DIR)},
                      1000u)
    {
        ensureGuiApp();
        station.state().loadMainWindowState();
        station.makeModels();
    }

    template <typename Model> void ticks(Model &m, int count)
    {
        for (int i = 0; i < count && m.state() == Model::Measuring; ++i) {
            clock.advance(static_cast<std::uint32_t>(m.timerIntervalMs()));
            m.tick();
        }
    }
};

void saveCell(const QTemporaryDir &dir, const QByteArray &text)
{
    QFile f(dir.filePath(QStringLiteral("SimulatedCell.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

// Quitting with a ring-disk run under way: the run is stored with what it recorded, the
// generator stops, the rotor is switched to 0 rpm and the card is released.
TEST(Workstation, ShutdownStopsTheRunTheGeneratorAndTheRotorAndClosesTheBoards)
{
    Demo s;
    sim::SimRig &rig = *s.station.rig();
    RDEModel &rde = s.station.rde();
    rde.setTimerDriven(false);
    ASSERT_TRUE(rde.open());
    QString rpm = QStringLiteral("1600");
    rde.rpm(rpm);
    rde.StartMeasurement();
    // Past the hold, part of the way down the sweep.
    s.ticks(rde, 150);
    ASSERT_GT(rde.pointCount(), 0);
    ASSERT_EQ(rde.state(), RDEModel::Measuring);
    rig.sync();
    ASSERT_TRUE(rig.generator().running());
    ASSERT_GT(rig.rotator().rpm(), 1500);
    ASSERT_GE(s.station.instruments().CardHandle, 0);

    s.station.shutdown();

    EXPECT_NE(rde.state(), RDEModel::Measuring);
    EXPECT_FALSE(rde.isOpen());
    EXPECT_EQ(s.station.state().store[0].Mode, ModeRDE);
    EXPECT_GT(s.station.state().store[0].pnum, 0);
    s.clock.advance(10000);
    rig.sync();
    EXPECT_FALSE(rig.generator().running());
    EXPECT_LT(rig.rotator().rpm(), 1);
    EXPECT_EQ(s.station.instruments().CardHandle, -1);
}

// A macro's rotator command outlives its runs: the end of the session stops the rotor too.
TEST(Workstation, ShutdownStopsARotorThatNoRunTurns)
{
    Demo s;
    CVModel &cv = s.station.cv();
    cv.setTimerDriven(false);
    ASSERT_TRUE(cv.open());
    std::int32_t rpm = 1000;
    s.station.instruments().RpmSet(rpm);
    sim::SimRig &rig = *s.station.rig();
    s.clock.advance(10000);
    rig.sync();
    ASSERT_GT(rig.rotator().rpm(), 900);

    s.station.shutdown();

    s.clock.advance(10000);
    rig.sync();
    EXPECT_LT(rig.rotator().rpm(), 1);
    EXPECT_EQ(s.station.instruments().CardHandle, -1);
}

// Runs on the simulated rig describe the cell saved beside the settings, whoever builds the
// workstation (the program and tervo-tool run alike); the dummy cell has nothing to tell.
TEST(Workstation, RunsCarryTheFactsOfTheSavedCell)
{
    struct Case {
        const char *file;
        double conc, area, ne;
    };
    const Case cases[] = {
        {"Model=Redox couple\r\nConcentration=2.5\r\nElectrodeArea=0.07\r\nElectrons=2\r\n", 2.5e-6,
         0.07, 2},
        {"Model=Oxygen reduction (RRDE)\r\nConcentration=1.2\r\nElectrodeArea=0.196\r\n", 1.2e-6,
         0.196, 4},
        // What a cleared track carries.
        {"Model=Dummy cell\r\n", 0, 0, 1},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        saveCell(dir, c.file);
        Demo s(dir.path());
        CVModel &cv = s.station.cv();
        cv.setTimerDriven(false);
        ASSERT_TRUE(cv.open());
        cv.SetVoltage(0.3, 0.25, 0.3);
        double rate = 500;
        cv.scanrate(rate);
        std::int32_t retain = 0;
        cv.RetainTime(retain);
        cv.StartMeasurement();
        s.ticks(cv, 100000);
        const TrackHeader &h = s.station.state().store[0];
        ASSERT_EQ(h.Mode, ModeCV) << c.file;
        EXPECT_DOUBLE_EQ(h.Conc, c.conc) << c.file;
        EXPECT_DOUBLE_EQ(h.Area, c.area) << c.file;
        EXPECT_DOUBLE_EQ(h.ne, c.ne) << c.file;
    }
}
