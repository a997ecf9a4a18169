#include "Instruments.h"

#include "core/NumberParse.h"

namespace tervo {

void Instruments::RpmSet(std::int32_t &rpm)
{
    if (m_settings.DABoard == 0)
        return;
    const std::vector<RpmRow> &table = m_rpmTable;
    // Interpolation needs two rows; the reader never hands over fewer, but the table is shared.
    if (table.size() < 2)
        return;
    if (rpm < table.front().rpm) {
        if (m_settings.PowerControl > 0) {
            std::uint8_t off = 0;
            power().Power(0, off);
            return;
        }
        rpm = roundHalfEven(table.front().rpm);
    }
    if (rpm > table.back().rpm)
        rpm = roundHalfEven(table.back().rpm);
    std::size_t i = 1;
    while (i + 1 < table.size() && table[i].rpm < rpm)
        ++i;
    const RpmRow &lo = table[i - 1];
    const RpmRow &hi = table[i];
    const double span = hi.rpm - lo.rpm;
    // Rows of equal rate would divide by zero; the lower row's voltage is the sound choice.
    RotatorVoltage = span > 0 ? (rpm - lo.rpm) * (hi.volt - lo.volt) / span + lo.volt : lo.volt;
    std::uint8_t on = 1;
    power().Power(0, on);
    DAWrite(0, RotatorVoltage);
}

std::optional<double> Instruments::rpmAfterSet(std::int32_t rpm) const
{
    if (m_settings.DABoard == 0 || m_rpmTable.size() < 2)
        return std::nullopt;
    if (rpm < m_rpmTable.front().rpm && m_settings.PowerControl > 0)
        return 0.0;
    return rpm;
}

void Instruments::RpmNudge(double step)
{
    RotatorVoltage += step;
    if (RotatorVoltage > 5.0)
        RotatorVoltage = 5.0;
    if (RotatorVoltage < 0)
        RotatorVoltage = 0;
    DAWrite(0, RotatorVoltage);
}

} // namespace tervo
