#include "Waveform.h"

#include <cmath>

namespace tervo::sim {

void WavePlayer::start(const WaveProgramme *programme, double fromPotential)
{
    m_programme = programme;
    m_running = programme != nullptr;
    m_segment = -1;
    m_holding = false;
    m_holdLeft = 0;
    m_cycles = 0;
    m_potential = fromPotential;
}

const WaveSegment &WavePlayer::segment() const
{
    return m_segment < 0 ? m_programme->start : m_programme->cycle[std::size_t(m_segment)];
}

void WavePlayer::nextSegment()
{
    m_holding = false;
    const int n = static_cast<int>(m_programme->cycle.size());
    if (m_segment + 1 < n) {
        ++m_segment;
    } else if (n > 0) {
        if (m_segment >= 0)
            ++m_cycles;
        m_segment = 0;
    } else {
        // Nothing after the start segment: stay where it left the potential.
        m_holding = true;
        m_holdLeft = INFINITY;
    }
}

void WavePlayer::advance(double dt)
{
    if (!m_running || !(dt > 0))
        return;
    // A cycle whose every segment takes no time would never consume dt.
    int idle = 0;
    const int idleLimit = static_cast<int>(m_programme->cycle.size()) + 2;
    while (dt > 0 && idle <= idleLimit) {
        const WaveSegment &s = segment();
        if (!m_holding) {
            const double distance = s.target - m_potential;
            const double needed = s.jump || distance == 0 ? 0.0 : std::abs(distance) / s.rate;
            if (needed <= dt) {
                m_potential = s.target;
                dt -= needed;
                m_holding = true;
                m_holdLeft = s.hold;
                idle = needed > 0 ? 0 : idle + 1;
            } else {
                m_potential += (distance > 0 ? 1 : -1) * s.rate * dt;
                return;
            }
        }
        if (m_holdLeft > dt) {
            m_holdLeft -= dt;
            return;
        }
        dt -= m_holdLeft;
        if (m_holdLeft > 0)
            idle = 0;
        nextSegment();
    }
}

} // namespace tervo::sim
