#pragma once

#include "devices/VendorLibraries.h"

#include <QSerialPort>
#include <bitset>
#include <memory>

namespace tervo {

inline constexpr char kDefaultSerialDevice[] = "/dev/ttyS0";

// The port control of the serial-to-GPIB converter on a Linux serial device. Port 1 is the
// configured device; port n > 1 is /dev/ttyS(n-1).
class QtSerialPortLibrary final : public SerialPortLibrary {
public:
    explicit QtSerialPortLibrary(QString port1Device = QString::fromLatin1(kDefaultSerialDevice));
    bool isOpen() const override { return m_port.isOpen(); }
    bool setCommPort(int port) override;
    bool setSettings(const QString &settings) override;
    bool open() override;
    bool setInputLen(int length) override;
    bool output(const QByteArray &bytes) override;

    QString deviceName() const { return m_port.portName(); }
    QString lastError() const { return m_port.errorString(); }

private:
    QString m_port1Device;
    QSerialPort m_port;
};

// Speed, parity, data bits and stop bits from the port control's text "9600,N,8,1".
struct SerialLineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
bool parseSerialSettings(const QString &text, SerialLineSettings &out);

// Byte ports through ioperm/inb/outb. Access is asked for per range and refused without the
// privilege; ports outside every granted range are never touched.
class LinuxPortIo final : public PortIoLibrary {
public:
    bool PortAccess(std::uint16_t first, std::uint16_t count) override;
    std::uint8_t PortInputByte(std::uint16_t port) override;
    void PortOutputByte(std::uint16_t port, std::uint8_t value) override;

private:
    static constexpr std::size_t kPorts = 0x400; // what ioperm can grant
    std::bitset<kPorts> m_granted;
};

// The analog I/O device, the PCI card and the GPIB board have no library on this system: these
// stand in for them and report every call as failed, so the windows show their board messages.
class AbsentAioLibrary final : public AioLibrary {
public:
    std::int32_t AioOpenEx(const QString &, std::int16_t &) override { return kNotPresent; }
    std::int32_t AioSetRange(std::int16_t, std::int16_t, std::int16_t, std::int16_t,
                             std::int16_t) override
    {
        return kNotPresent;
    }
    std::int32_t AioInp(std::int16_t, const AioTransfer &) override { return kNotPresent; }
    std::int32_t AioClose(std::int16_t) override { return kNotPresent; }
    static constexpr std::int32_t kNotPresent = 10001;
};

class AbsentPciDaskLibrary final : public PciDaskLibrary {
public:
    static constexpr std::int16_t kNoCard = -1; // the library's "no such card"
    std::int16_t Register_Card(std::uint16_t, std::uint16_t) override { return kNoCard; }
    std::int16_t Release_Card(std::uint16_t) override { return kNoCard; }
    std::int16_t AI_VReadChannel(std::uint16_t, std::uint16_t, std::uint16_t, double &) override
    {
        return kNoCard;
    }
    std::int16_t AO_9112_Config(std::uint16_t, std::uint16_t, double) override { return kNoCard; }
    std::int16_t AO_VWriteChannel(std::uint16_t, std::uint16_t, double) override { return kNoCard; }
    std::int16_t DO_WritePort(std::uint16_t, std::uint16_t, std::uint32_t) override
    {
        return kNoCard;
    }
};

class AbsentGpibLibrary final : public GpibLibrary {
public:
    static constexpr std::int32_t kNoBoard = 80; // I/O address error
    std::int32_t GpIni() override { return kNoBoard; }
    std::int32_t GpIfc(std::int32_t) override { return kNoBoard; }
    std::int32_t GpRen() override { return kNoBoard; }
    std::int32_t GpTimeout(std::int32_t) override { return kNoBoard; }
    std::int32_t GpTalk(const std::int32_t *, std::int32_t, const QByteArray &) override
    {
        return kNoBoard;
    }
    std::int32_t GpBoardsts(std::int32_t, std::int32_t &value) override
    {
        value = 0;
        return kNoBoard;
    }
    std::int32_t GpExit() override { return kNoBoard; }
};

// The real routes of this machine, owned together.
class HardwareLibraries {
public:
    explicit HardwareLibraries(QString serialDevice = QString::fromLatin1(kDefaultSerialDevice));
    VendorLibraries libraries();

private:
    AbsentAioLibrary m_aio;
    AbsentPciDaskLibrary m_dask;
    LinuxPortIo m_port;
    AbsentGpibLibrary m_gpib;
    QtSerialPortLibrary m_serial;
};

} // namespace tervo
