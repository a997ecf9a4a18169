#include "SimPotentiostat.h"

#include "SimFunctionGenerator.h"

namespace tervo::sim {

SimPotentiostat::SimPotentiostat(const SimFunctionGenerator &generator) : m_generator(generator)
{
    setSweep(0.0, 0.5, -0.5, 100);
}

void SimPotentiostat::setSweep(double v0, double v1, double v2, double rateMVs)
{
    const double rate = rateMVs > 0 ? rateMVs / 1000 : 0.1;
    m_player.stop();
    m_sweep = WaveProgramme{};
    m_sweep.start = {v0, rate, true, 0, false};
    m_sweep.cycle = {{v1, rate, false, 0, false}, {v2, rate, false, 0, false}};
    if (v2 != v0)
        m_sweep.cycle.push_back({v0, rate, false, 0, false});
    m_player.setPotential(v0);
}

void SimPotentiostat::startSweep()
{
    m_player.start(&m_sweep, m_player.potential());
}

void SimPotentiostat::stopSweep()
{
    m_player.stop();
}

void SimPotentiostat::advance(double dt)
{
    m_player.advance(dt);
}

double SimPotentiostat::appliedPotential() const
{
    return externalInput && m_generator.programmed(1) ? m_generator.potential(1)
                                                      : m_player.potential();
}

} // namespace tervo::sim
