#include "core/Prompts.h"
#include "devices/AdjustRpmController.h"
#include "devices/Instruments.h"
#include "devices/sim/SimPanelController.h"
#include "devices/sim/SimRig.h"
#include "devices/ui/UpDownButtons.h"
#include "devices/ui/frmAdjustRPM.h"
#include "devices/ui/frmPower.h"
#include "devices/ui/frmSimRig.h"
#include "state/Settings.h"
#include "support/TestDoubles.h"
#include "support/VendorFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// Lives until the process ends: tearing the GUI down among the static destructors crashes.
void app()
{
    static int argc = 1;
    static char name[] = "devices_ui_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *a = new QApplication(argc, argv);
    (void)a;
}

struct Station {
    FakeMsClock clock;
    sim::SimRig rig{clock};
    Settings settings;
    std::vector<RpmRow> table{{100, 0.5}, {1000, 2.8}, {2000, 4.5}};
    test::FaultyLibraries faults{rig.libraries()};
    Instruments inst{settings, table, faults.libraries()};
    ScriptedPrompts prompts;

    Station()
    {
        app();
        rig.noiseVolts = 0;
        settings.ADBoard = 2;
        settings.DABoard = 1;
        settings.PowerControl = 2;
        settings.RPMScale = 1000;
    }
};

} // namespace

TEST(frmPowerView, CheckBoxesAndStateFollowEachOther)
{
    Station s;
    frmPower w(s.inst.powerController(), s.prompts);
    ASSERT_TRUE(w.openWindow());
    EXPECT_EQ(w.windowTitle(), "Power Control");
    EXPECT_EQ(w.txtPower(0)->text(), "RPM Control");
    EXPECT_EQ(w.txtPower(1)->text(), "Liquid phase");

    w.chkPower(1)->click();
    EXPECT_EQ(s.rig.relays(), 2);
    std::uint8_t on = 1;
    s.inst.power().Power(3, on); // as a macro would
    EXPECT_TRUE(w.chkPower(3)->isChecked());
    EXPECT_EQ(s.rig.relays(), 10);
    w.chkPower(1)->click();
    EXPECT_EQ(s.rig.relays(), 8);
    EXPECT_FALSE(w.chkPower(1)->isChecked());

    // The rotator control switches output 0, and the window shows it.
    std::int32_t rpm = 500;
    s.inst.RpmSet(rpm);
    EXPECT_TRUE(w.chkPower(0)->isChecked());

    w.txtPower(4)->setText(QString());
    QTest::keyClicks(w.txtPower(4), "Pump");
    EXPECT_EQ(s.inst.power().labels[4], "Pump");
}

TEST(frmPowerView, BoardFailureIsReportedAndTheWindowStaysClosed)
{
    Station s;
    s.faults.dask.refuseRegistration = true;
    frmPower w(s.inst.powerController(), s.prompts);
    EXPECT_FALSE(w.openWindow());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(s.prompts.messages, QStringList{"DigitalOut Board Trouble!"});
}

TEST(frmAdjustRPMView, MotorRowsVoltageAndReadings)
{
    Station s;
    QTemporaryDir dir;
    AdjustRpmController controller(s.inst, s.prompts, dir.path());
    frmAdjustRPM w(controller);
    ASSERT_TRUE(w.openWindow());
    EXPECT_EQ(w.windowTitle(), "RPM Adjustment");
    EXPECT_EQ(w.txtRPM()->text(), "100");
    EXPECT_EQ(w.txtVoltage()->text(), "0.500");
    EXPECT_FALSE(w.UpdRPM()->isEnabled());
    EXPECT_FALSE(w.timer()->isActive());

    w.cmdMotorOn()->click();
    EXPECT_TRUE(w.UpdRPM()->isEnabled());
    EXPECT_TRUE(w.UpdVoltage()->isEnabled());
    EXPECT_TRUE(w.timer()->isActive());
    EXPECT_TRUE(s.rig.relays() & 1);

    w.UpdRPM()->upButton()->click();
    EXPECT_EQ(w.txtRPM()->text(), "1000");
    EXPECT_EQ(w.txtVoltage()->text(), "2.800");
    w.UpdVoltage()->upButton()->click();
    EXPECT_EQ(w.txtVoltage()->text(), "2.802");
    EXPECT_NEAR(s.rig.analogOut(0), 2.802, 1e-12);

    s.clock.advance(10000);
    QMetaObject::invokeMethod(w.timer(), "timeout");
    EXPECT_FALSE(w.lblMeasRPM()->text().isEmpty());
    EXPECT_GT(w.lblMeasRPM()->text().toDouble(), 900);
    EXPECT_TRUE(w.timer()->isActive()); // started again after the tick

    w.cmdMotorOff()->click();
    EXPECT_FALSE(w.timer()->isActive());
    EXPECT_FALSE(w.UpdRPM()->isEnabled());
    EXPECT_FALSE(s.rig.relays() & 1);

    w.cmdMotorOn()->click();
    w.close();
    EXPECT_FALSE(w.timer()->isActive());
    EXPECT_TRUE(s.rig.relays() & 1); // closing leaves the motor running
}

TEST(frmAdjustRPMView, FailingBoardKeepsTheWindowClosed)
{
    Station s;
    s.faults.dask.refuseRegistration = true;
    AdjustRpmController controller(s.inst, s.prompts, QString());
    frmAdjustRPM w(controller);
    EXPECT_FALSE(w.openWindow());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(s.prompts.messages, QStringList{QStringLiteral("AD Board不良です")});
}

TEST(frmSimRigView, StartsTheFrontPanelSweepFromItsFields)
{
    Station s;
    sim::SimPanelController panel(s.rig);
    frmSimRig w(panel);
    EXPECT_EQ(w.windowTitle(), "Simulated Instrument");
    EXPECT_EQ(w.field("txtRate")->text(), "100");
    EXPECT_FALSE(w.cmdStopSweep()->isEnabled());
    w.field("txtV0")->setText("0.1");
    w.field("txtV1")->setText("0.3");
    w.field("txtRate")->setText("-5"); // not a rate: the default is used and shown
    w.cmdStartSweep()->click();
    EXPECT_EQ(w.field("txtRate")->text(), "100");
    EXPECT_TRUE(w.cmdStopSweep()->isEnabled());
    EXPECT_FALSE(w.cmdStartSweep()->isEnabled());
    s.clock.advance(1000);
    w.refresh();
    EXPECT_TRUE(w.lblStatus()->text().startsWith("E 0.200 V"))
        << w.lblStatus()->text().toStdString();
    s.rig.generator().command("XX");
    w.refresh();
    EXPECT_TRUE(w.faultList()->toPlainText().contains("XX"));
    w.cmdStopSweep()->click();
    EXPECT_TRUE(w.cmdStartSweep()->isEnabled());
    // Every fault of the rig has its switch in the window.
    for (const sim::FaultSwitch &f : sim::kFaultSwitches) {
        auto *check = w.findChild<QCheckBox *>(QStringLiteral("chkFault_") + f.key);
        ASSERT_NE(check, nullptr) << f.key;
        check->setChecked(true);
        EXPECT_TRUE(s.rig.injected.*(f.flag)) << f.key;
    }
}
