#include "Instruments.h"

namespace tervo {

std::int32_t Instruments::DOOpen()
{
    switch (m_settings.PowerControl) {
    case 1:
        m_portOutGranted = m_libs.port && m_libs.port->PortAccess(kPortDigitalOut, 1);
        return m_portOutGranted ? 0 : 1;
    case 2:
        return registerCard() ? 0 : 1;
    default:
        return 0;
    }
}

void Instruments::DOWrite(std::uint8_t value)
{
    switch (m_settings.PowerControl) {
    case 1:
        if (m_libs.port)
            m_libs.port->PortOutputByte(kPortDigitalOut, value);
        break;
    case 2:
        if (m_libs.dask)
            m_libs.dask->DO_WritePort(static_cast<std::uint16_t>(m_settings.CardNumber), 0, value);
        break;
    default:
        break;
    }
}

PowerController &Instruments::power()
{
    m_power.ensureOpen();
    return m_power;
}

PowerController::PowerController(Instruments &instruments) : m_instruments(instruments) {}

std::int32_t PowerController::ensureOpen()
{
    if (m_open)
        return 0;
    m_state = 0;
    const std::int32_t status = m_instruments.DOOpen();
    m_open = status == 0;
    return status;
}

void PowerController::Power(std::int16_t index, std::uint8_t &on)
{
    if (index < 0 || index >= kPowerOutputs)
        return;
    const auto mask = static_cast<std::uint8_t>(1u << index);
    const auto bit = static_cast<std::uint8_t>(mask * (on & 1));
    on = bit;
    m_state = static_cast<std::uint8_t>((m_state & ~mask) | bit);
    if (changed)
        changed();
    m_instruments.DOWrite(m_state);
}

void PowerController::PowerOff()
{
    m_state = 0;
    if (changed)
        changed();
    m_instruments.DOWrite(0);
}

void PowerController::Powerb(std::int32_t, std::uint8_t value)
{
    // Deliberately the raw port, whatever the board kind: the macro command addresses it so.
    if (m_instruments.settings().PowerControl == 0)
        return;
    PortIoLibrary *port = m_instruments.libraries().port;
    if (port && port->PortAccess(kPortDigitalOut, 1))
        port->PortOutputByte(kPortDigitalOut, value);
}

} // namespace tervo
