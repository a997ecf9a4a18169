#include "devices/Instruments.h"
#include "state/Settings.h"
#include "support/VendorFakes.h"

#include <gtest/gtest.h>

using namespace tervo;
using tervo::test::FakeAio;
using tervo::test::FakeDask;
using tervo::test::FakePorts;

namespace {

struct Rig {
    Settings settings;
    std::vector<RpmRow> table;
    FakeDask dask;
    FakePorts ports;
    FakeAio aio;
    Instruments inst{settings, table, VendorLibraries{&aio, &dask, &ports, nullptr, nullptr}};
};

} // namespace

TEST(AutomaticRanging, SmallReadingsMoveToFinerRangesAndLargeOnesBack)
{
    Rig r;
    r.settings.ADBoard = 2;
    r.settings.CardNumber = 3;
    r.settings.DynamicRange = 1;
    ASSERT_EQ(r.inst.ADOpen(), 0);
    EXPECT_EQ(r.inst.RangeCode[1], 3);

    r.dask.readings = {0.1, 0.1, 0.6};
    EXPECT_DOUBLE_EQ(r.inst.ADRead(1), 0.1); // 0.1 / 2.5 < 0.2
    EXPECT_EQ(r.inst.RangeCode[1], 4);
    EXPECT_DOUBLE_EQ(r.inst.ADRead(1), 0.1); // 0.1 / 1.25 < 0.2
    EXPECT_EQ(r.inst.RangeCode[1], 5);
    EXPECT_DOUBLE_EQ(r.inst.ADRead(1), 0.6); // 0.6 / 0.625 > 0.8
    EXPECT_EQ(r.inst.RangeCode[1], 4);

    // Each read went to the configured card number with the channel's range of that moment.
    std::vector<int> ranges;
    for (const auto &c : r.dask.calls)
        if (c.name == "AI_VReadChannel") {
            EXPECT_EQ(c.a, 3);
            EXPECT_EQ(c.b, 1);
            ranges.push_back(c.c);
        }
    EXPECT_EQ(ranges, (std::vector<int>{3, 4, 5}));
    // Other channels keep their own range.
    EXPECT_EQ(r.inst.RangeCode[0], 3);
}

TEST(AutomaticRanging, AReadingJustBelowAFifthMovesOnceAndStays)
{
    Rig r;
    r.settings.ADBoard = 2;
    r.settings.DynamicRange = 1;
    r.inst.ADOpen();
    r.dask.readings = {0.45, 0.45};
    r.inst.ADRead(0);
    EXPECT_EQ(r.inst.RangeCode[0], 4); // 0.18 < 0.2, then 0.36 is not above 0.8
    r.inst.ADRead(0);
    EXPECT_EQ(r.inst.RangeCode[0], 4);

    // The codes never leave 3..5, and ADOpen starts every channel again at 3.
    r.dask.readings = {0.0, 0.0, 0.0, 2.4, 2.4, 2.4};
    for (int i = 0; i < 3; ++i)
        r.inst.ADRead(0);
    EXPECT_EQ(r.inst.RangeCode[0], 5);
    for (int i = 0; i < 3; ++i)
        r.inst.ADRead(0);
    EXPECT_EQ(r.inst.RangeCode[0], 3);
    r.dask.readings = {0.0};
    r.inst.ADRead(7);
    r.inst.ADOpen();
    EXPECT_EQ(r.inst.RangeCode[7], 3);
}

TEST(AutomaticRanging, FixedRangeAndChannelsBeyondTheTable)
{
    Rig r;
    r.settings.ADBoard = 2;
    r.inst.ADOpen();
    r.dask.readings = {0.01};
    EXPECT_DOUBLE_EQ(r.inst.ADRead(2), 0.01);
    EXPECT_EQ(r.inst.RangeCode[2], 3);
    EXPECT_EQ(r.dask.calls.back().c, 3);

    // A channel number past the 64 inputs reads on the fixed range instead of past the table.
    r.settings.DynamicRange = 1;
    r.dask.readings = {0.01};
    r.inst.ADRead(200);
    EXPECT_EQ(r.dask.calls.back().b, 200);
    EXPECT_EQ(r.dask.calls.back().c, 3);
}

TEST(PortBoard, RawValuesToVolts)
{
    Rig r;
    r.settings.ADBoard = 0;
    ASSERT_EQ(r.inst.ADOpen(), 0);
    // Opening: 1 to the status port, one read of the data port.
    ASSERT_FALSE(r.ports.writes.isEmpty());
    EXPECT_EQ(r.ports.writes.front(), qMakePair(0x1D1, 1));

    const std::pair<int, double> cases[] = {{2048, 0.0}, {0, -2.5}, {4095, 2.498779296875}};
    for (auto [raw, volts] : cases) {
        r.ports.raw = raw;
        EXPECT_DOUBLE_EQ(r.inst.ADRead(4), volts) << raw;
    }
    // The conversion of channel 4 is started with bit 4 set.
    EXPECT_EQ(r.ports.writes.back(), qMakePair(0x1D0, 4 + 16));
    EXPECT_FALSE(r.inst.adBoardFaulty());
}

TEST(PortBoard, AMissingReadyBitEndsTheWaitAndMarksTheBoard)
{
    Rig r;
    r.settings.ADBoard = 0;
    r.inst.ADOpen();
    r.ports.raw = 4095;
    r.ports.ready = false;
    EXPECT_DOUBLE_EQ(r.inst.ADRead(0), 0.0);
    EXPECT_TRUE(r.inst.adBoardFaulty());
    EXPECT_EQ(r.ports.statusReads, kPortReadyPolls);
    // A faulty board is not polled again until it is opened again.
    EXPECT_DOUBLE_EQ(r.inst.ADRead(0), 0.0);
    EXPECT_EQ(r.ports.statusReads, kPortReadyPolls);
    r.ports.ready = true;
    r.inst.ADOpen();
    EXPECT_FALSE(r.inst.adBoardFaulty());
    EXPECT_NEAR(r.inst.ADRead(0), 2.4988, 1e-4);
}

TEST(PortBoard, RefusedPortAccessFailsTheOpenAndTouchesNoPort)
{
    Rig r;
    r.settings.ADBoard = 0;
    r.ports.grant = false;
    EXPECT_NE(r.inst.ADOpen(), 0);
    EXPECT_DOUBLE_EQ(r.inst.ADRead(0), 0.0);
    EXPECT_TRUE(r.ports.writes.isEmpty());
    EXPECT_EQ(r.ports.statusReads, 0);
}

TEST(AnalogIoDevice, OpensWithTheDeviceNameAndConvertsTwelveBits)
{
    Rig r;
    r.settings.ADBoard = 1;
    r.settings.DeviceName = QStringLiteral("AIO003");
    ASSERT_EQ(r.inst.ADOpen(), 0);
    EXPECT_EQ(r.aio.calls, QStringList({"AioOpenEx AIO003", "AioSetRange 5 0 0 0 2"}));
    r.aio.raw = 3072;
    EXPECT_DOUBLE_EQ(r.inst.ADRead(3), 1.25);
    EXPECT_EQ(r.aio.channels, QList<int>{3});
    EXPECT_EQ(r.aio.calls.back(), "AioInp 5 1");
    r.inst.ADClose();
    EXPECT_EQ(r.aio.calls.back(), "AioClose 5");

    // A failed open is the status, and the range is not set.
    Rig bad;
    bad.settings.ADBoard = 1;
    bad.aio.openResult = 7;
    EXPECT_EQ(bad.inst.ADOpen(), 7);
    EXPECT_EQ(bad.aio.calls.size(), 1);
    Rig range;
    range.settings.ADBoard = 1;
    range.aio.rangeResult = 9;
    EXPECT_EQ(range.inst.ADOpen(), 9);
}

TEST(AnalogInput, NoBoardReadsZero)
{
    Rig r;
    r.settings.ADBoard = 5;
    EXPECT_EQ(r.inst.ADOpen(), 0);
    EXPECT_DOUBLE_EQ(r.inst.ADRead(0), 0.0);
    EXPECT_TRUE(r.dask.calls.empty());
}

TEST(CardRegistration, SharedByInputOutputAndDigitalOutput)
{
    Rig r;
    r.settings.ADBoard = 2;
    r.settings.DABoard = 1;
    r.settings.PowerControl = 2;
    r.settings.CardNumber = 1;
    r.dask.handle = 4;
    EXPECT_EQ(r.inst.ADOpen(), 0);
    EXPECT_EQ(r.inst.DAOpen(), 0);
    EXPECT_EQ(r.inst.DOOpen(), 0);
    EXPECT_EQ(r.inst.ADOpen(), 0);
    EXPECT_EQ(r.dask.count("Register_Card"), 1);
    EXPECT_EQ(r.dask.calls.front().a, 22);
    EXPECT_EQ(r.dask.calls.front().b, 1);
    EXPECT_EQ(r.inst.CardHandle, 4);
    // Outputs go to the handle, reads to the card number.
    double v = 1.0;
    r.inst.DAWrite(0, v);
    EXPECT_EQ(r.dask.calls.back().name, "AO_VWriteChannel");
    EXPECT_EQ(r.dask.calls.back().a, 4);

    r.inst.ADClose();
    EXPECT_EQ(r.dask.count("Release_Card"), 1);
    EXPECT_EQ(r.inst.CardHandle, -1);
    r.inst.DAClose(); // already released: nothing more
    EXPECT_EQ(r.dask.count("Release_Card"), 1);
}

TEST(CardRegistration, ANegativeHandleIsTheOpenStatus)
{
    Rig r;
    r.settings.ADBoard = 2;
    r.settings.DABoard = 1;
    r.dask.handle = -3;
    EXPECT_EQ(r.inst.ADOpen(), -3);
    EXPECT_NE(r.inst.DAOpen(), 0);
    EXPECT_EQ(r.dask.count("AO_9112_Config"), 0);
    r.settings.PowerControl = 2;
    EXPECT_NE(r.inst.DOOpen(), 0);
}

TEST(AnalogOutput, ClampsInTheCallersVariable)
{
    Rig r;
    r.settings.DABoard = 1;
    ASSERT_EQ(r.inst.DAOpen(), 0);
    // Both outputs configured for the 0..5 V span; the status is the second call's.
    ASSERT_EQ(r.dask.count("AO_9112_Config"), 2);
    EXPECT_EQ(r.dask.calls[1].b, 0);
    EXPECT_EQ(r.dask.calls[2].b, 1);
    EXPECT_DOUBLE_EQ(r.dask.calls[2].v, -5.0);

    double v = 7.3;
    r.inst.DAWrite(0, v);
    EXPECT_DOUBLE_EQ(v, 5.0);
    EXPECT_DOUBLE_EQ(r.dask.calls.back().v, 5.0);
    v = -0.2;
    r.inst.DAWrite(0, v);
    EXPECT_DOUBLE_EQ(v, 0.0);
    EXPECT_DOUBLE_EQ(r.dask.calls.back().v, 0.0);
    v = 4.999;
    r.inst.DAWrite(1, v);
    EXPECT_DOUBLE_EQ(r.dask.calls.back().v, 4.999);
    EXPECT_EQ(r.dask.calls.back().b, 1);
}

TEST(AnalogOutput, OtherBoardChoices)
{
    Rig none;
    none.settings.DABoard = 0;
    EXPECT_EQ(none.inst.DAOpen(), 0);
    double v = 7.3;
    none.inst.DAWrite(0, v);
    EXPECT_DOUBLE_EQ(v, 7.3);
    EXPECT_TRUE(none.dask.calls.empty());

    Rig other;
    other.settings.DABoard = 3;
    other.inst.DAOpen();
    v = 7.3;
    other.inst.DAWrite(0, v);
    EXPECT_DOUBLE_EQ(v, 5.0); // clamped, not written
    EXPECT_TRUE(other.dask.calls.empty());

    Rig config;
    config.settings.DABoard = 1;
    config.dask.configResult = -12;
    EXPECT_EQ(config.inst.DAOpen(), -12);
}

TEST(DigitalOutput, ByBoardKind)
{
    Rig port;
    port.settings.PowerControl = 1;
    EXPECT_EQ(port.inst.DOOpen(), 0);
    port.inst.DOWrite(10);
    EXPECT_EQ(port.ports.writes.back(), qMakePair(64, 10));

    Rig card;
    card.settings.PowerControl = 2;
    card.settings.CardNumber = 2;
    card.inst.DOWrite(6);
    EXPECT_EQ(card.dask.calls.back().name, "DO_WritePort");
    EXPECT_EQ(card.dask.calls.back().a, 2);
    EXPECT_EQ(card.dask.calls.back().b, 0);
    EXPECT_EQ(card.dask.calls.back().c, 6);

    Rig none;
    none.inst.DOWrite(1);
    EXPECT_TRUE(none.ports.writes.isEmpty());
    EXPECT_TRUE(none.dask.calls.empty());

    Rig refused;
    refused.settings.PowerControl = 1;
    refused.ports.grant = false;
    EXPECT_NE(refused.inst.DOOpen(), 0);
}
