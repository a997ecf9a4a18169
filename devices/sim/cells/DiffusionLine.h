#pragma once

#include <cstddef>
#include <vector>

namespace tervo::sim {

// Node placement in front of the electrode: the first spacing is h0, each further spacing is
// beta times the previous one, up to at least `length` (cm). A geometric grid resolves the thin
// layer of the first milliseconds and still reaches far enough for hours of semi-infinite
// diffusion with about a hundred nodes.
struct GridSpec {
    double h0 = 5e-6;
    double beta = 1.1;
    double length = 2.0;

    // A grid for a species with diffusion coefficient d (cm^2/s): resolves 1 ms transients and
    // stays semi-infinite for three hours.
    static GridSpec forDiffusion(double d);
};

// One dissolved species along the axis normal to the electrode, with diffusion and, at a rotating
// disk, the Levich axial flow v = -a x^2 towards the surface. Each step is implicit (backward
// Euler for the first step after a change of step length, second-order backward differences
// after that), so any step length is stable. Fluxes between nodes use the integrating factor of the
// flow, which makes the discrete steady state exact at the nodes: the limiting current at a
// rotating disk does not depend on the grid.
//
// A step is split in two so that the caller can couple the surface to electrode kinetics:
// prepare() eliminates the interior, after which the surface concentration is a linear function
// of the flux q (mol cm^-2 s^-1, positive into the solution) that the electrode delivers over the
// step: c0 = (g + dt q) / e0. complete(q) then finishes the profile.
class DiffusionLine {
public:
    DiffusionLine(double diffusion, double bulk, const GridSpec &grid);
    DiffusionLine(const DiffusionLine &) = default;
    DiffusionLine &operator=(const DiffusionLine &) = default;

    // Uniform bulk concentration.
    void reset();
    void setBulk(double bulk);
    double bulk() const { return m_bulk; }

    // flowCoefficient a in cm^-1 s^-1 (0 for a stationary electrode).
    void prepare(double dt, double flowCoefficient);
    double g() const { return m_g.empty() ? 0 : m_g[0]; }
    double e0() const { return m_fac >= 0 ? m_cache[m_fac].e[0] : 1; }
    // The effective step length of the elimination: dt, or 2 dt / 3 in a second-order step.
    double stepLength() const { return m_dt; }
    double surfaceFor(double q) const { return (g() + m_dt * q) / e0(); }
    void complete(double q);

    double surface() const { return m_c[0]; }
    const std::vector<double> &nodes() const { return m_x; }
    const std::vector<double> &profile() const { return m_c; }
    // Nodes in use at the last step; beyond them the flow keeps the solution at bulk.
    std::size_t activeNodes() const { return m_fac >= 0 ? m_cache[m_fac].active : m_x.size() - 1; }

private:
    struct Factorisation {
        double dt = -1;
        double flow = -1;
        std::size_t active = 0;
        double bulkCoupling = 0;   // dt * coupling of the last unknown node to the bulk node
        std::vector<double> lower; // coupling of node i to node i-1 (times dt, negated)
        std::vector<double> mult;  // elimination multipliers
        std::vector<double> e;     // pivots
        std::vector<double> invE;
        unsigned lastUse = 0;
    };

    int factorisation(double dt, double flow);
    void factorise(Factorisation &f, double dt, double flow) const;

    double m_d;
    double m_bulk;
    std::vector<double> m_x;
    std::vector<double> m_w; // control-volume widths
    std::vector<double> m_c;
    std::vector<double> m_g;
    std::vector<double> m_previous; // profile one step back, for the second-order steps
    double m_previousStep = 0;      // length of the last completed step, 0: none
    double m_step = 0;              // length of the prepared step
    double m_dt = 0;
    // A few recent factorisations, since the rig alternates between a handful of step lengths
    // and rotation rates.
    std::vector<Factorisation> m_cache;
    int m_fac = -1;
    unsigned m_useCounter = 0;
};

} // namespace tervo::sim
