#pragma once

#include <array>
#include <functional>
#include <vector>

namespace tervo {

// Fits a current transient that relaxes towards a steady value,
//     y(x) = p3 - s * (p1 exp(-x/p2) [+ p4 exp(-x/p5)]),  s = Sgn(GY(N) - GY(1)),
// by Gauss-Newton iteration in log space with numerical derivatives. p3 is the steady current.
// Arrays and parameters are 1-based, as the callers index them.
//
// The normal matrix is accumulated on and above its diagonal only; before each solve the upper
// triangle is mirrored into the lower one, so every step is the full Gauss-Newton step of the
// symmetric normal equations (eliminating the half-filled matrix would amount to a back
// substitution through its upper triangle alone, which is not a descent step in general).
class SSVGaussNewtonLog {
public:
    // Uniform random numbers in [0, 1) for the starting parameters.
    using RandomSource = std::function<double()>;
    // Index 0 is unused; the matrix and the right-hand side are held up to index 6.
    using Matrix = std::array<std::array<double, 7>, 7>;
    using Vector = std::array<double, 7>;

    static constexpr int kMaxIterations = 200;
    // Restarts from random parameters allowed in one fit before it is given up as diverged.
    static constexpr int kMaxRestarts = 50;
    // Points the arrays grow to at most.
    static constexpr int kMaxPoints = 1000000;

    // Without a source the starting parameters come from a fixed-seed generator, so fits repeat.
    explicit SSVGaussNewtonLog(RandomSource random = {});

    void setGX(int index, double value);
    // A y of exactly 0 is stored as 1.
    void setGY(int index, double value);
    void setGW(int index, double value);
    void setGN(int count);
    void setp(int index, double value);
    // 3 (one exponential) or 5 (two).
    void setparanum(int count);
    double getxaisqr() const { return m_chi; }
    bool getdivergence() const { return m_divergence; }
    int getexenum() const { return m_count; }
    double getGFit(int index) const;
    double getp(int index) const;

    // Random starting values from the first and last points.
    void SetInitialParameters();
    // Runs the fit from the present parameters; returns the iteration count.
    int GAUSSNEWTONFitting();
    // Solves A x = b in place (x replaces b) by elimination with partial pivoting over indices
    // 1..n; ok is false when a pivot is 0.
    static void GaussianElimination(Matrix &a, Vector &b, int n, bool &ok);
    // Copies the entries above the diagonal to their mirror places below it (indices 1..n).
    static void mirrorUpperTriangle(Matrix &a, int n);

    // Random restarts in the last fit.
    int restarts() const { return m_restarts; }
    double approachSign() const { return m_s; }

private:
    void ensure(int index);
    void logTransform();
    double target(int i, double p3) const;
    double logModel(double x) const;
    double residual(int i) const;
    double random();

    RandomSource m_random;
    unsigned long long m_state = 0x9E3779B97F4A7C15ull;
    std::vector<double> m_gx{0.0}, m_gy{0.0}, m_gw{0.0}, m_ly{0.0}, m_fit{0.0};
    int m_n = 0;
    int m_paranum = 3;
    std::array<double, 7> m_p{};
    double m_s = 0;
    double m_chi = 0;
    bool m_divergence = false;
    int m_count = 0;
    int m_restarts = 0;
};

} // namespace tervo
