#pragma once

#include "devices/sim/CellModel.h"
#include "devices/sim/cells/CellParameters.h"
#include "devices/sim/cells/ElectrodeCell.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace tervo::sim::testing {

struct Sample {
    double t = 0;
    double e = 0;
    double disk = 0;
    double ring = 0;
};

// A clean couple: no noise, no ohmic drop, no double layer, so that the faradaic response can be
// checked against the closed-form results.
inline CellParameters idealCouple()
{
    CellParameters p = defaultCellParameters(kRedoxCoupleModel);
    p.concentration = 1.0;
    p.diffusion = 1e-5;
    p.area = 0.196;
    p.rateConstant = 10;
    p.formalPotential = 0.2;
    p.resistance = 0;
    p.doubleLayer = 0;
    p.noise = 0;
    p.mainsAmplitude = 0;
    return p;
}

inline double faradayOverRT(double celsius = 25)
{
    return kFaraday / (kGasConstant * (celsius + 273.15));
}

// The function generator's triangle through the given vertices at scanRate (V/s), sampled every
// dt seconds; each sample advances the cell to its time.
inline std::vector<Sample> sweep(CellModel &cell, const std::vector<double> &vertices,
                                 double scanRate, double dt, double rpm = 0)
{
    std::vector<Sample> out;
    double t = 0;
    for (std::size_t leg = 0; leg + 1 < vertices.size(); ++leg) {
        const double from = vertices[leg], to = vertices[leg + 1];
        const double duration = std::abs(to - from) / scanRate;
        const int steps = static_cast<int>(std::lround(duration / dt));
        for (int k = 1; k <= steps; ++k) {
            const double e = from + (to - from) * k / steps;
            const CellCurrents c = cell.advance(duration / steps, e, rpm);
            t += duration / steps;
            out.push_back({t, e, c.disk, c.ring});
        }
    }
    return out;
}

// Holds the potential for `duration` seconds; returns the last sample.
inline Sample hold(CellModel &cell, double e, double duration, double dt, double rpm = 0)
{
    Sample s;
    const int steps = static_cast<int>(std::lround(duration / dt));
    for (int k = 0; k < steps; ++k) {
        const CellCurrents c = cell.advance(dt, e, rpm);
        s = {s.t + dt, e, c.disk, c.ring};
    }
    return s;
}

// Disk current where the sweep first crosses potential e, interpolated between samples.
inline double currentAt(const std::vector<Sample> &s, double e)
{
    for (std::size_t k = 1; k < s.size(); ++k) {
        if ((s[k - 1].e - e) * (s[k].e - e) <= 0 && s[k].e != s[k - 1].e) {
            const double u = (e - s[k - 1].e) / (s[k].e - s[k - 1].e);
            return s[k - 1].disk + u * (s[k].disk - s[k - 1].disk);
        }
    }
    return 0;
}

// Extremum of the disk current between samples [from, to), refined by a parabola through the
// three samples around it: (potential, current).
inline std::pair<double, double> peak(const std::vector<Sample> &s, std::size_t from,
                                      std::size_t to, bool maximum)
{
    std::size_t best = from;
    for (std::size_t i = from; i < to; ++i) {
        if (maximum ? s[i].disk > s[best].disk : s[i].disk < s[best].disk)
            best = i;
    }
    if (best == from || best + 1 >= to)
        return {s[best].e, s[best].disk};
    const double y0 = s[best - 1].disk, y1 = s[best].disk, y2 = s[best + 1].disk;
    const double denom = y0 - 2 * y1 + y2;
    if (denom == 0)
        return {s[best].e, y1};
    const double u = 0.5 * (y0 - y2) / denom; // offset in samples
    const double de = s[best + 1].e - s[best].e;
    return {s[best].e + u * de, y1 - 0.25 * (y0 - y2) * u};
}

} // namespace tervo::sim::testing
