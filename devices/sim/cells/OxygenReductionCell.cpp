#include "OxygenReductionCell.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

OxygenReductionCell::OxygenReductionCell(const CellParameters &parameters)
    : ElectrodeCell(kOxygenReductionModel, parameters), m_fa(kFaraday * this->parameters().area),
      m_flow(kLevichFlow / std::sqrt(this->parameters().viscosity)),
      m_line(this->parameters().diffusion, this->parameters().concentration * 1e-6,
             GridSpec::forDiffusion(this->parameters().diffusion))
{
    reset();
}

void OxygenReductionCell::resetSolution()
{
    m_line.reset();
    m_peroxideCurrent = 0;
}

void OxygenReductionCell::prepareStep(double dt, double omega)
{
    m_line.prepare(dt, m_flow * omega * std::sqrt(omega));
}

double OxygenReductionCell::peroxideShareAt(double v) const
{
    const CellParameters &p = parameters();
    if (p.peroxideRateConstant <= 0)
        return 0;
    // k4 / k2 as one exponential, so that the share stays exact where both rates underflow.
    const double x = std::clamp(std::log(p.rateConstant / p.peroxideRateConstant) -
                                    (p.transferCoefficient - p.peroxideTransferCoefficient) *
                                        fOverRT() * (v - p.formalPotential),
                                -kMaxExponent, kMaxExponent);
    return 1 / (1 + std::exp(x));
}

OxygenReductionCell::Rates OxygenReductionCell::ratesAt(double v) const
{
    const CellParameters &p = parameters();
    const double f = fOverRT();
    const double eta = v - p.formalPotential;
    const double share = peroxideShareAt(v);
    const double a4 = p.transferCoefficient, a2 = p.peroxideTransferCoefficient;
    // 1 / (k4 + k2) through the path that dominates, to keep it finite.
    const double mean = a4 * (1 - share) + a2 * share;
    const double dominant = share > 0.5 ? a2 : a4;
    const double k0 = share > 0.5 ? p.peroxideRateConstant : p.rateConstant;
    const double part = share > 0.5 ? share : 1 - share;
    const double x = std::clamp(dominant * f * eta, -kMaxExponent, kMaxExponent);
    const double inv = part * std::exp(x) / k0;
    // O2 flux: r = k c0 with c0 = (g - dt r) / e0. A second-order step can leave g a hair
    // below zero next to a depleted surface; the irreversible reaction never makes O2.
    const double g = std::max(m_line.g(), 0.0), e0 = m_line.e0(), dt = m_line.stepLength();
    const double den = e0 * inv + dt;
    Rates r;
    r.rate = g / den;
    // d inv / dv = f mean inv.
    r.rateSlope = -g * e0 * f * mean * inv / (den * den);
    r.share = share;
    r.shareSlope = (a4 - a2) * f * share * (1 - share);
    return r;
}

double OxygenReductionCell::faradaicAt(double v, double &slope) const
{
    const Rates r = ratesAt(v);
    const double electrons = 4 - 2 * r.share;
    slope = -m_fa * (r.rateSlope * electrons - 2 * r.shareSlope * r.rate);
    return -m_fa * electrons * r.rate;
}

void OxygenReductionCell::faradaicRange(double &lo, double &hi) const
{
    lo = -4 * m_fa * std::max(m_line.g(), 0.0) / m_line.stepLength();
    hi = 0;
}

double OxygenReductionCell::completeStep(double v)
{
    const Rates r = ratesAt(v);
    m_line.complete(-r.rate);
    m_peroxideCurrent = -2 * m_fa * r.share * r.rate;
    return -parameters().collectionEfficiency * m_peroxideCurrent;
}

} // namespace tervo::sim
