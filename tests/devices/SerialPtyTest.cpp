#include "devices/Instruments.h"
#include "devices/LinuxRoutes.h"
#include "devices/sim/SerialConverterPeer.h"
#include "devices/sim/SimFunctionGenerator.h"
#include "state/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tervo;

namespace {

// The master side of a pseudo-terminal; the program's serial route opens the slave side as if
// it were the converter's port.
class PtyPair {
public:
    PtyPair()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            if (const char *name = ptsname(m_master))
                m_slave = QString::fromLocal8Bit(name);
    }
    ~PtyPair()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    bool ok() const { return m_master >= 0 && !m_slave.isEmpty(); }
    // The converter is unplugged.
    void closeMaster()
    {
        ::close(m_master);
        m_master = -1;
    }
    QString slaveName() const { return m_slave; }

    // Reads until count bytes have arrived or a second passes without any.
    QByteArray read(qsizetype count)
    {
        QByteArray out;
        while (out.size() < count) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, n);
        }
        return out;
    }

private:
    int m_master = -1;
    QString m_slave;
};

QCoreApplication &app()
{
    static int argc = 1;
    static char name[] = "devices_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication a(argc, argv);
    return a;
}

// The instruments with the serial route on a pseudo-terminal, generator at address 7.
class SerialConverterRoute : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_EQ(inst.GPIBInit(), 0) << port.lastError().toStdString();
    }
    QCoreApplication &a = app();
    PtyPair pty;
    QtSerialPortLibrary port{pty.slaveName()};
    Settings settings = [] {
        Settings s;
        s.GPIBControl = 1;
        s.GPIBAddress = 7;
        return s;
    }();
    std::vector<RpmRow> table;
    Instruments inst{settings, table, VendorLibraries{nullptr, nullptr, nullptr, nullptr, &port}};
};

} // namespace

TEST_F(SerialConverterRoute, FramesReachTheConverterThroughAPseudoTerminal)
{
    EXPECT_TRUE(pty.slaveName().endsWith(port.deviceName()));
    inst.FGStart();
    const QByteArray expected = "SIC .01\rsre 1\rtmo 0\rWRT #4,7\nA1\r\n";
    EXPECT_EQ(pty.read(expected.size()), expected);

    // A whole programme arrives in order, framed so the converter's peer accepts every command.
    inst.FGProgramSweep(1, {0.0, 0.5, -0.5}, 100, 2);
    inst.FGStart();
    sim::SimFunctionGenerator generator;
    sim::SerialConverterPeer peer;
    peer.deliver = [&](std::int32_t address, const QByteArray &command) {
        if (address != 7)
            return false;
        generator.command(command);
        return true;
    };
    peer.feed(pty.read(1 << 20));
    EXPECT_TRUE(peer.faults.isEmpty()) << peer.faults.join('\n').toStdString();
    EXPECT_EQ(peer.framesDelivered, 30);
    EXPECT_TRUE(generator.faults.isEmpty()) << generator.faults.join('\n').toStdString();
    EXPECT_TRUE(generator.running());
    EXPECT_EQ(generator.programme().cycle.size(), 4u);

    // The port stays open; a second init sends nothing.
    EXPECT_EQ(inst.GPIBInit(), 0);
    inst.FGStop();
    EXPECT_EQ(pty.read(13), QByteArray("WRT #4,7\nA0\r\n"));
}

TEST_F(SerialConverterRoute, AVanishedConverterIsAFailedCommandNotAHang)
{
    EXPECT_FALSE(inst.routeFaulty());
    pty.closeMaster();
    QElapsedTimer timer;
    timer.start();
    inst.FGProgramSweep(1, {0.0, 0.5, -0.5}, 100, 2);
    inst.FGStart();
    EXPECT_LT(timer.elapsed(), 5000); // every command waits at most a second
    ASSERT_TRUE(inst.routeFaulty());
    EXPECT_TRUE(inst.takeRouteFault().contains("serial line"));
    EXPECT_FALSE(inst.routeFaulty());
}

TEST(SerialRoute, AMissingDeviceFailsTheInit)
{
    app();
    QtSerialPortLibrary port(QStringLiteral("/dev/tervo-no-such-port"));
    Settings settings;
    settings.GPIBControl = 1;
    std::vector<RpmRow> table;
    Instruments inst(settings, table, VendorLibraries{nullptr, nullptr, nullptr, nullptr, &port});
    EXPECT_EQ(inst.GPIBInit(), 1);
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialRoute, LineSettingsText)
{
    SerialLineSettings s;
    ASSERT_TRUE(parseSerialSettings(QStringLiteral("9600,N,8,1"), s));
    EXPECT_EQ(s.baud, 9600);
    EXPECT_EQ(s.parity, QSerialPort::NoParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data8);
    EXPECT_EQ(s.stopBits, QSerialPort::OneStop);
    ASSERT_TRUE(parseSerialSettings(QStringLiteral("19200,e,7,2"), s));
    EXPECT_EQ(s.parity, QSerialPort::EvenParity);
    EXPECT_EQ(s.stopBits, QSerialPort::TwoStop);
    for (const char *bad :
         {"", "9600", "9600,N,8", "x,N,8,1", "9600,Q,8,1", "9600,N,9,1", "9600,N,8,3", "-1,N,8,1"})
        EXPECT_FALSE(parseSerialSettings(QString::fromLatin1(bad), s)) << bad;
}

TEST(ConverterPeer, ChecksTheByteCount)
{
    sim::SerialConverterPeer peer;
    QList<QByteArray> got;
    peer.deliver = [&](std::int32_t address, const QByteArray &c) {
        got << QByteArray::number(address) + ":" + c;
        return address == 7;
    };
    // Split across writes, as a serial line may deliver it.
    peer.feed("WRT #9,7\nVF+");
    peer.feed("0500\r\nSIC .01\r");
    peer.feed("WRT #5,7\nA1\r\n");   // one byte too many announced
    peer.feed("WRT #4,3\nA1\r\n");   // nobody at address 3
    peer.feed("WRT 4,7\nhello\r\n"); // no '#': not a frame
    EXPECT_EQ(got, (QList<QByteArray>{"7:VF+0500", "3:A1"}));
    EXPECT_EQ(peer.framesDelivered, 1);
    EXPECT_EQ(peer.setupCommands, QList<QByteArray>{"SIC .01"});
    ASSERT_EQ(peer.faults.size(), 4) << peer.faults.join('\n').toStdString();
    EXPECT_TRUE(peer.faults[0].contains("announces 5 bytes but carries 4"));
    EXPECT_TRUE(peer.faults[1].contains("address 3"));
}
