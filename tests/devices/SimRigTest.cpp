#include "devices/sim/SimRig.h"
#include "devices/Instruments.h"
#include "devices/LinuxRoutes.h"
#include "devices/sim/DummyCell.h"
#include "devices/sim/InstrumentRoutes.h"
#include "devices/sim/SimPanelController.h"
#include "state/Settings.h"
#include "support/VendorFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace tervo;
using namespace tervo::sim;

namespace {

struct Bench {
    FakeMsClock clock{5000};
    SimRig rig{clock};
    Settings settings;
    std::vector<RpmRow> table;
    test::FaultyLibraries faults{rig.libraries()};
    Instruments inst{settings, table, faults.libraries()};

    Bench() { rig.noiseVolts = 0; }
    void runSeconds(double s) { clock.advance(static_cast<std::uint32_t>(std::lround(s * 1000))); }
    double rpm()
    {
        rig.sync();
        return rig.rotator().rpm();
    }
    sim::CellCurrents currents()
    {
        rig.sync();
        return rig.cellCurrents(0);
    }
    double potential()
    {
        rig.sync();
        return rig.potentiostat().appliedPotential();
    }
};

QString sourceFile(const char *relative)
{
    return QStringLiteral(TERVO_TEST_DATA "/../../") + QString::fromLatin1(relative);
}

} // namespace

// Both routes to the generator, the board and the serial converter, play the same programme.
class GeneratorRoute : public ::testing::TestWithParam<int> {};

TEST_P(GeneratorRoute, TwoCycleSweepFollowsTheProgrammeInTime)
{
    Bench b;
    b.settings.GPIBControl = GetParam();
    b.settings.GPIBAddress = 7;
    b.settings.ADBoard = 2;
    ASSERT_EQ(b.inst.ADOpen(), 0);
    ASSERT_EQ(b.inst.GPIBInit(), 0);
    // Hold 0 V for 2 s, then 0 -> 0.5 -> -0.5 -> 0 V at 100 mV/s: 20 s per cycle.
    b.inst.FGProgramSweep(1, {0.0, 0.5, -0.5}, 100, 2);
    b.runSeconds(3);
    EXPECT_DOUBLE_EQ(b.potential(), 0.0); // programmed but not started
    b.inst.FGStart();

    const std::pair<double, double> expected[] = {
        {1.0, 0.0},    {4.5, 0.25}, {7.0, 0.5},   {12.0, 0.0}, {17.0, -0.5},
        {19.5, -0.25}, {22.0, 0.0}, {24.5, 0.25}, {29.0, 0.3}, {40.0, -0.2}};
    double now = 0;
    for (auto [t, volts] : expected) {
        b.runSeconds(t - now);
        now = t;
        EXPECT_NEAR(b.potential(), volts, 1e-9) << "at " << t << " s";
        // The potential monitor shows it through the board, to the board's resolution.
        EXPECT_NEAR(b.inst.ADRead(0), volts, 2.5 / 2048) << "at " << t << " s";
    }
    b.inst.FGStop();
    b.runSeconds(5);
    EXPECT_NEAR(b.potential(), -0.2, 1e-9); // stopped: holds
    EXPECT_TRUE(b.rig.faults().isEmpty()) << b.rig.faults().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BoardAndSerial, GeneratorRoute, ::testing::Values(1, 2));

TEST(SimGenerator, StepProgrammeHoldsThenSteps)
{
    Bench b;
    b.settings.GPIBControl = 2;
    b.settings.GPIBAddress = 7;
    b.inst.FGProgramStep(1, {-0.1, 0.6}, 3, 60);
    b.inst.FGStart();
    b.runSeconds(0.001);
    EXPECT_NEAR(b.potential(), -0.1, 1e-12);
    b.runSeconds(2.9);
    EXPECT_NEAR(b.potential(), -0.1, 1e-12);
    b.runSeconds(0.2);
    EXPECT_NEAR(b.potential(), 0.6, 1e-12);
    b.runSeconds(120);
    EXPECT_NEAR(b.potential(), 0.6, 1e-12);
    EXPECT_TRUE(b.rig.faults().isEmpty());
}

TEST(SimGenerator, MalformedCommandsAreFaultsAndChangeNothing)
{
    SimFunctionGenerator g;
    for (const char *c : {"SR0", "F1ED1", "VF+0300", "RT10E9", "STEP", "HT001E0", "YF1", "F101",
                          "VF+0700", "RT50E-3", "HT000E0", "YF0", "ET1", "ED0"})
        g.command(c);
    ASSERT_TRUE(g.faults.isEmpty()) << g.faults.join('\n').toStdString();
    const WaveProgramme before = g.programme();

    const char *bad[] = {"F1ED1",   "VF+05", "XYZ", "A1",      "VF0500", "RT5E",   "RTE-3",
                         "HT1.5E0", "F103",  "ET2", "RT00E+0", "YF2",    "VF+05a0"};
    for (const char *c : bad)
        g.command(c);
    // "F1ED1" itself is good; the rest inside the programme are faults, and "A1" inside it too.
    EXPECT_EQ(g.faults.size(), static_cast<qsizetype>(std::size(bad)) - 1)
        << g.faults.join('\n').toStdString();
    EXPECT_TRUE(g.faults.join('\n').contains("\"XYZ\": unknown command"));
    g.command("ED0"); // an empty edit with no steps replaces the programme
    EXPECT_TRUE(g.programme().cycle.empty());
    EXPECT_EQ(before.cycle.size(), 1u);
    EXPECT_DOUBLE_EQ(before.cycle[0].target, 0.7);
    EXPECT_DOUBLE_EQ(before.cycle[0].rate, 0.05);
    EXPECT_DOUBLE_EQ(before.start.hold, 1.0);

    SimFunctionGenerator outside;
    outside.command("VF+0100");
    outside.command("F3ED1");
    EXPECT_EQ(outside.faults.size(), 2);
}

TEST(SimPotentiostat, OwnSweepStartedByHand)
{
    // With no programme in the generator the front-panel sweep drives the cell, whether the
    // external input is connected or not.
    for (bool external : {false, true}) {
        Bench b;
        b.rig.potentiostat().externalInput = external;
        b.rig.potentiostat().setSweep(0.1, 0.6, 0.1, 50);
        b.runSeconds(10);
        EXPECT_DOUBLE_EQ(b.potential(), 0.1);
        b.rig.potentiostat().startSweep();
        b.runSeconds(5);
        EXPECT_NEAR(b.potential(), 0.35, 1e-9);
        b.runSeconds(10); // 0.6 at 10 s, back down to 0.35 at 15 s
        EXPECT_NEAR(b.potential(), 0.35, 1e-9);
        b.runSeconds(5);
        EXPECT_NEAR(b.potential(), 0.1, 1e-9);
        b.runSeconds(2);
        EXPECT_NEAR(b.potential(), 0.2, 1e-9); // and again
    }
}

TEST(Routes, SimulatedAndHardware)
{
    FakeMsClock clock;
    auto simulated = InstrumentRoutes::simulated(clock);
    ASSERT_NE(simulated->rig(), nullptr);
    EXPECT_EQ(simulated->libraries().dask, &simulated->rig()->dask());

    auto hardware = InstrumentRoutes::hardware(QString());
    EXPECT_EQ(hardware->rig(), nullptr);
    Settings settings;
    std::vector<RpmRow> table;
    Instruments inst(settings, table, hardware->libraries());
    // No card, no analog I/O device and no GPIB board on this machine: every open fails.
    settings.ADBoard = 2;
    EXPECT_NE(inst.ADOpen(), 0);
    settings.ADBoard = 1;
    EXPECT_NE(inst.ADOpen(), 0);
    settings.DABoard = 1;
    EXPECT_NE(inst.DAOpen(), 0);
    settings.GPIBControl = 2;
    EXPECT_EQ(inst.GPIBInit(), 1);
}

TEST(Routes, PortsAreTouchedOnlyWhenGranted)
{
    LinuxPortIo io;
    // Without a grant an in/out instruction would fault the process; these must not reach it.
    EXPECT_EQ(io.PortInputByte(0x1D1), 0);
    io.PortOutputByte(0x40, 0x1F);
    EXPECT_FALSE(io.PortAccess(0x3FF, 2)); // beyond what can be granted
    EXPECT_FALSE(io.PortAccess(0x100, 0));

    LinuxPortIo probe;
    if (probe.PortAccess(kPortBoardBase, 2))
        GTEST_SKIP() << "this process may use the I/O ports; not touching a real board";
    auto hardware = InstrumentRoutes::hardware(QString());
    Settings settings;
    settings.ADBoard = 0;
    settings.PowerControl = 1;
    std::vector<RpmRow> table;
    Instruments inst(settings, table, hardware->libraries());
    EXPECT_NE(inst.ADOpen(), 0);
    EXPECT_DOUBLE_EQ(inst.ADRead(0), 0.0);
    EXPECT_NE(inst.DOOpen(), 0);
}

TEST(SimPotentiostat, DummyCellCurrentOnTheMonitorWithItsGains)
{
    Bench b;
    b.settings.ADBoard = 1;
    b.settings.DeviceName = QStringLiteral("AIO00");
    b.settings.GPIBControl = 2;
    b.settings.GPIBAddress = 7;
    ASSERT_EQ(b.inst.ADOpen(), 0);
    b.inst.FGProgramStep(1, {0.5, 0.5}, 1, 100);
    b.inst.FGStart();
    b.runSeconds(0.001);
    // Just after the step the capacitor is still empty: only the series resistor limits.
    const double divider = 0.5 * 1000 / 1100;
    const double charged = divider * (1 - std::exp(-1e-3 / (1e-4 * 100 * 1000 / 1100)));
    EXPECT_NEAR(b.currents().disk, (0.5 - charged) / 100, 1e-12);
    b.runSeconds(2);
    const double settled = 0.5 / 1100;
    EXPECT_NEAR(b.currents().disk, settled, 1e-9);
    EXPECT_NEAR(b.inst.ADRead(1), settled / 0.001, 5.0 / 4096);
    EXPECT_NEAR(b.inst.ADRead(0), 0.5, 5.0 / 4096);
    EXPECT_NEAR(b.inst.ADRead(3), 0.0, 5.0 / 4096); // no ring on the dummy cell

    b.rig.potentiostat().currentGain = 0.0001;
    b.rig.potentiostat().potentialGain = 2;
    EXPECT_NEAR(b.inst.ADRead(1), 2.5, 5.0 / 4096); // 4.5 V saturates at the board's limit
    EXPECT_NEAR(b.inst.ADRead(0), 0.25, 5.0 / 4096);

    // The AIO device with a wrong name does not open.
    b.settings.DeviceName = QStringLiteral("AIO01");
    EXPECT_NE(b.inst.ADOpen(), 0);
}

TEST(SimRotatorTest, FollowsTheVoltageWithALagOnlyWhilePowered)
{
    Bench b;
    b.settings.ADBoard = 2;
    b.settings.DABoard = 1;
    b.settings.PowerControl = 2;
    b.settings.CardNumber = 0;
    ASSERT_TRUE(ReadRpmTable(sourceFile("devices/sim/rotator-calibration.txt"), b.table));
    ASSERT_EQ(b.inst.ADOpen(), 0);
    ASSERT_EQ(b.inst.DAOpen(), 0);
    EXPECT_EQ(b.faults.dask.registrations, 1);

    std::int32_t rpm = 1600;
    b.inst.RpmSet(rpm);
    EXPECT_TRUE(b.rig.relays() & 1);
    b.runSeconds(0.5); // one time constant
    EXPECT_NEAR(b.rpm(), 1600 * (1 - std::exp(-1.0)), 20);
    b.runSeconds(5);
    // The calibration file matches the motor's curve to within a few rpm.
    EXPECT_NEAR(b.rpm(), 1600, 8);
    EXPECT_NEAR(b.inst.ADRead(4) * 1000, 1600, 8);

    std::int32_t stop = 0;
    b.inst.RpmSet(stop); // below the table with power control: motor off
    EXPECT_FALSE(b.rig.relays() & 1);
    b.runSeconds(5);
    EXPECT_LT(b.rpm(), 1);
    // The voltage alone does not turn an unpowered motor.
    double v = 4.0;
    b.inst.DAWrite(0, v);
    b.runSeconds(5);
    EXPECT_LT(b.rpm(), 1);
    EXPECT_DOUBLE_EQ(b.rig.analogOut(0), 4.0);
}

TEST(SimRotatorTest, CurveIsMonotoneAndItsInverseHolds)
{
    double last = -1;
    for (double v = 0; v <= 5.0; v += 0.25) {
        const double r = SimRotator::settledRpm(v);
        EXPECT_GE(r, last);
        last = r;
        if (r > 0) {
            EXPECT_NEAR(SimRotator::voltsFor(r), v, 1e-9);
        }
    }
    EXPECT_DOUBLE_EQ(SimRotator::settledRpm(0.05), 0.0);
}

TEST(SimRigTest, TenCellsOnTheMultipotentiostatInputs)
{
    Bench b;
    b.settings.ADBoard = 2;
    ASSERT_EQ(b.inst.ADOpen(), 0);
    std::vector<std::unique_ptr<DummyCell>> cells;
    for (int k = 0; k < kMaxCells; ++k) {
        cells.push_back(std::make_unique<DummyCell>(10, 1000.0 * (k + 1), 1e-6));
        b.rig.setCell(k, cells.back().get());
    }
    b.rig.wireMultipotentiostat();
    b.rig.potentiostat().externalInput = false;
    b.rig.potentiostat().setSweep(1.0, 1.0, 1.0, 100);
    b.runSeconds(1);
    for (int k = 0; k < kMaxCells; ++k) {
        const double current = 1.0 / (10 + 1000.0 * (k + 1));
        EXPECT_NEAR(b.inst.ADRead(static_cast<std::uint8_t>(2 * k)), 1.0, 5.0 / 4096) << k;
        EXPECT_NEAR(b.inst.ADRead(static_cast<std::uint8_t>(2 * k + 1)), current / 0.001,
                    5.0 / 4096)
            << k;
    }
    EXPECT_NEAR(b.inst.ADRead(40), 0.0, 5.0 / 4096); // nothing wired there
    b.rig.setCell(3, nullptr);
    EXPECT_NEAR(b.inst.ADRead(7), 0.0, 5.0 / 4096);
}

TEST(SimRigTest, PortBoardThatNeverSignalsReady)
{
    Bench b;
    b.settings.ADBoard = 0;
    b.inst.ADOpen();
    b.faults.port.neverReady = true;
    EXPECT_DOUBLE_EQ(b.inst.ADRead(0), 0.0);
    EXPECT_TRUE(b.inst.adBoardFaulty());
    b.faults.port.allowAccess = false;
    EXPECT_NE(b.inst.ADOpen(), 0);
}

TEST(SimRigTest, NoiseIsSeededAndRepeatable)
{
    FakeMsClock clock;
    SimRig a(clock, 42), same(clock, 42), other(clock, 43);
    bool differs = false;
    double sum = 0, squares = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double x = a.inputVolts(2);
        EXPECT_EQ(x, same.inputVolts(2));
        differs = differs || x != other.inputVolts(2);
        sum += x;
        squares += x * x;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / n, 0.0, 1e-5);
    EXPECT_NEAR(std::sqrt(squares / n), a.noiseVolts, a.noiseVolts * 0.05);
}

TEST(SimRigTest, ALongGapOfTheClockIsWalkedInBoundedSteps)
{
    FakeMsClock clock(0xFFFFF000u); // across the wrap of the counter
    SimRig rig(clock);
    rig.potentiostat().externalInput = false;
    rig.potentiostat().setSweep(0.0, 0.5, 0.0, 100);
    rig.potentiostat().startSweep();
    clock.advance(3600u * 1000u);
    rig.sync();
    EXPECT_NEAR(rig.seconds(), 3600.0, 1e-6);
    // 3600 s = 360 cycles of 10 s: back at the start.
    EXPECT_NEAR(rig.potentiostat().appliedPotential(), 0.0, 1e-6);
}

TEST(SimPanel, FrontPanelSweepGainsAndReadOut)
{
    Bench b;
    SimPanelController panel(b.rig);
    EXPECT_EQ(panel.currentGain, "0.001");
    panel.v0 = "0.2";
    panel.v1 = "0.4";
    panel.v2 = "0.2";
    panel.rate = "20";
    panel.potentialGain = "0"; // refused
    panel.currentGain = "1E-04";
    panel.ringGain = "2E-06";
    panel.startSweep();
    EXPECT_TRUE(panel.sweeping());
    EXPECT_EQ(panel.potentialGain, "1");
    EXPECT_DOUBLE_EQ(b.rig.potentiostat().currentGain, 1e-4);
    EXPECT_DOUBLE_EQ(b.rig.potentiostat().ringGain, 2e-6);
    b.runSeconds(5);
    EXPECT_TRUE(panel.statusText().startsWith("E 0.300 V")) << panel.statusText().toStdString();
    panel.stopSweep();
    EXPECT_FALSE(panel.sweeping());
    b.runSeconds(5);
    EXPECT_NEAR(b.potential(), 0.3, 1e-9);

    b.rig.generator().command("BOGUS");
    ASSERT_EQ(panel.faults().size(), 1);
    EXPECT_TRUE(panel.faults()[0].contains("BOGUS"));
}
