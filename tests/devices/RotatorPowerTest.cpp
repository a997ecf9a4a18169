#include "devices/Instruments.h"
#include "state/Settings.h"
#include "support/VendorFakes.h"

#include <gtest/gtest.h>

using namespace tervo;
using tervo::test::FakeDask;
using tervo::test::FakePorts;

namespace {

struct PowerRig {
    Settings settings;
    std::vector<RpmRow> table;
    FakeDask dask;
    FakePorts ports;
    Instruments inst{settings, table, VendorLibraries{nullptr, &dask, &ports, nullptr, nullptr}};

    QList<int> portWrites(int port) const
    {
        QList<int> out;
        for (const auto &w : ports.writes)
            if (w.first == port)
                out << w.second;
        return out;
    }
    std::vector<double> analogWrites() const
    {
        std::vector<double> out;
        for (const auto &c : dask.calls)
            if (c.name == "AO_VWriteChannel")
                out.push_back(c.v);
        return out;
    }
};

} // namespace

TEST(Power, SwitchesOneBitAndKeepsTheOthers)
{
    PowerRig r;
    r.settings.PowerControl = 1;
    PowerController &p = r.inst.power();
    std::uint8_t on = 1;
    p.Power(1, on);
    EXPECT_EQ(on, 2);
    on = 1;
    p.Power(3, on);
    EXPECT_EQ(on, 8);
    on = 0;
    p.Power(1, on);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(r.portWrites(64), (QList<int>{2, 10, 8}));
    EXPECT_TRUE(p.isOn(3));
    EXPECT_FALSE(p.isOn(1));

    on = 1;
    p.Power(2, on); // only bit 0 of the argument counts
    EXPECT_EQ(on, 4);
    on = 2;
    p.Power(4, on);
    EXPECT_EQ(on, 0);

    on = 1;
    p.Power(5, on); // past the five outputs: nothing
    EXPECT_EQ(on, 1);
    EXPECT_EQ(r.portWrites(64).size(), 5);
    EXPECT_EQ(p.state(), 12);

    p.PowerOff();
    EXPECT_EQ(p.state(), 0);
    EXPECT_EQ(r.portWrites(64).back(), 0);
}

TEST(Power, WithoutABoardTheStateStillFollows)
{
    PowerRig r;
    r.settings.PowerControl = 0;
    PowerController &p = r.inst.power();
    int notified = 0;
    p.changed = [&] { ++notified; };
    std::uint8_t on = 1;
    p.Power(2, on);
    EXPECT_EQ(p.state(), 4);
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(r.ports.writes.isEmpty());
    EXPECT_TRUE(r.dask.calls.empty());
    p.Powerb(0, 0x55);
    EXPECT_TRUE(r.ports.writes.isEmpty());
}

TEST(Power, PowerbWritesThePortWhateverTheBoard)
{
    PowerRig r;
    r.settings.PowerControl = 2;
    PowerController &p = r.inst.power();
    p.Powerb(123, 0x1F);
    EXPECT_EQ(r.portWrites(64), QList<int>{0x1F});
    EXPECT_EQ(p.state(), 0);
    EXPECT_EQ(r.dask.count("DO_WritePort"), 0);
}

TEST(Power, OpensOnceAndRetriesAfterAFailure)
{
    PowerRig r;
    r.settings.PowerControl = 2;
    r.dask.handle = -1;
    PowerController &p = r.inst.power();
    EXPECT_FALSE(p.isOpen());
    EXPECT_NE(p.ensureOpen(), 0);
    r.dask.handle = 0;
    EXPECT_EQ(p.ensureOpen(), 0);
    std::uint8_t on = 1;
    p.Power(0, on);
    EXPECT_EQ(p.ensureOpen(), 0);
    EXPECT_EQ(p.state(), 1); // a second open does not reset the outputs
    EXPECT_EQ(r.dask.count("Register_Card"), 3);
}

TEST(RpmSet, InterpolatesInTheTable)
{
    PowerRig r;
    r.settings.DABoard = 1;
    r.settings.PowerControl = 1;
    r.table = {{0, 0.0}, {1000, 2.0}, {3000, 4.5}};
    r.inst.DAOpen();

    std::int32_t rpm = 2000;
    r.inst.RpmSet(rpm);
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 3.25);
    EXPECT_EQ(rpm, 2000);
    rpm = 1000;
    r.inst.RpmSet(rpm);
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 2.0);
    rpm = 5000;
    r.inst.RpmSet(rpm);
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 4.5);
    EXPECT_EQ(rpm, 3000);
    EXPECT_EQ(r.analogWrites(), (std::vector<double>{3.25, 2.0, 4.5}));
    // The motor is switched on with each setting.
    EXPECT_EQ(r.portWrites(64), (QList<int>{1, 1, 1}));
}

TEST(RpmSet, BelowTheTableWithAndWithoutPowerControl)
{
    PowerRig without;
    without.settings.DABoard = 1;
    without.table = {{100, 0.2}, {2000, 4.0}};
    without.inst.DAOpen();
    std::int32_t rpm = 0;
    without.inst.RpmSet(rpm);
    EXPECT_EQ(rpm, 100);
    EXPECT_EQ(without.analogWrites(), std::vector<double>{0.2});

    PowerRig with;
    with.settings.DABoard = 1;
    with.settings.PowerControl = 1;
    with.table = {{100, 0.2}, {2000, 4.0}};
    with.inst.DAOpen();
    std::uint8_t on = 1;
    with.inst.power().Power(2, on);
    rpm = 0;
    with.inst.RpmSet(rpm);
    EXPECT_EQ(rpm, 0);
    EXPECT_TRUE(with.analogWrites().empty());
    EXPECT_EQ(with.portWrites(64), (QList<int>{4, 4})); // motor off, output 2 untouched
}

TEST(RpmSet, NothingWithoutAnOutputBoardOrAUsableTable)
{
    PowerRig r;
    r.settings.DABoard = 0;
    r.table = {{0, 0.0}, {1000, 2.0}};
    std::int32_t rpm = 500;
    r.inst.RpmSet(rpm);
    EXPECT_TRUE(r.dask.calls.empty());
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 0.0);

    PowerRig empty;
    empty.settings.DABoard = 1;
    empty.inst.DAOpen();
    rpm = 500;
    empty.inst.RpmSet(rpm);
    empty.table = {{100, 1.0}};
    empty.inst.RpmSet(rpm);
    EXPECT_TRUE(empty.analogWrites().empty());

    // Rows of equal rate give the lower row's voltage instead of a division by zero.
    PowerRig flat;
    flat.settings.DABoard = 1;
    flat.inst.DAOpen();
    flat.table = {{0, 0.5}, {1000, 1.5}, {1000, 2.5}, {2000, 3.0}};
    rpm = 1000;
    flat.inst.RpmSet(rpm);
    EXPECT_DOUBLE_EQ(flat.inst.RotatorVoltage, 1.5);
}

TEST(RpmNudge, StaysWithinTheOutputSpan)
{
    PowerRig r;
    r.settings.DABoard = 1;
    r.inst.DAOpen();
    r.inst.RotatorVoltage = 4.9998;
    r.inst.RpmNudge(0.0005);
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 5.0);
    EXPECT_EQ(r.analogWrites(), std::vector<double>{5.0});
    r.inst.RotatorVoltage = 0.0002;
    r.inst.RpmNudge(-0.0005);
    EXPECT_DOUBLE_EQ(r.inst.RotatorVoltage, 0.0);
    r.inst.RpmNudge(0.0005);
    EXPECT_DOUBLE_EQ(r.analogWrites().back(), 0.0005);
}
