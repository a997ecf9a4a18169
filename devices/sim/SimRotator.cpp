#include "SimRotator.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {
constexpr double kDeadBand = 0.1; // V
constexpr double kLinear = 240;   // rpm/V
constexpr double kSquare = 48;    // rpm/V^2
} // namespace

double SimRotator::settledRpm(double volts)
{
    const double v = std::clamp(volts, 0.0, 5.0) - kDeadBand;
    return v > 0 ? kLinear * v + kSquare * v * v : 0.0;
}

double SimRotator::voltsFor(double rpm)
{
    if (!(rpm > 0))
        return 0.0;
    const double v = (-kLinear + std::sqrt(kLinear * kLinear + 4 * kSquare * rpm)) / (2 * kSquare);
    return v + kDeadBand;
}

void SimRotator::advance(double dt)
{
    if (!(dt > 0))
        return;
    const double target = m_powered && !stalled ? settledRpm(m_volts) : 0.0;
    const double tau = timeConstant > 0 ? timeConstant : 1e-9;
    m_rpm = target + (m_rpm - target) * std::exp(-dt / tau);
}

} // namespace tervo::sim
