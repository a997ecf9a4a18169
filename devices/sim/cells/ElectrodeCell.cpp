#include "ElectrodeCell.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Rotation rates closer than this (relative) count as the same flow, so that rotator jitter does
// not refactorise the transport problem at every sample; the limiting current moves by half of it.
constexpr double kRotationTolerance = 1e-4;

} // namespace

ElectrodeCell::ElectrodeCell(QString name, const CellParameters &parameters)
    : m_name(std::move(name)), m_p(parameters.sanitized())
{
    m_f = kFaraday / (kGasConstant * (m_p.temperature + 273.15));
    m_cdl = m_p.doubleLayer * 1e-6 * m_p.area;
    if (m_p.filmResistance > 0)
        m_cfilm = m_p.filmCapacitance * 1e-3 * m_p.area;
}

void ElectrodeCell::reset()
{
    m_noise.reseed(static_cast<std::uint64_t>(m_p.seed));
    m_mainsPhase = kTwoPi * m_noise.uniform();
    m_started = false;
    m_applied = 0;
    m_v = 0;
    m_vFilm = 0;
    m_omega = 0;
    m_time = 0;
    m_faradaic = 0;
    m_clean = {};
    m_output = {};
    resetSolution();
}

CellCurrents ElectrodeCell::advance(double dtSeconds, double potentialV, double rpm)
{
    if (!std::isfinite(potentialV))
        potentialV = m_started ? m_applied : 0;
    if (!m_started) {
        // Connecting the cell finds the double layer already at the applied potential.
        m_started = true;
        m_applied = potentialV;
        m_v = potentialV;
        m_vFilm = potentialV;
    }
    if (!(dtSeconds > 0) || !std::isfinite(dtSeconds)) {
        // No time passes: the potential jumps at the start of the next interval.
        m_applied = potentialV;
        return m_output;
    }

    // The sense of rotation does not matter to the flow towards the disk.
    const double omega = std::isfinite(rpm) ? std::abs(rpm) * kTwoPi / 60 : 0;
    if (std::abs(omega - m_omega) > kRotationTolerance * m_omega || (omega == 0) != (m_omega == 0))
        m_omega = omega;

    const double change = potentialV - m_applied;
    const double byTime = std::ceil(dtSeconds / kMaxSubstep);
    const double byPotential = std::ceil(std::abs(change) / kMaxPotentialSubstep);
    const int steps = static_cast<int>(
        std::clamp(std::max(byTime, byPotential), 1.0, static_cast<double>(kMaxSubsteps)));
    const double h = dtSeconds / steps;
    const double start = m_applied;
    for (int k = 0; k < steps; ++k) {
        const double a0 = start + change * k / steps;
        const double a1 = k + 1 == steps ? potentialV : start + change * (k + 1) / steps;
        substep(h, a0, a1, m_omega);
    }
    m_applied = potentialV;
    m_time += dtSeconds;

    const double mains =
        m_p.mainsAmplitude > 0
            ? m_p.mainsAmplitude * std::sin(kTwoPi * m_p.mainsFrequency * m_time + m_mainsPhase)
            : 0;
    m_output = m_clean;
    if (m_p.noise > 0) {
        m_output.disk += m_p.noise * m_noise.gaussian();
        m_output.ring += m_p.noise * m_noise.gaussian();
    }
    m_output.disk += mains;
    m_output.ring += mains;
    return m_output;
}

void ElectrodeCell::substep(double dt, double applied0, double applied1, double omega)
{
    prepareStep(dt, omega);
    const double ru = m_p.resistance;
    double filmSlope = 0, filmOffset = 0;
    filmCurrentLine(dt, filmSlope, filmOffset);
    double v, total;
    if (ru > 0) {
        // tau dV/dt = Ea(t) - Ru (i_f + i_film) - V with Ea linear over the step and i_f, i_film
        // taken at the end of the step; exact for the double layer, implicit for the rest. The
        // film's current is linear in V, so it folds into the target and the gain.
        const double tau = ru * m_cdl;
        const double decay = tau > 0 ? std::exp(-dt / tau) : 0;
        const double slopeTau = tau > 0 ? (applied1 - applied0) / dt * tau : 0;
        const double relaxed = applied1 - slopeTau + (m_v - applied0 + slopeTau) * decay;
        const double gain = ru * (1 - decay);
        const double scale = 1 + gain * filmSlope;
        v = solveInterface((relaxed - gain * filmOffset) / scale, gain / scale);
        total = (applied1 - v) / ru;
    } else {
        v = applied1;
        double slope;
        total = faradaicAt(v, slope) + m_cdl * (v - m_v) / dt + filmSlope * v + filmOffset;
    }
    double slope;
    m_faradaic = faradaicAt(v, slope);
    m_clean.ring = completeStep(v);
    m_clean.disk = total;
    if (m_cfilm > 0) {
        const double tf = m_p.filmResistance * m_cfilm;
        const double e = std::exp(-dt / tf);
        const double rise = (v - m_v) / dt * tf;
        m_vFilm = v - rise + (m_vFilm - m_v + rise) * e;
    }
    m_v = v;
}

void ElectrodeCell::filmCurrentLine(double dt, double &slope, double &offset) const
{
    slope = 0;
    offset = 0;
    if (!(m_cfilm > 0))
        return;
    // Vf(end) = V - s tf + (Vf0 - V0 + s tf) e with s = (V - V0) / dt; i = (V - Vf(end)) / Rf.
    const double rf = m_p.filmResistance;
    const double tf = rf * m_cfilm;
    const double e = std::exp(-dt / tf);
    const double k = tf * (1 - e) / dt / rf;
    slope = k;
    offset = -k * m_v - (m_vFilm - m_v) * e / rf;
}

// Root of V - target + gain * i_f(V) = 0. The left side rises with V (i_f never falls with the
// potential), so a bracket from the current's bounds always holds the one root; Newton steps
// that leave the bracket are replaced by bisection.
double ElectrodeCell::solveInterface(double target, double gain) const
{
    double lo, hi;
    faradaicRange(lo, hi);
    double a = target - gain * hi, b = target - gain * lo;
    if (!(a < b))
        return target - gain * lo;
    double v = std::clamp(m_v, a, b);
    for (int it = 0; it < 100; ++it) {
        double slope;
        const double g = v - target + gain * faradaicAt(v, slope);
        if (g > 0)
            b = v;
        else
            a = v;
        const double deriv = 1 + gain * slope;
        double next = v - g / deriv;
        if (!(next > a && next < b))
            next = 0.5 * (a + b);
        if (std::abs(next - v) < 1e-10 || b - a < 1e-10)
            return next;
        v = next;
    }
    return v;
}

} // namespace tervo::sim
