#include "SSVGaussNewtonLog.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tervo {

namespace {

constexpr double kMinDelta = 1e-50;
constexpr double kResidualLimit = 1e100;
constexpr double kChiLimit = 1e50;
constexpr double kDerivativeLimit = 1e50;
constexpr double kConvergence = 0.001;

} // namespace

SSVGaussNewtonLog::SSVGaussNewtonLog(RandomSource random) : m_random(std::move(random)) {}

double SSVGaussNewtonLog::random()
{
    if (m_random)
        return m_random();
    // splitmix64: a fixed sequence, so that a run repeats its fits exactly.
    m_state += 0x9E3779B97F4A7C15ull;
    unsigned long long z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void SSVGaussNewtonLog::ensure(int index)
{
    const auto size = static_cast<std::size_t>(index) + 1;
    if (m_gx.size() >= size)
        return;
    m_gx.resize(size, 0.0);
    m_gy.resize(size, 0.0);
    m_gw.resize(size, 0.0);
    m_ly.resize(size, 0.0);
    m_fit.resize(size, 0.0);
}

void SSVGaussNewtonLog::setGX(int index, double value)
{
    if (index < 1 || index > kMaxPoints)
        return;
    ensure(index);
    m_gx[static_cast<std::size_t>(index)] = value;
}

void SSVGaussNewtonLog::setGY(int index, double value)
{
    if (index < 1 || index > kMaxPoints)
        return;
    ensure(index);
    m_gy[static_cast<std::size_t>(index)] = value == 0 ? 1 : value;
}

void SSVGaussNewtonLog::setGW(int index, double value)
{
    if (index < 1 || index > kMaxPoints)
        return;
    ensure(index);
    m_gw[static_cast<std::size_t>(index)] = value;
}

void SSVGaussNewtonLog::setGN(int count)
{
    m_n = std::clamp(count, 0, kMaxPoints);
    ensure(m_n);
}

void SSVGaussNewtonLog::setp(int index, double value)
{
    if (index >= 1 && index <= 5)
        m_p[static_cast<std::size_t>(index)] = value;
}

void SSVGaussNewtonLog::setparanum(int count)
{
    m_paranum = count > 3 ? 5 : 3;
}

double SSVGaussNewtonLog::getGFit(int index) const
{
    if (index < 1 || index > m_n)
        return 0;
    return m_fit[static_cast<std::size_t>(index)];
}

double SSVGaussNewtonLog::getp(int index) const
{
    if (index < 1 || index > 5)
        return 0;
    return m_p[static_cast<std::size_t>(index)];
}

void SSVGaussNewtonLog::SetInitialParameters()
{
    if (m_n < 1)
        return;
    const double y1 = m_gy[1], yn = m_gy[static_cast<std::size_t>(m_n)];
    const double xn = m_gx[static_cast<std::size_t>(m_n)];
    m_p[1] = std::fabs((random() - 0.1) * y1 + y1);
    m_p[2] = random() * xn * 0.25;
    m_p[3] = yn - (0.5 - random()) * yn;
    if (m_paranum == 5) {
        m_p[1] /= 2;
        m_p[4] = std::fabs((random() - 0.5) * y1 / 1.5 + 0.5 * y1);
        const double r = random();
        m_p[5] = 2 * r * xn + 0.25 * xn;
    }
}

double SSVGaussNewtonLog::target(int i, double p3) const
{
    const double d = m_gy[static_cast<std::size_t>(i)] - p3;
    if ((m_s == -1 && d > 0) || (m_s == 1 && d < 0))
        return std::log(std::fabs(d));
    return 0;
}

void SSVGaussNewtonLog::logTransform()
{
    if (m_n < 1) {
        m_s = 0;
        return;
    }
    const double change = m_gy[static_cast<std::size_t>(m_n)] - m_gy[1];
    m_s = change > 0 ? 1 : (change < 0 ? -1 : 0);
    for (int i = 1; i <= m_n; ++i)
        m_ly[static_cast<std::size_t>(i)] = target(i, m_p[3]);
}

double SSVGaussNewtonLog::logModel(double x) const
{
    if (m_paranum == 3)
        return std::log(m_p[1] * std::exp(-x / m_p[2]));
    return std::log(m_p[1] * std::exp(-x / m_p[2]) + m_p[4] * std::exp(-x / m_p[5]));
}

double SSVGaussNewtonLog::residual(int i) const
{
    const auto u = static_cast<std::size_t>(i);
    return (logModel(m_gx[u]) - m_ly[u]) * m_gw[u];
}

int SSVGaussNewtonLog::GAUSSNEWTONFitting()
{
    m_count = 0;
    m_restarts = 0;
    m_divergence = false;
    // The first pass compares against 1, not against a χ² left from an earlier fit.
    double previous = 1;
    bool first = true;
    logTransform();
    const int np = m_paranum;
    Matrix a{};
    Vector b{};
    std::array<double, 7> delta{}, jac{};
    while (true) {
        if (!first)
            previous = m_chi;
        first = false;
        m_chi = 0;
        a = Matrix{};
        b = Vector{};
        const double h = std::ldexp(1.0, std::min(m_count, 4) + 3);
        for (int k = 1; k <= np; ++k) {
            double d = m_p[static_cast<std::size_t>(k)] / h;
            if (std::fabs(d) < kMinDelta)
                d = kMinDelta;
            delta[static_cast<std::size_t>(k)] = d;
        }
        for (int i = 1; i <= m_n; ++i) {
            const auto ui = static_cast<std::size_t>(i);
            double r = 0;
            for (int k = 1; k <= np; ++k) {
                const auto uk = static_cast<std::size_t>(k);
                r = residual(i);
                const double saved = m_p[uk];
                m_p[uk] = saved + delta[uk];
                double rk;
                if (k == 3) {
                    // Only this point's target enters its residual, so only it is redone.
                    const double kept = m_ly[ui];
                    m_ly[ui] = target(i, m_p[3]);
                    rk = residual(i);
                    m_ly[ui] = kept;
                } else {
                    rk = residual(i);
                }
                m_p[uk] = saved;
                jac[uk] = (rk - r) / delta[uk];
                // A residual that is no number has run off as surely as a huge one.
                if (!(std::fabs(r) <= kResidualLimit)) {
                    m_divergence = true;
                    return m_count;
                }
                m_chi += r * r;
            }
            if (m_chi > kChiLimit) {
                m_divergence = true;
                return m_count;
            }
            for (int k = 1; k <= np; ++k) {
                const auto uk = static_cast<std::size_t>(k);
                for (int j = k; j <= np; ++j) {
                    const auto uj = static_cast<std::size_t>(j);
                    if (!(std::fabs(jac[uk]) <= kDerivativeLimit) ||
                        !(std::fabs(jac[uj]) <= kDerivativeLimit)) {
                        m_divergence = true;
                        return m_count;
                    }
                    a[uk][uj] += jac[uk] * jac[uj];
                }
                b[uk] -= r * jac[uk];
            }
        }
        if (std::fabs(1 - m_chi / previous) < kConvergence)
            break;

        bool singular = false;
        for (int k = 3; k <= np; ++k)
            singular = singular || a[static_cast<std::size_t>(k)][static_cast<std::size_t>(k)] == 0;
        bool ok = !singular;
        if (ok) {
            mirrorUpperTriangle(a, np);
            GaussianElimination(a, b, np, ok);
        }
        if (!ok) {
            // Data that never give a solvable matrix would restart for ever.
            if (++m_restarts > kMaxRestarts) {
                m_divergence = true;
                return m_count;
            }
            SetInitialParameters();
            logTransform();
            m_count = 0;
            continue;
        }
        auto positiveOrHalf = [&](int k) {
            const auto u = static_cast<std::size_t>(k);
            const double next = m_p[u] + b[u];
            m_p[u] = next > 0 ? next : m_p[u] / 2;
        };
        positiveOrHalf(1);
        positiveOrHalf(2);
        m_p[3] += b[3];
        logTransform();
        if (np > 3) {
            positiveOrHalf(4);
            positiveOrHalf(5);
            if (m_p[2] > m_p[5]) {
                std::swap(m_p[1], m_p[4]);
                std::swap(m_p[2], m_p[5]);
            }
        }
        ++m_count;
        if (m_count >= kMaxIterations)
            break;
    }
    for (int i = 1; i <= m_n; ++i) {
        const auto u = static_cast<std::size_t>(i);
        m_fit[u] = m_p[3] - m_s * std::exp(logModel(m_gx[u]));
    }
    return m_count;
}

void SSVGaussNewtonLog::mirrorUpperTriangle(Matrix &a, int n)
{
    n = std::clamp(n, 0, 6);
    for (int k = 1; k <= n; ++k)
        for (int j = k + 1; j <= n; ++j)
            a[static_cast<std::size_t>(j)][static_cast<std::size_t>(k)] =
                a[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)];
}

void SSVGaussNewtonLog::GaussianElimination(Matrix &a, Vector &b, int n, bool &ok)
{
    ok = true;
    n = std::clamp(n, 0, 6);
    if (n < 1)
        return;
    auto A = [&a](int r, int c) -> double & {
        return a[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    };
    auto B = [&b](int r) -> double & { return b[static_cast<std::size_t>(r)]; };
    for (int k = 1; k <= n - 1; ++k) {
        int pivot = k;
        double largest = std::fabs(A(k, k));
        for (int j = k + 1; j <= n; ++j) {
            if (std::fabs(A(j, k)) > largest) {
                largest = std::fabs(A(j, k));
                pivot = j;
            }
        }
        if (largest == 0) {
            ok = false;
            return;
        }
        if (pivot != k) {
            for (int i = k; i <= n; ++i)
                std::swap(A(k, i), A(pivot, i));
            std::swap(B(k), B(pivot));
        }
        for (int j = k + 1; j <= n; ++j) {
            const double f = A(j, k) / A(k, k);
            B(j) -= f * B(k);
            for (int i = k; i <= n; ++i)
                A(j, i) -= f * A(k, i);
        }
    }
    // A singular matrix can show itself only in the last pivot.
    if (A(n, n) == 0) {
        ok = false;
        return;
    }
    B(n) = B(n) / A(n, n);
    for (int k = n - 1; k >= 1; --k) {
        double sum = B(k);
        for (int j = k + 1; j <= n; ++j)
            sum -= A(k, j) * B(j);
        B(k) = sum / A(k, k);
    }
}

} // namespace tervo
