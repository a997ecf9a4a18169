#pragma once

#include <vector>

namespace tervo {

// Radix-2 complex transform of (re[i], im[i]), i = 0..n-1, in place; n a power of two.
// sign +1: X(k) = sum x(t) e^(+2 pi i k t / n), unscaled; sign -1: the inverse, divided by n.
void FFT(double *re, double *im, int n, int sign);

// The same transform with its twiddle factors computed once, for repeated transforms of one size.
class FFTPlan {
public:
    explicit FFTPlan(int n);
    int size() const { return m_n; }
    void transform(double *re, double *im, int sign) const;

private:
    int m_n;
    // cos and sin of 2 pi r(j) / n for block j, r(j) the bit reversal of j
    std::vector<double> m_cos;
    std::vector<double> m_sin;
};

// True for 1, 2, 4, 8, ...
bool isPowerOfTwo(int n);

} // namespace tervo
