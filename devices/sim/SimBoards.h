#pragma once

#include "devices/VendorLibraries.h"

#include <cstdint>

namespace tervo::sim {

class SimRig;

// The analog I/O device on the rig: 12-bit, +-2.5 V.
class SimAio final : public AioLibrary {
public:
    explicit SimAio(SimRig &rig) : m_rig(rig) {}
    std::int32_t AioOpenEx(const QString &deviceName, std::int16_t &id) override;
    std::int32_t AioSetRange(std::int16_t id, std::int16_t, std::int16_t, std::int16_t,
                             std::int16_t) override;
    std::int32_t AioInp(std::int16_t id, const AioTransfer &transfer) override;
    std::int32_t AioClose(std::int16_t id) override;

    QString deviceName = QStringLiteral("AIO00");
    static constexpr std::int32_t kNoDevice = 10001;

private:
    SimRig &m_rig;
    bool m_open = false;
};

// The PCI-9112 card: 12-bit inputs on three bipolar ranges, two 0..5 V outputs, a digital port.
class SimPciDask final : public PciDaskLibrary {
public:
    explicit SimPciDask(SimRig &rig) : m_rig(rig) {}
    std::int16_t Register_Card(std::uint16_t cardType, std::uint16_t cardNumber) override;
    std::int16_t Release_Card(std::uint16_t handle) override;
    std::int16_t AI_VReadChannel(std::uint16_t cardNumber, std::uint16_t channel,
                                 std::uint16_t range, double &volts) override;
    std::int16_t AO_9112_Config(std::uint16_t handle, std::uint16_t channel,
                                double reference) override;
    std::int16_t AO_VWriteChannel(std::uint16_t handle, std::uint16_t channel,
                                  double volts) override;
    std::int16_t DO_WritePort(std::uint16_t cardNumber, std::uint16_t port,
                              std::uint32_t value) override;

    std::uint16_t cardNumber = 0;
    static constexpr std::int16_t kInvalidCard = -3;

private:
    bool validHandle(std::uint16_t handle) const { return m_registered && handle == 0; }
    SimRig &m_rig;
    bool m_registered = false;
    bool m_nonFinite = false;
};

// The I/O-port analog board at 0x1D0 and the relay port at 0x40.
class SimPortIo final : public PortIoLibrary {
public:
    explicit SimPortIo(SimRig &rig) : m_rig(rig) {}
    bool PortAccess(std::uint16_t first, std::uint16_t count) override;
    std::uint8_t PortInputByte(std::uint16_t port) override;
    void PortOutputByte(std::uint16_t port, std::uint8_t value) override;

    // Status reads before a conversion signals ready.
    int pollsUntilReady = 2;

private:
    SimRig &m_rig;
    int m_raw = 0;
    int m_pollsLeft = 0;
    bool m_converting = false;
};

// The GPIB board, the bus's system controller.
class SimGpibBoard final : public GpibLibrary {
public:
    explicit SimGpibBoard(SimRig &rig) : m_rig(rig) {}
    std::int32_t GpIni() override { return 0; }
    std::int32_t GpIfc(std::int32_t) override { return 0; }
    std::int32_t GpRen() override { return 0; }
    std::int32_t GpTimeout(std::int32_t) override { return 0; }
    std::int32_t GpTalk(const std::int32_t *addresses, std::int32_t length,
                        const QByteArray &data) override;
    std::int32_t GpBoardsts(std::int32_t item, std::int32_t &value) override;
    std::int32_t GpExit() override { return 0; }

    static constexpr std::int32_t kTimeout = 254;

private:
    SimRig &m_rig;
};

// The serial line to the converter, ending in its peer.
class SimSerialPort final : public SerialPortLibrary {
public:
    explicit SimSerialPort(SimRig &rig) : m_rig(rig) {}
    bool isOpen() const override;
    bool setCommPort(int port) override { return port == 1; }
    bool setSettings(const QString &settings) override;
    bool open() override;
    bool setInputLen(int length) override { return length >= 0; }
    bool output(const QByteArray &bytes) override;

private:
    SimRig &m_rig;
    bool m_open = false;
};

// A 12-bit offset-binary sample of volts over +-fullScale, saturating at the ends.
int toRaw12(double volts, double fullScale);

} // namespace tervo::sim
