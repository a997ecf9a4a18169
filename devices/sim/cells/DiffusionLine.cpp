#include "DiffusionLine.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {

constexpr std::size_t kCacheSize = 6;
// Beyond exp(-46) ~ 1e-20 of the surface weight the flow holds the solution at bulk.
constexpr double kFlowCutoff = 46.0;
constexpr std::size_t kMinActive = 4;

// integral over [0, h] of exp(-k (3 x^2 s + 3 x s^2 + s^3)) ds: the weight of one interval of
// the flow's integrating factor, relative to its left node.
double intervalWeight(double x, double h, double k, double dPhi)
{
    if (k <= 0 || dPhi < 1e-12)
        return h;
    static constexpr double gx[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                     0.8611363115940526};
    static constexpr double gw[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                     0.3478548451374538};
    // Pieces over which the exponent changes by about 2 keep the 4-point rule near 1e-6.
    const int pieces = std::clamp(static_cast<int>(std::ceil(dPhi / 2)), 1, 16);
    const double ph = h / pieces;
    double sum = 0;
    for (int p = 0; p < pieces; ++p) {
        const double mid = (p + 0.5) * ph;
        for (int q = 0; q < 4; ++q) {
            const double s = mid + 0.5 * ph * gx[q];
            sum += gw[q] * std::exp(-k * s * (3 * x * x + 3 * x * s + s * s));
        }
    }
    return sum * 0.5 * ph;
}

} // namespace

GridSpec GridSpec::forDiffusion(double d)
{
    GridSpec g;
    d = std::max(d, 1e-12);
    g.h0 = 0.05 * std::sqrt(d * 1e-3);
    g.beta = 1.1;
    g.length = 6 * std::sqrt(d * 3 * 3600.0);
    return g;
}

DiffusionLine::DiffusionLine(double diffusion, double bulk, const GridSpec &grid)
    : m_d(std::max(diffusion, 1e-12)), m_bulk(bulk)
{
    const double beta = std::max(grid.beta, 1.0001);
    const double h0 = std::max(grid.h0, 1e-12);
    double x = 0, h = h0;
    m_x.push_back(0);
    while (x < grid.length || m_x.size() < kMinActive + 1) {
        x += h;
        h *= beta;
        m_x.push_back(x);
    }
    const std::size_t n = m_x.size();
    m_w.resize(n);
    m_w[0] = 0.5 * (m_x[1] - m_x[0]);
    for (std::size_t i = 1; i + 1 < n; ++i)
        m_w[i] = 0.5 * (m_x[i + 1] - m_x[i - 1]);
    m_w[n - 1] = 0.5 * (m_x[n - 1] - m_x[n - 2]);
    m_g.assign(n, 0);
    reset();
}

void DiffusionLine::reset()
{
    m_c.assign(m_x.size(), m_bulk);
    m_previous = m_c;
    m_previousStep = 0;
}

void DiffusionLine::setBulk(double bulk)
{
    m_bulk = bulk;
}

void DiffusionLine::factorise(Factorisation &f, double dt, double flow) const
{
    const std::size_t n = m_x.size();
    const double k = flow / (3 * m_d);
    // The last node of the line, or the first one the flow holds at bulk.
    std::size_t m = n - 1;
    if (k > 0) {
        for (std::size_t i = kMinActive; i < n - 1; ++i) {
            if (k * m_x[i] * m_x[i] * m_x[i] > kFlowCutoff) {
                m = i;
                break;
            }
        }
    }
    f.dt = dt;
    f.flow = flow;
    f.active = m;
    f.lower.assign(m, 0);
    f.mult.assign(m, 0);
    f.e.assign(m, 0);
    f.invE.assign(m, 0);

    // right[i]: conductance of interval i seen from node i; left[i+1]: the same interval seen
    // from node i+1, smaller by the factor the flow builds up across it.
    std::vector<double> right(m), leftNext(m);
    for (std::size_t i = 0; i < m; ++i) {
        const double x = m_x[i], h = m_x[i + 1] - m_x[i];
        const double dPhi = k * h * (3 * x * x + 3 * x * h + h * h);
        const double weight = intervalWeight(x, h, k, dPhi);
        right[i] = m_d / weight;
        leftNext[i] = m_d * std::exp(-dPhi) / weight;
    }
    std::vector<double> diag(m), upper(m);
    for (std::size_t i = 0; i < m; ++i) {
        const double left = i > 0 ? leftNext[i - 1] : 0;
        diag[i] = m_w[i] + dt * (left + right[i]);
        f.lower[i] = -dt * left;
        upper[i] = -dt * right[i];
    }
    f.bulkCoupling = dt * right[m - 1];
    // Eliminate from the bulk side so that the last equation left is the surface node's.
    f.e[m - 1] = diag[m - 1];
    for (std::size_t i = m - 1; i-- > 0;) {
        f.mult[i] = upper[i] / f.e[i + 1];
        f.e[i] = diag[i] - f.mult[i] * f.lower[i + 1];
    }
    for (std::size_t i = 0; i < m; ++i)
        f.invE[i] = 1 / f.e[i];
}

int DiffusionLine::factorisation(double dt, double flow)
{
    ++m_useCounter;
    for (std::size_t i = 0; i < m_cache.size(); ++i) {
        if (m_cache[i].dt == dt && m_cache[i].flow == flow) {
            m_cache[i].lastUse = m_useCounter;
            return static_cast<int>(i);
        }
    }
    std::size_t slot;
    if (m_cache.size() < kCacheSize) {
        m_cache.emplace_back();
        slot = m_cache.size() - 1;
    } else {
        slot = static_cast<std::size_t>(
            std::min_element(m_cache.begin(), m_cache.end(),
                             [](const Factorisation &a, const Factorisation &b) {
                                 return a.lastUse < b.lastUse;
                             }) -
            m_cache.begin());
    }
    factorise(m_cache[slot], dt, flow);
    m_cache[slot].lastUse = m_useCounter;
    return static_cast<int>(slot);
}

void DiffusionLine::prepare(double dt, double flowCoefficient)
{
    // (3 c[n+1] - 4 c[n] + c[n-1]) / (2 dt) = L c[n+1] is the first-order system with step
    // 2 dt / 3 and old profile (4 c[n] - c[n-1]) / 3; it needs two equal steps in a row.
    const bool second = m_previousStep == dt;
    m_step = dt;
    m_dt = second ? dt * (2.0 / 3.0) : dt;
    m_fac = factorisation(m_dt, std::max(flowCoefficient, 0.0));
    const Factorisation &f = m_cache[m_fac];
    const std::size_t m = f.active;
    // Nodes the flow has taken over are fresh solution.
    for (std::size_t i = m; i < m_c.size(); ++i) {
        m_c[i] = m_bulk;
        m_previous[i] = m_bulk;
    }
    const auto old = [&](std::size_t i) {
        return second ? (4 * m_c[i] - m_previous[i]) * (1.0 / 3.0) : m_c[i];
    };
    double g = m_w[m - 1] * old(m - 1) + f.bulkCoupling * m_bulk;
    m_g[m - 1] = g;
    for (std::size_t i = m - 1; i-- > 0;) {
        g = m_w[i] * old(i) - f.mult[i] * g;
        m_g[i] = g;
    }
}

void DiffusionLine::complete(double q)
{
    if (m_fac < 0)
        return;
    const Factorisation &f = m_cache[m_fac];
    const std::size_t m = f.active;
    std::swap(m_previous, m_c);
    for (std::size_t i = m; i < m_c.size(); ++i)
        m_c[i] = m_previous[i];
    double c = (m_g[0] + m_dt * q) * f.invE[0];
    m_c[0] = c;
    for (std::size_t i = 1; i < m; ++i) {
        c = (m_g[i] - f.lower[i] * c) * f.invE[i];
        m_c[i] = c;
    }
    m_previousStep = m_step;
}

} // namespace tervo::sim
