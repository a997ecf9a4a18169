#include "SimRig.h"

#include "DummyCell.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {
// Longest simulation step; a longer gap of the clock is walked in at most kMaxSteps steps.
constexpr double kStepSeconds = 0.001;
constexpr std::uint32_t kMaxSteps = 10000;
} // namespace

SimRig::SimRig(MsClock &clock, std::uint64_t seed)
    : m_clock(clock), m_startTick(clock.tickCount()), m_lastTick(m_startTick),
      m_rng(seed ? seed : 0x9E3779B97F4A7C15ull), m_potentiostat(m_generator),
      m_dummy(std::make_unique<DummyCell>()), m_aio(*this), m_dask(*this), m_port(*this),
      m_gpib(*this), m_serial(*this)
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
    m_rotator.stalled = faultsNow().rotatorStalls;
    m_rotator.advance(dt);
    const double e = m_potentiostat.appliedPotential();
    for (int k = 0; k < kMaxCells; ++k)
        if (CellModel *c = m_cells[std::size_t(k)])
            m_currents[std::size_t(k)] = c->advance(dt, e, m_rotator.rpm());
    m_seconds += dt;
}

void SimRig::scheduleFault(bool SimFaults::*flag, std::uint32_t afterMs)
{
    m_scheduled.emplace_back(flag, afterMs);
}

const SimFaults &SimRig::faultsNow()
{
    if (!m_scheduled.empty()) {
        const std::uint32_t ran = elapsedMs(m_startTick, m_clock.tickCount());
        std::erase_if(m_scheduled, [&](const auto &s) {
            if (s.second > ran)
                return false;
            injected.*(s.first) = true;
            return true;
        });
    }
    return injected;
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
