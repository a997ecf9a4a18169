#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {
constexpr std::uint16_t kPortData = kPortBoardBase;
constexpr std::uint16_t kPortStatus = kPortBoardBase + 1;
constexpr std::uint8_t kReadyBit = 0x40;
} // namespace

Instruments::Instruments(BoardSettings &settings, std::vector<RpmRow> &rpmTable,
                         const VendorLibraries &libs)
    : m_settings(settings), m_rpmTable(rpmTable), m_libs(libs), m_power(*this)
{
    RangeCode.fill(kRangeCodeFirst);
    FullScale[3] = 2.5;
    FullScale[4] = 1.25;
    FullScale[5] = 0.625;
}

bool Instruments::registerCard()
{
    if (CardHandle < 0 && m_libs.dask)
        CardHandle = m_libs.dask->Register_Card(kCardTypePci9112,
                                                static_cast<std::uint16_t>(m_settings.CardNumber));
    return CardHandle >= 0;
}

std::int32_t Instruments::ADOpen()
{
    m_adFaulty = false;
    switch (m_settings.ADBoard) {
    case 0:
        // Without access to the ports the first read would fault the process.
        m_portBoardGranted = m_libs.port && m_libs.port->PortAccess(kPortBoardBase, 2);
        if (!m_portBoardGranted) {
            m_adStatus = 1;
            break;
        }
        m_libs.port->PortOutputByte(kPortStatus, 1);
        (void)m_libs.port->PortInputByte(kPortData);
        m_adStatus = 0;
        break;
    case 1:
        if (!m_libs.aio) {
            m_adStatus = 1;
            break;
        }
        m_adStatus = m_libs.aio->AioOpenEx(m_settings.DeviceName, m_aioId);
        if (m_adStatus == 0)
            m_adStatus = m_libs.aio->AioSetRange(m_aioId, 0, 0, 0, 2);
        break;
    case 2:
        registerCard();
        m_adStatus = CardHandle >= 0 ? 0 : CardHandle;
        FullScale[3] = 2.5;
        FullScale[4] = 1.25;
        FullScale[5] = 0.625;
        RangeCode.fill(kRangeCodeFirst);
        break;
    default:
        break;
    }
    return m_adStatus;
}

double Instruments::readPortBoard(std::uint8_t channel)
{
    if (!m_portBoardGranted || m_adFaulty)
        return 0.0;
    PortIoLibrary &port = *m_libs.port;
    port.PortOutputByte(kPortData, static_cast<std::uint8_t>(channel + 16));
    bool ready = false;
    for (int i = 0; i < kPortReadyPolls && !ready; ++i)
        ready = (port.PortInputByte(kPortStatus) & kReadyBit) != 0;
    if (!ready) {
        m_adFaulty = true;
        return 0.0;
    }
    const int low = port.PortInputByte(kPortData);
    const int high = port.PortInputByte(kPortStatus) & 0x0F;
    const int raw = high * 256 + low;
    return raw * 5.0 / 4096 - 2.5;
}

double Instruments::ADRead(std::uint8_t channel)
{
    if (m_adFaulty)
        return 0.0;
    switch (m_settings.ADBoard) {
    case 0:
        return readPortBoard(channel);
    case 1: {
        if (!m_libs.aio)
            return 0.0;
        m_aioChannel = channel;
        m_aioTransfer.dataAddress = LpWord(m_aioData);
        m_aioTransfer.channelAddress = LpWord(m_aioChannel);
        m_aioTransfer.count = 1;
        if (m_libs.aio->AioInp(m_aioId, m_aioTransfer) != 0) {
            m_adFaulty = true;
            return 0.0;
        }
        return static_cast<double>(m_libs.aio->BinaryToVI(-2.5f, 2.5f, 1, 12, m_aioData));
    }
    case 2: {
        if (!m_libs.dask)
            return 0.0;
        const auto card = static_cast<std::uint16_t>(m_settings.CardNumber);
        double volts = 0.0;
        // A failed read or a value that is no number means the card cannot be trusted.
        auto read = [&](std::int32_t range) {
            if (m_libs.dask->AI_VReadChannel(card, channel, static_cast<std::uint16_t>(range),
                                             volts) < 0 ||
                !std::isfinite(volts)) {
                m_adFaulty = true;
                volts = 0.0;
            }
            return !m_adFaulty;
        };
        // Only the 64 inputs the card has keep a range of their own.
        if (m_settings.DynamicRange == 0 || channel >= kAnalogInputs) {
            read(kRangeCodeFirst);
            return volts;
        }
        std::int32_t &code = RangeCode[channel];
        code = std::clamp(code, kRangeCodeFirst, kRangeCodeLast);
        if (!read(code))
            return 0.0;
        if (std::abs(volts / FullScale[static_cast<std::size_t>(code)]) < 0.2 &&
            code < kRangeCodeLast)
            ++code;
        if (std::abs(volts / FullScale[static_cast<std::size_t>(code)]) > 0.8 &&
            code > kRangeCodeFirst)
            --code;
        return volts;
    }
    default:
        return 0.0;
    }
}

void Instruments::ADClose()
{
    switch (m_settings.ADBoard) {
    case 1:
        if (m_libs.aio)
            m_libs.aio->AioClose(m_aioId);
        break;
    case 2:
        if (CardHandle >= 0) {
            if (m_libs.dask)
                m_libs.dask->Release_Card(static_cast<std::uint16_t>(CardHandle));
            CardHandle = -1;
        }
        break;
    default:
        break;
    }
}

} // namespace tervo
