#include "SimBoards.h"

#include "SimRig.h"
#include "devices/Instruments.h"
#include "devices/LinuxRoutes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervo::sim {

int toRaw12(double volts, double fullScale)
{
    const double raw = std::floor((volts + fullScale) * 4096 / (2 * fullScale) + 0.5);
    if (!(raw > 0))
        return 0;
    return raw > 4095 ? 4095 : static_cast<int>(raw);
}

// --- analog I/O device ---

std::int32_t SimAio::AioOpenEx(const QString &name, std::int16_t &id)
{
    if (name != deviceName || m_rig.faultsNow().analogOpenFails)
        return kNoDevice;
    id = 0;
    m_open = true;
    return 0;
}

std::int32_t SimAio::AioSetRange(std::int16_t id, std::int16_t, std::int16_t, std::int16_t,
                                 std::int16_t)
{
    return m_open && id == 0 ? 0 : kNoDevice;
}

std::int32_t SimAio::AioInp(std::int16_t id, const AioTransfer &t)
{
    if (!m_open || id != 0 || t.count != 1 || !t.dataAddress || !t.channelAddress ||
        m_rig.faultsNow().analogStopsAnswering)
        return kNoDevice;
    const auto channel = *reinterpret_cast<const std::uint16_t *>(t.channelAddress);
    const double v = m_rig.inputVolts(channel);
    *reinterpret_cast<std::uint16_t *>(t.dataAddress) = static_cast<std::uint16_t>(toRaw12(v, 2.5));
    return 0;
}

std::int32_t SimAio::AioClose(std::int16_t)
{
    m_open = false;
    return 0;
}

// --- PCI card ---

std::int16_t SimPciDask::Register_Card(std::uint16_t type, std::uint16_t number)
{
    if (type != kCardTypePci9112 || number != cardNumber || m_rig.faultsNow().analogOpenFails)
        return kInvalidCard;
    m_registered = true;
    return 0;
}

std::int16_t SimPciDask::Release_Card(std::uint16_t handle)
{
    if (!validHandle(handle))
        return kInvalidCard;
    m_registered = false;
    return 0;
}

std::int16_t SimPciDask::AI_VReadChannel(std::uint16_t number, std::uint16_t channel,
                                         std::uint16_t range, double &volts)
{
    if (!m_registered || number != cardNumber || range < 3 || range > 5 ||
        m_rig.faultsNow().analogStopsAnswering)
        return kInvalidCard;
    if (m_rig.faultsNow().analogNonFinite) {
        m_nonFinite = !m_nonFinite;
        volts = m_nonFinite ? std::numeric_limits<double>::quiet_NaN()
                            : std::numeric_limits<double>::infinity();
        return 0;
    }
    const double fullScale = 2.5 / (1 << (range - 3));
    const int raw = toRaw12(m_rig.inputVolts(channel), fullScale);
    volts = (raw - 2048) * fullScale / 2048;
    return 0;
}

std::int16_t SimPciDask::AO_9112_Config(std::uint16_t handle, std::uint16_t channel, double)
{
    return validHandle(handle) && channel < 2 ? 0 : kInvalidCard;
}

std::int16_t SimPciDask::AO_VWriteChannel(std::uint16_t handle, std::uint16_t channel, double volts)
{
    if (!validHandle(handle) || channel >= 2)
        return kInvalidCard;
    m_rig.writeAnalogOut(channel, std::clamp(volts, 0.0, 5.0));
    return 0;
}

std::int16_t SimPciDask::DO_WritePort(std::uint16_t number, std::uint16_t port, std::uint32_t value)
{
    if (!m_registered || number != cardNumber || port != 0)
        return kInvalidCard;
    m_rig.writeRelays(static_cast<std::uint8_t>(value));
    return 0;
}

// --- port I/O ---

bool SimPortIo::PortAccess(std::uint16_t first, std::uint16_t)
{
    return !(first == kPortBoardBase && m_rig.faultsNow().analogOpenFails);
}

std::uint8_t SimPortIo::PortInputByte(std::uint16_t port)
{
    if (port == kPortBoardBase)
        return static_cast<std::uint8_t>(m_raw & 0xFF);
    if (port == kPortBoardBase + 1) {
        const auto high = static_cast<std::uint8_t>((m_raw >> 8) & 0x0F);
        if (!m_converting || m_rig.faultsNow().analogStopsAnswering)
            return high;
        if (m_pollsLeft > 0) {
            --m_pollsLeft;
            return high;
        }
        return high | 0x40;
    }
    return 0xFF; // nothing on the bus
}

void SimPortIo::PortOutputByte(std::uint16_t port, std::uint8_t value)
{
    if (port == kPortBoardBase && (value & 0x10)) {
        m_raw = toRaw12(m_rig.inputVolts(value & 0x0F), 2.5);
        m_converting = true;
        m_pollsLeft = pollsUntilReady;
    } else if (port == kPortDigitalOut) {
        m_rig.writeRelays(value);
    }
}

// --- GPIB board ---

std::int32_t SimGpibBoard::GpTalk(const std::int32_t *addresses, std::int32_t length,
                                  const QByteArray &data)
{
    if (!addresses || addresses[0] < 2 || length < 0 || length > data.size())
        return 255; // parameter error
    if (m_rig.faultsNow().gpibTimesOut)
        return kTimeout;
    return m_rig.talk(addresses[2], data.left(length)) ? 0 : kTimeout; // nobody listening
}

std::int32_t SimGpibBoard::GpBoardsts(std::int32_t, std::int32_t &value)
{
    value = 0; // item 10 reads 0: the board is the system controller
    return 0;
}

// --- serial line ---

bool SimSerialPort::setSettings(const QString &settings)
{
    SerialLineSettings s;
    if (!parseSerialSettings(settings, s))
        return false;
    if (s.baud != 9600 || s.parity != QSerialPort::NoParity || s.dataBits != QSerialPort::Data8 ||
        s.stopBits != QSerialPort::OneStop)
        m_rig.converter().faults
            << QStringLiteral("the converter runs at 9600,N,8,1, not %1").arg(settings);
    return true;
}

bool SimSerialPort::isOpen() const
{
    return m_open && !m_rig.faultsNow().serialVanished;
}

bool SimSerialPort::open()
{
    m_open = !m_rig.faultsNow().serialVanished;
    return m_open;
}

bool SimSerialPort::output(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_rig.converter().feed(bytes);
    return true;
}

} // namespace tervo::sim
