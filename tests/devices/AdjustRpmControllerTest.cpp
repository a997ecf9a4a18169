#include "devices/AdjustRpmController.h"
#include "core/Prompts.h"
#include "devices/Instruments.h"
#include "devices/sim/SimRig.h"
#include "state/Settings.h"
#include "support/TestDoubles.h"
#include "support/VendorFakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

struct Calibration {
    FakeMsClock clock;
    sim::SimRig rig{clock};
    Settings settings;
    std::vector<RpmRow> table{{100, 0.5}, {1000, 2.8}, {2000, 4.5}};
    test::FaultyLibraries faults{rig.libraries()};
    Instruments inst{settings, table, faults.libraries()};
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    AdjustRpmController c{inst, prompts, dir.path()};

    Calibration()
    {
        rig.noiseVolts = 0;
        settings.ADBoard = 2;
        settings.DABoard = 1;
        settings.PowerControl = 2;
        settings.RPMScale = 1000;
        settings.RPMvsVoltageFile = QStringLiteral("rpm.txt");
    }
};

} // namespace

TEST(AdjustRpm, OpensOnRowZeroAndRefusesBrokenBoards)
{
    Calibration k;
    ASSERT_TRUE(k.c.open());
    EXPECT_EQ(k.c.row(), 0);
    EXPECT_EQ(k.c.rateText(), "100");
    EXPECT_EQ(k.c.voltageText(), "0.500");
    EXPECT_FALSE(k.c.motorRunning());

    Calibration ad;
    ad.faults.dask.refuseRegistration = true;
    EXPECT_FALSE(ad.c.open());
    EXPECT_EQ(ad.prompts.messages, QStringList{QStringLiteral("AD Board不良です")});

    Calibration da;
    da.settings.ADBoard = 9; // no input board, so only the output can fail
    da.faults.dask.refuseRegistration = true;
    EXPECT_FALSE(da.c.open());
    EXPECT_EQ(da.prompts.messages, QStringList{"DA Board Trouble!"});
}

TEST(AdjustRpm, MotorRowsAndVoltageTrim)
{
    Calibration k;
    ASSERT_TRUE(k.c.open());
    k.c.rowUp(); // up-downs are off until the motor runs
    EXPECT_EQ(k.c.row(), 0);
    k.c.motorOn();
    EXPECT_TRUE(k.rig.relays() & 1);
    EXPECT_DOUBLE_EQ(k.rig.analogOut(0), 0.5);

    k.c.rowUp();
    EXPECT_EQ(k.c.row(), 1);
    EXPECT_EQ(k.c.rateText(), "1000");
    EXPECT_DOUBLE_EQ(k.c.editedVoltage(), 2.8);
    EXPECT_DOUBLE_EQ(k.rig.analogOut(0), 2.8); // through RpmSet
    k.c.rowUp();
    k.c.rowUp(); // not past the last row
    EXPECT_EQ(k.c.row(), 2);

    k.c.voltageUp();
    EXPECT_NEAR(k.c.editedVoltage(), 4.502, 1e-12);
    EXPECT_EQ(k.c.voltageText(), "4.502");
    EXPECT_NEAR(k.rig.analogOut(0), 4.502, 1e-12);
    for (int i = 0; i < 500; ++i)
        k.c.voltageUp();
    EXPECT_GE(k.c.editedVoltage(), 4.9); // stops once at or above 4.9
    EXPECT_LT(k.c.editedVoltage(), 4.9 + 0.002 + 1e-9);

    k.c.rowDown();
    k.c.rowDown();
    k.c.rowDown();
    EXPECT_EQ(k.c.row(), 0);
    for (int i = 0; i < 500; ++i)
        k.c.voltageDown();
    EXPECT_GE(k.c.editedVoltage(), 0.0); // the output clamp keeps it from going negative
    EXPECT_LE(k.c.editedVoltage(), 0.002);

    k.c.motorOff();
    EXPECT_FALSE(k.rig.relays() & 1);
    k.c.voltageUp();
    EXPECT_LE(k.c.editedVoltage(), 0.002);
}

TEST(AdjustRpm, UpdateAndSaveWriteTheTableBack)
{
    Calibration k;
    ASSERT_TRUE(k.c.open());
    k.c.motorOn();
    k.c.rowUp();
    k.c.voltageUp();
    k.c.voltageUp();
    EXPECT_DOUBLE_EQ(k.table[1].volt, 2.8); // not yet taken
    k.c.update();
    EXPECT_NEAR(k.table[1].volt, 2.804, 1e-12);
    ASSERT_TRUE(k.c.save());
    EXPECT_EQ(k.c.calibrationPath(), k.dir.filePath("rpm.txt"));
    std::vector<RpmRow> back;
    ASSERT_TRUE(ReadRpmTable(k.c.calibrationPath(), back));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_NEAR(back[1].volt, 2.804, 1e-12);
    EXPECT_DOUBLE_EQ(back[2].rpm, 2000);

    // A file that cannot be written is reported, not passed over.
    k.settings.RPMvsVoltageFile = k.dir.filePath("missing/folder/rpm.txt");
    EXPECT_FALSE(k.c.save());
    ASSERT_EQ(k.prompts.messages.size(), 1);
    EXPECT_TRUE(k.prompts.messages[0].contains("missing/folder/rpm.txt"));

    // A folder another program holds keeps its file; the operator is told.
    k.settings.RPMvsVoltageFile = QStringLiteral("rpm.txt");
    k.c.setReadOnly(true);
    k.c.voltageUp();
    k.c.update();
    EXPECT_FALSE(k.c.save());
    ASSERT_TRUE(ReadRpmTable(k.c.calibrationPath(), back));
    EXPECT_NEAR(back[1].volt, 2.804, 1e-12);
    ASSERT_EQ(k.prompts.messages.size(), 2);
    EXPECT_TRUE(k.prompts.messages[1].contains("read-only"));
}

TEST(AdjustRpm, TickAveragesTheSpeedAndKeepsTenReadings)
{
    Calibration k;
    ASSERT_TRUE(k.c.open());
    k.c.motorOn();
    k.c.rowUp(); // 2.8 V
    k.clock.advance(10000);
    k.rig.sync();
    const double rpm = k.rig.rotator().rpm();
    ASSERT_GT(rpm, 500);
    k.c.tick();
    EXPECT_NEAR(k.c.measuredText().toDouble(), rpm, 1.0);
    // The history starts empty: the first mean is a tenth of the reading.
    EXPECT_NEAR(k.c.averageText().toDouble(), rpm / 10, 1.0);
    for (int i = 0; i < 9; ++i)
        k.c.tick();
    EXPECT_NEAR(k.c.averageText().toDouble(), rpm, 1.0);
    k.c.motorOff();
    k.clock.advance(10000);
    for (int i = 0; i < 5; ++i)
        k.c.tick();
    EXPECT_EQ(k.c.measuredText(), "0");
    EXPECT_NEAR(k.c.averageText().toDouble(), rpm / 2, 1.0); // half the ring still spinning
}
