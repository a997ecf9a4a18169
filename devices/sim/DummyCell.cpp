#include "DummyCell.h"

#include <cmath>

namespace tervo::sim {

DummyCell::DummyCell(double seriesOhm, double parallelOhm, double farad)
    : m_rs(seriesOhm > 0 ? seriesOhm : 1e-3), m_rp(parallelOhm > 0 ? parallelOhm : 1e12),
      m_c(farad > 0 ? farad : 1e-12)
{
}

QString DummyCell::name() const
{
    return QStringLiteral("Dummy cell (R with C)");
}

CellCurrents DummyCell::advance(double dtSeconds, double potentialV, double)
{
    // Exact for a potential held over the interval: the capacitor relaxes towards the divider
    // voltage with the time constant of C and the two resistors in parallel.
    const double settled = potentialV * m_rp / (m_rs + m_rp);
    const double tau = m_c * m_rs * m_rp / (m_rs + m_rp);
    if (dtSeconds > 0)
        m_capacitorV = settled + (m_capacitorV - settled) * std::exp(-dtSeconds / tau);
    return {(potentialV - m_capacitorV) / m_rs, 0.0};
}

} // namespace tervo::sim
