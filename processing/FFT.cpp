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
    // cos and sin of r theta from a coarse table (every kStride-th angle) and a fine one by
    // angle addition: a few hundred library calls instead of n/2, at an error of a few ulp.
    constexpr int kStride = 32;
    const double theta = 2 * std::numbers::pi / n;
    double fineCos[kStride], fineSin[kStride];
    for (int k = 0; k < kStride; ++k) {
        fineCos[k] = std::cos(k * theta);
        fineSin[k] = std::sin(k * theta);
    }
    std::vector<double> coarseCos(static_cast<std::size_t>(half / kStride + 1));
    std::vector<double> coarseSin(coarseCos.size());
    for (std::size_t b = 0; b < coarseCos.size(); ++b) {
        coarseCos[b] = std::cos(double(b) * kStride * theta);
        coarseSin[b] = std::sin(double(b) * kStride * theta);
    }
    // Block j of every pass takes the twiddle of the bit-reversed counter r(j); stored in block
    // order, each pass reads the table front to back.
    for (int j = 0, r = 0; j < half; ++j) {
        const auto b = static_cast<std::size_t>(r / kStride);
        const int k = r % kStride;
        m_cos[static_cast<std::size_t>(j)] = coarseCos[b] * fineCos[k] - coarseSin[b] * fineSin[k];
        m_sin[static_cast<std::size_t>(j)] = coarseSin[b] * fineCos[k] + coarseCos[b] * fineSin[k];
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
