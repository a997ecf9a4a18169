#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tervo {

// The vendor libraries the device operations talk to, one small interface each. Every call keeps
// the vendor's name and the arguments the device operations pass; the implementations are the
// simulated rig (devices/sim) and the Linux routes (LinuxRoutes.h).

// CONTEC analog I/O device library (API-AIO).
struct AioTransfer {
    std::uintptr_t dataAddress = 0;    // address of the 16-bit sample buffer
    std::uintptr_t channelAddress = 0; // address of the 16-bit channel buffer
    std::uint16_t count = 0;
};

class AioLibrary {
public:
    virtual ~AioLibrary() = default;
    virtual std::int32_t AioOpenEx(const QString &deviceName, std::int16_t &id) = 0;
    virtual std::int32_t AioSetRange(std::int16_t id, std::int16_t channel, std::int16_t a,
                                     std::int16_t b, std::int16_t range) = 0;
    // Converts the channels named in the record's channel buffer into its data buffer.
    virtual std::int32_t AioInp(std::int16_t id, const AioTransfer &transfer) = 0;
    virtual std::int32_t AioClose(std::int16_t id) = 0;
    // Binary sample to volts over [low, high] at the given resolution.
    virtual float BinaryToVI(float low, float high, std::int32_t unit, std::int32_t bits,
                             std::uint16_t raw)
    {
        (void)unit;
        const double span = static_cast<double>(high) - low;
        return static_cast<float>(low + span * raw / static_cast<double>(1u << bits));
    }
};

// The address of a 16-bit buffer as the analog I/O library takes it (VBAdd32's LpWord).
inline std::uintptr_t LpWord(std::uint16_t &word)
{
    return reinterpret_cast<std::uintptr_t>(&word);
}

// ADLINK PCI-DASK card library.
class PciDaskLibrary {
public:
    virtual ~PciDaskLibrary() = default;
    virtual std::int16_t Register_Card(std::uint16_t cardType, std::uint16_t cardNumber) = 0;
    virtual std::int16_t Release_Card(std::uint16_t handle) = 0;
    virtual std::int16_t AI_VReadChannel(std::uint16_t cardNumber, std::uint16_t channel,
                                         std::uint16_t range, double &volts) = 0;
    virtual std::int16_t AO_9112_Config(std::uint16_t handle, std::uint16_t channel,
                                        double reference) = 0;
    virtual std::int16_t AO_VWriteChannel(std::uint16_t handle, std::uint16_t channel,
                                          double volts) = 0;
    virtual std::int16_t DO_WritePort(std::uint16_t cardNumber, std::uint16_t port,
                                      std::uint32_t value) = 0;
};

// Byte-wide I/O ports.
class PortIoLibrary {
public:
    virtual ~PortIoLibrary() = default;
    // Asks for access to count ports from first; false when refused. Ports outside every granted
    // range are neither read nor written.
    virtual bool PortAccess(std::uint16_t first, std::uint16_t count) = 0;
    virtual std::uint8_t PortInputByte(std::uint16_t port) = 0;
    virtual void PortOutputByte(std::uint16_t port, std::uint8_t value) = 0;
};

// CONTEC GPIB board library (API-GPIB). Completion codes: 0..2 normal, 3 and above errors, with
// the SRQ/IFC flags in the bits above the low byte.
class GpibLibrary {
public:
    virtual ~GpibLibrary() = default;
    virtual std::int32_t GpIni() = 0;
    virtual std::int32_t GpIfc(std::int32_t time) = 0;
    virtual std::int32_t GpRen() = 0;
    virtual std::int32_t GpTimeout(std::int32_t time) = 0;
    // addresses: {count, talker, listener...}.
    virtual std::int32_t GpTalk(const std::int32_t *addresses, std::int32_t length,
                                const QByteArray &data) = 0;
    virtual std::int32_t GpBoardsts(std::int32_t item, std::int32_t &value) = 0;
    virtual std::int32_t GpExit() = 0;
};

// The serial port control the converter route uses. Each call reports success; the route
// suppresses the failures and only counts them, as the port control's callers did.
class SerialPortLibrary {
public:
    virtual ~SerialPortLibrary() = default;
    virtual bool isOpen() const = 0;
    virtual bool setCommPort(int port) = 0;
    virtual bool setSettings(const QString &settings) = 0;
    virtual bool open() = 0;
    virtual bool setInputLen(int length) = 0;
    virtual bool output(const QByteArray &bytes) = 0;
};

// The five libraries a set of instruments works through. Whoever provides them owns them.
struct VendorLibraries {
    AioLibrary *aio = nullptr;
    PciDaskLibrary *dask = nullptr;
    PortIoLibrary *port = nullptr;
    GpibLibrary *gpib = nullptr;
    SerialPortLibrary *serial = nullptr;
};

} // namespace tervo
