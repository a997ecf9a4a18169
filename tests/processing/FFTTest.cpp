#include "processing/FFT.h"
#include "processing/FFTFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

using namespace tervo;

namespace {

std::vector<std::complex<double>> directDFT(const std::vector<std::complex<double>> &x, int sign)
{
    const int n = static_cast<int>(x.size());
    std::vector<std::complex<double>> out(x.size());
    for (int k = 0; k < n; ++k) {
        std::complex<double> s = 0;
        for (int t = 0; t < n; ++t) {
            const double angle =
                sign * 2 * std::numbers::pi * double((std::int64_t(k) * t) % n) / n;
            s += x[static_cast<std::size_t>(t)] * std::polar(1.0, angle);
        }
        out[static_cast<std::size_t>(k)] = sign < 0 ? s / double(n) : s;
    }
    return out;
}

} // namespace

TEST(FFT, MatchesTheDirectTransformBothWays)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int n : {2, 8, 64, 1024}) {
        for (int sign : {+1, -1}) {
            std::vector<std::complex<double>> x(static_cast<std::size_t>(n));
            std::vector<double> re, im;
            for (auto &v : x) {
                v = {u(gen), u(gen)};
                re.push_back(v.real());
                im.push_back(v.imag());
            }
            FFT(re.data(), im.data(), n, sign);
            const auto ref = directDFT(x, sign);
            double err = 0, norm = 0;
            for (std::size_t k = 0; k < ref.size(); ++k) {
                err = std::max(err, std::abs(std::complex<double>(re[k], im[k]) - ref[k]));
                norm = std::max(norm, std::abs(ref[k]));
            }
            EXPECT_LE(err / norm, 1e-12) << "n=" << n << " sign=" << sign;
        }
    }
}

TEST(FFT, InverseUndoesTheForwardTransform)
{
    const int n = 32768;
    std::vector<double> re(n), im(n, 0.0);
    for (int i = 0; i < n; ++i)
        re[static_cast<std::size_t>(i)] = std::sin(0.01 * i) + 0.001 * i;
    const std::vector<double> original = re;
    FFTPlan plan(n);
    plan.transform(re.data(), im.data(), +1);
    plan.transform(re.data(), im.data(), -1);
    for (int i = 0; i < n; i += 97) {
        EXPECT_NEAR(re[static_cast<std::size_t>(i)], original[static_cast<std::size_t>(i)], 1e-9);
        EXPECT_NEAR(im[static_cast<std::size_t>(i)], 0, 1e-9);
    }
}

TEST(FFT, TransformLengthIsThePowerOfTwoAboveThePointCount)
{
    const std::pair<int, int> cases[] = {
        {1, 2}, {1000, 1024}, {1023, 1024}, {1024, 2048}, {20001, 32768}};
    for (auto [points, n] : cases)
        EXPECT_EQ(transformLength(points), n) << points;
}
