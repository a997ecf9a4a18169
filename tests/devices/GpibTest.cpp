#include "devices/GPIB.h"
#include "devices/FunctionGenerator.h"
#include "devices/Instruments.h"
#include "devices/SubFunc.h"
#include "devices/sim/SimRig.h"
#include "state/Settings.h"
#include "support/VendorFakes.h"

#include <gtest/gtest.h>

using namespace tervo;
using tervo::test::FakeSerial;

namespace {

QString name(const char *n)
{
    return QString::fromLatin1(n);
}

// The commands the generator received, as one list.
QStringList received(const sim::SimFunctionGenerator &g)
{
    QStringList out;
    for (const QByteArray &c : g.received)
        out << QString::fromLatin1(c);
    return out;
}

struct BoardRig {
    FakeMsClock clock;
    sim::SimRig rig{clock};
    Settings settings;
    std::vector<RpmRow> table;
    test::FaultyLibraries faults{rig.libraries()};
    Instruments inst{settings, table, faults.libraries()};
    BoardRig()
    {
        settings.GPIBControl = 2;
        settings.GPIBAddress = 7;
    }
};

} // namespace

TEST(GPIBCheckStatus, CodesAndFlags)
{
    QString m;
    EXPECT_EQ(GPIBCheckStatus(name("GpTalk"), 0, m), 0);
    EXPECT_EQ(m, QStringLiteral("GpTalk : 正常に終了しました｡"));
    EXPECT_EQ(GPIBCheckStatus(name("GpTalk"), 2, m), 0);
    EXPECT_EQ(m, QStringLiteral("GpTalk : 正常に終了しました｡"));
    // 3 is an error without a text of its own.
    EXPECT_EQ(GPIBCheckStatus(name("GpIni"), 3, m), 1);
    EXPECT_EQ(m, QStringLiteral("GpIni : 正常に終了しました｡"));
    EXPECT_EQ(GPIBCheckStatus(name("GpTalk"), 254 + 256, m), 1);
    EXPECT_EQ(m, QStringLiteral("GpTalk : タイムアウトしました。 -SRQを受信[ステータス]"));
    EXPECT_EQ(GPIBCheckStatus(name("GpRen"), 80 + 512, m), 1);
    EXPECT_EQ(m, QStringLiteral(
                     "GpRen : I/Oアドレスエラーです。確認してください。 -IFCを受信[ステータス]"));
    EXPECT_EQ(GPIBCheckStatus(name("X"), 1 + 768, m), 0);
    EXPECT_EQ(m, QStringLiteral("X : 正常に終了しました｡ -SRQとIFCを受信[ステータス]"));
    EXPECT_EQ(GPIBCheckStatus(name("X"), 128, m), 1);
    EXPECT_EQ(
        m, QStringLiteral("X : データ受信オーバー(受信)又は[SRQ]は上がっていません(ポーリング)"));
    EXPECT_EQ(GPIBCheckStatus(name("X"), 255, m), 1);
    EXPECT_EQ(m, QStringLiteral("X : パラメータエラーです。"));
    EXPECT_EQ(GPIBCheckStatus(name("X"), 247, m), 1);
    EXPECT_EQ(m, QStringLiteral("X : デバイス名の横のチェックが無効です。"));
}

TEST(GPIBBoard, InitialisesAndSendsThroughTheBoard)
{
    BoardRig b;
    EXPECT_EQ(b.inst.GPIBInit(), 0);
    EXPECT_EQ(b.faults.gpib.calls,
              QStringList({"GpExit", "GpIni", "GpBoardsts", "GpBoardsts", "GpBoardsts",
                           "GpBoardsts", "GpIfc", "GpRen", "GpTimeout"}));
    QString message;
    EXPECT_EQ(b.inst.GPIBBoardInit(message), 0);
    EXPECT_EQ(message, QStringLiteral("初期化を終了しました。"));

    // Not the system controller: no interface clear, no remote enable.
    b.faults.gpib.calls.clear();
    b.faults.gpib.systemControllerStatus = 1;
    EXPECT_EQ(b.inst.GPIBInit(), 0);
    EXPECT_FALSE(b.faults.gpib.calls.contains("GpIfc"));

    b.inst.FGStart();
    EXPECT_EQ(received(b.rig.generator()), QStringList{"A1"});
    EXPECT_EQ(b.inst.GPIBLastMessage, QStringLiteral("GpTalk : 正常に終了しました｡"));
    // An empty command sends nothing.
    b.faults.gpib.calls.clear();
    b.inst.GPIBSend(7, QByteArray());
    EXPECT_TRUE(b.faults.gpib.calls.isEmpty());
    // Nobody at the address: the failure is only recorded.
    b.inst.GPIBSend(9, "A0");
    EXPECT_EQ(b.inst.GPIBLastMessage, QStringLiteral("GpTalk : タイムアウトしました。"));
}

TEST(GPIBBoard, FailuresOfTheInitialisationSteps)
{
    for (const char *call : {"GpIni", "GpIfc", "GpRen", "GpTimeout"}) {
        BoardRig b;
        b.faults.gpib.failCodes.insert(name(call), 80);
        QString message;
        EXPECT_EQ(b.inst.GPIBBoardInit(message), 1) << call;
        EXPECT_EQ(message,
                  name(call) + QStringLiteral(" : I/Oアドレスエラーです。確認してください。"));
        EXPECT_EQ(b.faults.gpib.calls.back(), name(call));
        EXPECT_EQ(b.inst.GPIBInit(), 1);
    }
    // GpExit's and GpBoardsts's results are not checked; codes below 3 are no error.
    BoardRig b;
    b.faults.gpib.failCodes.insert(name("GpExit"), 255);
    b.faults.gpib.failCodes.insert(name("GpBoardsts"), 255);
    b.faults.gpib.failCodes.insert(name("GpIni"), 2);
    EXPECT_EQ(b.inst.GPIBInit(), 0);
}

TEST(GPIBSerial, FramingAndOneTimeSetUp)
{
    EXPECT_EQ(serialConverterFrame(7, "A1"), QByteArray("WRT #4,7\nA1\r\n"));
    EXPECT_EQ(serialConverterFrame(12, "VF+0500"), QByteArray("WRT #9,12\nVF+0500\r\n"));

    Settings settings;
    settings.GPIBControl = 1;
    settings.GPIBAddress = 7;
    std::vector<RpmRow> table;
    FakeSerial serial;
    Instruments inst(settings, table, VendorLibraries{nullptr, nullptr, nullptr, nullptr, &serial});
    EXPECT_EQ(inst.GPIBInit(), 0);
    EXPECT_EQ(serial.commPort, 1);
    EXPECT_EQ(serial.settings, "9600,N,8,1");
    EXPECT_EQ(serial.outputs, (QList<QByteArray>{"SIC .01\r", "sre 1\r", "tmo 0\r"}));
    EXPECT_EQ(inst.GPIBInit(), 0); // already open: nothing sent
    EXPECT_EQ(serial.outputs.size(), 3);
    inst.FGStop();
    EXPECT_EQ(serial.outputs.back(), QByteArray("WRT #4,7\nA0\r\n"));

    FakeSerial refusing;
    refusing.refuseOpen = true;
    Instruments bad(settings, table,
                    VendorLibraries{nullptr, nullptr, nullptr, nullptr, &refusing});
    EXPECT_EQ(bad.GPIBInit(), 1);

    // No generator: nothing at all.
    settings.GPIBControl = 0;
    FakeSerial unused;
    Instruments none(settings, table, VendorLibraries{nullptr, nullptr, nullptr, nullptr, &unused});
    EXPECT_EQ(none.GPIBInit(), 0);
    none.FGStart();
    EXPECT_TRUE(unused.outputs.isEmpty());
}

TEST(FunctionGeneratorFormats, VoltAndRate)
{
    EXPECT_EQ(FGFormatVolt(0.5), "+0500");
    EXPECT_EQ(FGFormatVolt(-1.2), "-1200");
    EXPECT_EQ(FGFormatVolt(0), "+0000");
    EXPECT_EQ(FGFormatVolt(-0.0004), "-0000"); // the sign is taken before rounding
    EXPECT_EQ(FGFormatVolt(12.345), "+2345");  // the leading digits are lost
    EXPECT_EQ(FGFormatVolt(0.0126), "+0013");
    EXPECT_EQ(FGFormatRate(50), "50E-3");
    EXPECT_EQ(FGFormatRate(100), "10E-2");
    EXPECT_EQ(FGFormatRate(5), "50E-4");
}

TEST(FunctionGeneratorProgrammes, SweepWithThreeSteps)
{
    BoardRig b;
    b.inst.FGProgramSweep(1, {0.2, 0.8, 0.2}, 50, 5);
    EXPECT_EQ(received(b.rig.generator()),
              QStringList({"SR0",     "F1ED1",   "VF+0200", "RT50E-3", "STEP",    "HT005E0",
                           "YF1",     "F101",    "VF+0200", "RT50E-3", "HT000E0", "YF0",
                           "F102",    "VF+0800", "RT50E-3", "HT000E0", "YF0",     "F103",
                           "VF+0200", "RT50E-3", "HT000E0", "YF0",     "ET3",     "ED0"}));
    EXPECT_TRUE(b.rig.faults().isEmpty()) << b.rig.faults().join('\n').toStdString();
}

TEST(FunctionGeneratorProgrammes, SweepWithFourStepsAndAChannelDigit)
{
    BoardRig b;
    b.inst.FGProgramSweep(11, {0.0, 0.5, -0.5}, 100, 1234);
    EXPECT_EQ(received(b.rig.generator()),
              QStringList({"SR0",     "F1ED1",   "VF+0000", "RT10E-2", "STEP",    "HT234E0",
                           "YF1",     "F101",    "VF+0000", "RT10E-2", "HT000E0", "YF0",
                           "F102",    "VF+0500", "RT10E-2", "HT000E0", "YF0",     "F103",
                           "VF-0500", "RT10E-2", "HT000E0", "YF0",     "F104",    "VF+0000",
                           "RT10E-2", "HT000E0", "YF0",     "ET4",     "ED0"}));
    EXPECT_TRUE(b.rig.faults().isEmpty()) << b.rig.faults().join('\n').toStdString();
}

TEST(FunctionGeneratorProgrammes, Step)
{
    BoardRig b;
    b.inst.FGProgramStep(1, {-0.1, 0.6}, 3, 60);
    EXPECT_EQ(received(b.rig.generator()),
              QStringList({"SR0", "F1ED1", "VF-0100", "RT10E9", "STEP", "HT003E0", "YF1", "F101",
                           "VF+0600", "RT10E9", "STEP", "HT600E-1", "YF1", "ET1", "ED0"}));
    EXPECT_TRUE(b.rig.faults().isEmpty()) << b.rig.faults().join('\n').toStdString();
}
