#pragma once

#include <cmath>
#include <cstdint>

namespace tervo::sim {

// Seeded Gaussian noise that gives the same sequence on every platform and standard library
// (xoshiro256** with Box-Muller), so a seed replays a run exactly.
class NoiseSource {
public:
    explicit NoiseSource(std::uint64_t seed = 1) { reseed(seed); }

    void reseed(std::uint64_t seed)
    {
        std::uint64_t z = seed;
        for (std::uint64_t &s : m_s)
            s = splitMix(z);
        m_hasSpare = false;
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Standard normal.
    double gaussian()
    {
        if (m_hasSpare) {
            m_hasSpare = false;
            return m_spare;
        }
        const double u1 = 1.0 - uniform(); // (0, 1]: the logarithm stays finite
        const double u2 = uniform();
        const double radius = std::sqrt(-2.0 * std::log(u1));
        const double angle = 6.283185307179586 * u2;
        m_spare = radius * std::sin(angle);
        m_hasSpare = true;
        return radius * std::cos(angle);
    }

private:
    static std::uint64_t splitMix(std::uint64_t &z)
    {
        std::uint64_t r = (z += 0x9e3779b97f4a7c15ULL);
        r = (r ^ (r >> 30)) * 0xbf58476d1ce4e5b9ULL;
        r = (r ^ (r >> 27)) * 0x94d049bb133111ebULL;
        return r ^ (r >> 31);
    }
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_s[1] * 5, 7) * 9;
        const std::uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = rotl(m_s[3], 45);
        return result;
    }

    std::uint64_t m_s[4] = {};
    double m_spare = 0;
    bool m_hasSpare = false;
};

} // namespace tervo::sim
