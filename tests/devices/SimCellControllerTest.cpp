#include "devices/sim/SimCellController.h"
#include "devices/sim/SimRig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;
using namespace tervo::sim;

TEST(SimCellController, ChosenCellDrivesTheMonitorsAndIsRemembered)
{
    QTemporaryDir dir;
    FakeMsClock clock(1000);
    SimRig rig(clock, 5);
    rig.noiseVolts = 0;
    {
        SimCellController cells(rig, dir.path());
        cells.load(); // no file yet: the redox couple with its defaults
        EXPECT_EQ(cells.setup.model, kRedoxCoupleModel);
        EXPECT_TRUE(cells.models().contains(SimCellController::kDummyModel));

        cells.chooseModel(SimCellController::kDummyModel);
        ASSERT_TRUE(cells.apply());
        rig.potentiostat().externalInput = false;
        rig.potentiostat().setSweep(0.5, 0.5, 0.5, 100); // hold 0.5 V on the dummy cell
        clock.advance(2000);
        const double dummy = rig.inputVolts(1);
        EXPECT_GT(dummy, 0.0); // anodic current through the resistors

        cells.chooseModel(kRedoxCoupleModel);
        cells.setParameter(QStringLiteral("Concentration"), 5.0);
        cells.setParameter(QStringLiteral("ElectrodeArea"), -1.0); // brought into range
        EXPECT_GT(cells.parameter(QStringLiteral("ElectrodeArea")), 0.0);
        ASSERT_TRUE(cells.apply());
        clock.advance(2000);
        EXPECT_NE(rig.inputVolts(1), dummy);
        EXPECT_TRUE(QFile::exists(cells.filePath()));
    }
    SimCellController again(rig, dir.path());
    again.load();
    EXPECT_EQ(again.setup.model, kRedoxCoupleModel);
    EXPECT_DOUBLE_EQ(again.parameter(QStringLiteral("Concentration")), 5.0);

    // In a folder another program holds, a choice is used but not saved.
    SimCellController reader(rig, dir.path());
    reader.setReadOnly(true);
    reader.load();
    reader.chooseModel(SimCellController::kDummyModel);
    ASSERT_TRUE(reader.apply());
    again.load();
    EXPECT_EQ(again.setup.model, kRedoxCoupleModel);
}

TEST(SimCellController, MultipotentiostatWiringGivesTenCells)
{
    QTemporaryDir dir;
    FakeMsClock clock(1000);
    SimRig rig(clock, 5);
    SimCellController cells(rig, dir.path());
    cells.load();
    cells.setWiring(SimCellController::Multipotentiostat);
    for (int k = 0; k < kMaxCells; ++k) {
        EXPECT_NE(rig.cell(k), nullptr) << k;
        EXPECT_EQ(rig.wire(2 * k + 1).signal, Signal::Current);
        EXPECT_EQ(rig.wire(2 * k + 1).cell, k);
    }
    cells.setWiring(SimCellController::RingDisk);
    EXPECT_EQ(rig.cell(1), nullptr);
    EXPECT_EQ(rig.cell(0), cells.cell());
    EXPECT_EQ(rig.wire(3).signal, Signal::RingCurrent);
}
