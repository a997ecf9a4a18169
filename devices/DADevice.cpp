#include "Instruments.h"

#include <cmath>

namespace tervo {

std::int16_t Instruments::DAOpen()
{
    if (m_settings.DABoard != 1)
        return 0;
    if (!registerCard() || !m_libs.dask)
        return static_cast<std::int16_t>(CardHandle < 0 ? CardHandle : -1);
    const auto handle = static_cast<std::uint16_t>(CardHandle);
    // A reference of -5 V gives the 0..+5 V span on both outputs.
    m_libs.dask->AO_9112_Config(handle, 0, -5.0);
    return m_libs.dask->AO_9112_Config(handle, 1, -5.0);
}

void Instruments::DAWrite(std::int16_t channel, double &volts)
{
    if (m_settings.DABoard == 0)
        return;
    if (volts >= 5.0)
        volts = 5.0;
    else if (volts < 0.0 || std::isnan(volts))
        volts = 0.0;
    if (m_settings.DABoard == 1 && CardHandle >= 0 && m_libs.dask)
        m_libs.dask->AO_VWriteChannel(static_cast<std::uint16_t>(CardHandle),
                                      static_cast<std::uint16_t>(channel), volts);
}

void Instruments::DAClose()
{
    if (m_settings.DABoard == 1 && CardHandle >= 0) {
        if (m_libs.dask)
            m_libs.dask->Release_Card(static_cast<std::uint16_t>(CardHandle));
        CardHandle = -1;
    }
}

} // namespace tervo
