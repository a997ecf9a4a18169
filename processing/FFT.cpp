#include "FFT.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace tervo {

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

FFTPlan::FFTPlan(int n) : m_n(isPowerOfTwo(n) ? n : 0)
{
    const int half = m_n / 2;
    m_cos.resize(static_cast<std::size_t>(half));
    m_sin.resize(static_cast<std::size_t>(half));
    // Direct sines every kStride entries and angle addition in between: a few hundred library
    // calls instead of n/2, at an error of a few ulp.
    constexpr int kStride = 32;
    const double theta = 2 * std::numbers::pi / n;
    double stepCos[kStride], stepSin[kStride];
    for (int k = 0; k < kStride; ++k) {
        stepCos[k] = std::cos(k * theta);
        stepSin[k] = std::sin(k * theta);
    }
    std::vector<double> c(static_cast<std::size_t>(half)), s(static_cast<std::size_t>(half));
    for (int base = 0; base < half; base += kStride) {
        const double c0 = std::cos(base * theta), s0 = std::sin(base * theta);
        for (int k = 0; k < kStride && base + k < half; ++k) {
            c[static_cast<std::size_t>(base + k)] = c0 * stepCos[k] - s0 * stepSin[k];
            s[static_cast<std::size_t>(base + k)] = s0 * stepCos[k] + c0 * stepSin[k];
        }
    }
    // Block j of every pass takes the twiddle of the bit-reversed counter r(j); stored in block
    // order, each pass reads the table front to back.
    for (int j = 0, r = 0; j < half; ++j) {
        m_cos[static_cast<std::size_t>(j)] = c[static_cast<std::size_t>(r)];
        m_sin[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(r)];
        // Bit-reversed counter with top bit n/4.
        int l = n / 4;
        while (l >= 1 && l <= r) {
            r -= l;
            l /= 2;
        }
        r += l;
    }
}

void FFTPlan::transform(double *re, double *im, int sign) const
{
    const int n = m_n;
    if (n < 2)
        return;
    const double sg = sign < 0 ? -1.0 : 1.0;
    for (int m = n / 2; m >= 1; m /= 2) {
        for (int b = 0, j = 0; b < n; b += 2 * m, ++j) {
            const double wr = m_cos[static_cast<std::size_t>(j)];
            const double wi = sg * m_sin[static_cast<std::size_t>(j)];
            double *__restrict ar = re + b;
            double *__restrict ai = im + b;
            double *__restrict br = re + b + m;
            double *__restrict bi = im + b + m;
            for (int q = 0; q < m; ++q) {
                const double tr = wr * br[q] - wi * bi[q];
                const double ti = wr * bi[q] + wi * br[q];
                br[q] = ar[q] - tr;
                bi[q] = ai[q] - ti;
                ar[q] += tr;
                ai[q] += ti;
            }
        }
    }
    if (sign < 0) {
        const double inv = 1.0 / n;
        for (int i = 0; i < n; ++i) {
            re[i] *= inv;
            im[i] *= inv;
        }
    }
    for (int i = 0, j = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int l = n / 2;
        while (l <= j) {
            j -= l;
            l /= 2;
        }
        j += l;
    }
}

void FFT(double *re, double *im, int n, int sign)
{
    FFTPlan(n).transform(re, im, sign);
}

} // namespace tervo
