#include "SteadyCurrent.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

constexpr int kMinFitPoints = 5;
// A time constant beyond this many times the transient's length is not told by the data.
constexpr double kMaxTimeConstantRatio = 10;

} // namespace

double tailMean(const std::vector<double> &y)
{
    if (y.empty())
        return 0;
    const std::size_t count = std::max<std::size_t>(1, y.size() / 10);
    double sum = 0;
    for (std::size_t i = y.size() - count; i < y.size(); ++i)
        sum += y[i];
    return sum / static_cast<double>(count);
}

SteadyEstimate estimateSteadyCurrent(SSVGaussNewtonLog &fit, const std::vector<double> &t,
                                     const std::vector<double> &y)
{
    SteadyEstimate e;
    e.value = tailMean(y);
    const int n = static_cast<int>(std::min(t.size(), y.size()));
    if (n < kMinFitPoints)
        return e;
    const double tail = e.value;
    const auto [lo, hi] = std::minmax_element(y.begin(), y.begin() + n);
    const double span = *hi - *lo;
    // Noise from successive differences over the second half, where the transient is flattest.
    double sq = 0, largest = 0;
    int m = 0;
    for (int i = n / 2 + 1; i < n; ++i, ++m)
        sq += (y[std::size_t(i)] - y[std::size_t(i - 1)]) *
              (y[std::size_t(i)] - y[std::size_t(i - 1)]);
    for (int i = 0; i < n; ++i)
        largest = std::max(largest, std::fabs(y[std::size_t(i)]));
    const double sigma = m > 0 ? std::sqrt(sq / (2.0 * m)) : 0;
    const double unit = std::max({sigma, 1e-6 * largest, 1e-300});
    if (!(span > 0))
        return e;

    fit.setparanum(3);
    fit.setGN(n);
    for (int i = 0; i < n; ++i) {
        const double v = (y[std::size_t(i)] - tail) / unit;
        fit.setGX(i + 1, t[std::size_t(i)]);
        fit.setGY(i + 1, v);
        fit.setGW(i + 1, std::fabs(v) + 1);
    }
    const double first = (y[0] - tail) / unit;
    const double s = y[std::size_t(n - 1)] > y[0] ? 1 : -1;
    const double duration = std::max(t[std::size_t(n - 1)] - t[0], 1e-9);
    // Start just beyond the tail in the direction of approach.
    const double p3 = s * (0.05 * span / unit + 1);
    const double tau = 0.25 * duration;
    fit.setp(1, std::fabs(first - p3) * std::exp(t[0] / tau));
    fit.setp(2, tau);
    fit.setp(3, p3);
    e.iterations = fit.GAUSSNEWTONFitting();
    const double value = tail + fit.getp(3) * unit;
    const double timeConstant = fit.getp(2);
    if (fit.getdivergence() || !std::isfinite(value) || !(timeConstant > 0) ||
        timeConstant > kMaxTimeConstantRatio * duration || value < *lo - span || value > *hi + span)
        return e;
    e.value = value;
    e.fitted = true;
    e.timeConstant = timeConstant;
    return e;
}

} // namespace tervo
