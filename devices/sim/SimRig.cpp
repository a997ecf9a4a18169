#include "SimRig.h"

#include "DummyCell.h"
#include "devices/Instruments.h"
#include "devices/LinuxRoutes.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {
// Longest simulation step; a longer gap of the clock is walked in at most kMaxSteps steps.
constexpr double kStepSeconds = 0.001;
constexpr std::uint32_t kMaxSteps = 10000;
} // namespace

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
    if (name != deviceName)
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
    if (!m_open || id != 0 || t.count != 1 || !t.dataAddress || !t.channelAddress)
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
    if (refuseRegistration || type != kCardTypePci9112 || number != cardNumber)
        return kInvalidCard;
    ++registrations;
    m_registered = true;
    return 0;
}

std::int16_t SimPciDask::Release_Card(std::uint16_t handle)
{
    if (!validHandle(handle))
        return kInvalidCard;
    ++releases;
    m_registered = false;
    return 0;
}

std::int16_t SimPciDask::AI_VReadChannel(std::uint16_t number, std::uint16_t channel,
                                         std::uint16_t range, double &volts)
{
    if (!m_registered || number != cardNumber || range < 3 || range > 5)
        return kInvalidCard;
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

bool SimPortIo::PortAccess(std::uint16_t, std::uint16_t)
{
    return allowAccess;
}

std::uint8_t SimPortIo::PortInputByte(std::uint16_t port)
{
    if (port == kPortBoardBase)
        return static_cast<std::uint8_t>(m_raw & 0xFF);
    if (port == kPortBoardBase + 1) {
        const auto high = static_cast<std::uint8_t>((m_raw >> 8) & 0x0F);
        if (!m_converting || neverReady)
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

std::int32_t SimGpibBoard::code(const char *name)
{
    const QString n = QString::fromLatin1(name);
    calls << n;
    return failCodes.value(n, 0);
}

std::int32_t SimGpibBoard::GpTalk(const std::int32_t *addresses, std::int32_t length,
                                  const QByteArray &data)
{
    const std::int32_t c = code("GpTalk");
    if (c != 0)
        return c;
    if (!addresses || addresses[0] < 2 || length < 0 || length > data.size())
        return 255;                                               // parameter error
    return m_rig.talk(addresses[2], data.left(length)) ? 0 : 254; // nobody listening: time-out
}

std::int32_t SimGpibBoard::GpBoardsts(std::int32_t item, std::int32_t &value)
{
    value = item == 10 ? systemControllerStatus : 0;
    return code("GpBoardsts");
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

bool SimSerialPort::open()
{
    if (refuseOpen)
        return false;
    m_open = true;
    return true;
}

bool SimSerialPort::output(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    m_rig.converter().feed(bytes);
    return true;
}

// --- the rig ---

SimRig::SimRig(MsClock &clock, std::uint64_t seed)
    : m_clock(clock), m_lastTick(clock.tickCount()), m_rng(seed ? seed : 0x9E3779B97F4A7C15ull),
      m_potentiostat(m_generator), m_dummy(std::make_unique<DummyCell>()), m_aio(*this),
      m_dask(*this), m_port(*this), m_gpib(*this), m_serial(*this)
{
    m_cells[0] = m_dummy.get();
    m_converter.deliver = [this](std::int32_t address, const QByteArray &command) {
        return talk(address, command);
    };
    wireStandard();
    m_currents[0] = m_cells[0]->advance(0, m_potentiostat.appliedPotential(), 0);
}

VendorLibraries SimRig::libraries()
{
    return {&m_aio, &m_dask, &m_port, &m_gpib, &m_serial};
}

void SimRig::setCell(int index, CellModel *cell)
{
    if (index < 0 || index >= kMaxCells)
        return;
    sync();
    m_cells[std::size_t(index)] = cell;
    m_currents[std::size_t(index)] =
        cell ? cell->advance(0, m_potentiostat.appliedPotential(), m_rotator.rpm())
             : CellCurrents{};
}

CellModel *SimRig::cell(int index) const
{
    return index >= 0 && index < kMaxCells ? m_cells[std::size_t(index)] : nullptr;
}

CellCurrents SimRig::cellCurrents(int index) const
{
    return index >= 0 && index < kMaxCells ? m_currents[std::size_t(index)] : CellCurrents{};
}

void SimRig::wireInput(int channel, InputWire w)
{
    if (channel >= 0 && channel < kRigInputs)
        m_wires[std::size_t(channel)] = w;
}

InputWire SimRig::wire(int channel) const
{
    return channel >= 0 && channel < kRigInputs ? m_wires[std::size_t(channel)] : InputWire{};
}

void SimRig::wireStandard()
{
    m_wires.fill(InputWire{});
    m_wires[0] = {Signal::Potential, 0};
    m_wires[1] = {Signal::Current, 0};
    m_wires[3] = {Signal::RingCurrent, 0};
    m_wires[4] = {Signal::RotatorSpeed, 0};
}

void SimRig::wireMultipotentiostat()
{
    m_wires.fill(InputWire{});
    for (int k = 0; k < kMaxCells; ++k) {
        m_wires[std::size_t(2 * k)] = {Signal::Potential, k};
        m_wires[std::size_t(2 * k + 1)] = {Signal::Current, k};
    }
}

void SimRig::step(double dt)
{
    m_generator.advance(dt);
    m_potentiostat.advance(dt);
    m_rotator.advance(dt);
    const double e = m_potentiostat.appliedPotential();
    for (int k = 0; k < kMaxCells; ++k)
        if (CellModel *c = m_cells[std::size_t(k)])
            m_currents[std::size_t(k)] = c->advance(dt, e, m_rotator.rpm());
    m_seconds += dt;
}

void SimRig::sync()
{
    const std::uint32_t now = m_clock.tickCount();
    const std::uint32_t ms = elapsedMs(m_lastTick, now);
    if (ms == 0)
        return;
    m_lastTick = now;
    const double total = ms * 0.001;
    if (ms <= kMaxSteps) {
        for (std::uint32_t i = 0; i < ms; ++i)
            step(kStepSeconds);
    } else {
        const double h = total / kMaxSteps;
        for (std::uint32_t i = 0; i < kMaxSteps; ++i)
            step(h);
    }
}

double SimRig::noise()
{
    // xorshift64*, four uniforms summed to a near-normal value of unit variance.
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        m_rng ^= m_rng >> 12;
        m_rng ^= m_rng << 25;
        m_rng ^= m_rng >> 27;
        sum += static_cast<double>((m_rng * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
    }
    return (sum - 2.0) * 1.7320508075688772;
}

double SimRig::inputVolts(int channel)
{
    sync();
    const InputWire w = wire(channel);
    const std::size_t k = std::size_t(std::clamp(w.cell, 0, kMaxCells - 1));
    double v = 0;
    switch (w.signal) {
    case Signal::Potential:
        v = m_potentiostat.appliedPotential() / m_potentiostat.potentialGain;
        break;
    case Signal::Current:
        v = m_currents[k].disk / m_potentiostat.currentGain;
        break;
    case Signal::RingCurrent:
        v = m_currents[k].ring / m_potentiostat.ringGain;
        break;
    case Signal::RotatorSpeed:
        v = m_rotator.rpm() / rpmPerVolt;
        break;
    case Signal::None:
        break;
    }
    return noiseVolts > 0 ? v + noiseVolts * noise() : v;
}

void SimRig::writeRelays(std::uint8_t value)
{
    sync();
    m_relays = value;
    m_rotator.setPowered(value & 1);
}

void SimRig::writeAnalogOut(int channel, double volts)
{
    if (channel < 0 || channel >= 2)
        return;
    sync();
    m_analogOut[std::size_t(channel)] = volts;
    if (channel == 0)
        m_rotator.setVoltage(volts);
}

double SimRig::analogOut(int channel) const
{
    return channel >= 0 && channel < 2 ? m_analogOut[std::size_t(channel)] : 0.0;
}

bool SimRig::talk(std::int32_t address, const QByteArray &command)
{
    if (address != generatorAddress)
        return false;
    sync();
    m_generator.command(command);
    return true;
}

QStringList SimRig::faults() const
{
    return m_generator.faults + m_converter.faults;
}

} // namespace tervo::sim
