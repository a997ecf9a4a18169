#include "RedoxCoupleCell.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

RedoxCoupleCell::RedoxCoupleCell(const CellParameters &parameters, const QString &name)
    : ElectrodeCell(name, parameters),
      m_total((this->parameters().concentration + this->parameters().reducedConcentration) * 1e-6),
      m_nf(this->parameters().electrons * fOverRT()),
      m_charge(this->parameters().electrons * kFaraday * this->parameters().area),
      m_flow(kLevichFlow / std::sqrt(this->parameters().viscosity)),
      m_line(this->parameters().diffusion, this->parameters().concentration * 1e-6,
             GridSpec::forDiffusion(this->parameters().diffusion))
{
    reset();
}

void RedoxCoupleCell::resetSolution()
{
    m_line.reset();
}

void RedoxCoupleCell::prepareStep(double dt, double omega)
{
    m_line.prepare(dt, m_flow * omega * std::sqrt(omega));
}

double RedoxCoupleCell::reductionRate(double v, double *slope) const
{
    const CellParameters &p = parameters();
    const double alpha = p.transferCoefficient;
    const double x = std::clamp(m_nf * (v - p.formalPotential), -kMaxExponent, kMaxExponent);
    // theta = kb / (kf + kb), inv = 1 / (kf + kb), dlogS = d ln(kf + kb) / dx, each written so
    // that no intermediate overflows far from the formal potential.
    double theta, inv, dlogS;
    if (x > 0) {
        const double w = std::exp(-x);
        theta = 1 / (1 + w);
        inv = std::exp(-(1 - alpha) * x) / (p.rateConstant * (1 + w));
        dlogS = (-alpha * w + (1 - alpha)) / (1 + w);
    } else {
        const double u = std::exp(x);
        theta = u / (1 + u);
        inv = std::exp(alpha * x) / (p.rateConstant * (1 + u));
        dlogS = (-alpha + (1 - alpha) * u) / (1 + u);
    }
    // With c0 = (g - dt r) / e0 and R0 = total - c0: r = kf c0 - kb R0.
    const double g = m_line.g(), e0 = m_line.e0(), dt = m_line.stepLength();
    const double num = g - m_total * e0 * theta;
    const double den = e0 * inv + dt;
    const double r = num / den;
    if (slope) {
        const double dTheta = m_nf * theta * (1 - theta);
        const double dInv = -m_nf * dlogS * inv;
        *slope = (-m_total * e0 * dTheta * den - num * e0 * dInv) / (den * den);
    }
    return r;
}

double RedoxCoupleCell::faradaicAt(double v, double &slope) const
{
    double dr;
    const double r = reductionRate(v, &dr);
    slope = -m_charge * dr;
    return -m_charge * r;
}

void RedoxCoupleCell::faradaicRange(double &lo, double &hi) const
{
    const double g = m_line.g(), e0 = m_line.e0(), dt = m_line.stepLength();
    lo = -m_charge * g / dt;
    hi = -m_charge * (g - m_total * e0) / dt;
}

double RedoxCoupleCell::completeStep(double v)
{
    m_line.complete(-reductionRate(v, nullptr));
    return 0;
}

} // namespace tervo::sim
