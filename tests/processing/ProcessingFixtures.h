#pragma once

// Tracks for the processing tests: simulated voltammograms straight from a cell model (no
// potentiostat, board or clock in between) and hand-made curves.
#include "devices/sim/cells/RedoxCoupleCell.h"
#include "state/TrackStore.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace tervo {

// A CV of one cycle v1 -> v2 -> v1 sampled every dt seconds; column 1 the measured current,
// and, when clean is given, the noise- and pick-up-free current in that array.
inline void recordSimulatedCV(TrackStore &store, int track, const sim::CellParameters &p,
                              double scanrateMVs, double dt, std::vector<double> *clean = nullptr,
                              double v1 = 0.6, double v2 = -0.2)
{
    sim::RedoxCoupleCell cell(p);
    cell.reset();
    const double rate = scanrateMVs / 1000;
    const double half = std::fabs(v1 - v2) / rate;
    const int n = static_cast<int>(std::lround(2 * half / dt)) + 1;
    TrackHeader &h = store[track];
    h = TrackHeader();
    h.Mode = ModeCV;
    h.Scanrate = scanrateMVs;
    h.V1st = v1;
    h.V2nd = v2;
    h.V3rd = v1;
    h.pnum = n;
    h.MaxTime = n * dt * 1000;
    h.DiskYscale = 1e-4;
    if (clean)
        clean->assign(static_cast<std::size_t>(n), 0);
    double lo = 0, hi = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i * dt;
        const double e = t <= half ? v1 - (v1 - v2) * t / half : v2 + (v1 - v2) * (t - half) / half;
        const double current = cell.advance(i == 0 ? 0 : dt, e, 0).disk;
        store.data(0, track, i) = e;
        store.data(1, track, i) = current;
        if (clean)
            (*clean)[static_cast<std::size_t>(i)] = cell.cleanCurrents().disk;
        lo = std::min(lo, current);
        hi = std::max(hi, current);
    }
    h.Vxmin = std::min(v1, v2);
    h.Vxmax = std::max(v1, v2);
    h.Vymin = lo;
    h.Vymax = hi;
}

// A track of the given mode whose points come from f(i) -> {x, y, ring}.
inline void makeTrack(TrackStore &store, int track, int mode, int n,
                      const std::function<std::array<double, 3>(int)> &f)
{
    TrackHeader &h = store[track];
    h = TrackHeader();
    h.Mode = mode;
    h.pnum = n;
    h.ne = 1;
    for (int i = 0; i < n; ++i) {
        const auto v = f(i);
        for (int c = 0; c < 3; ++c)
            store.data(c, track, i) = v[static_cast<std::size_t>(c)];
    }
    h.Vxmin = -1;
    h.Vxmax = 1;
    h.Vymin = -1;
    h.Vymax = 1;
}

// A triangular CV programme v1 -> v2 -> v1 repeated, n points per sweep, with current g(x, sweep).
inline void makeCV(TrackStore &store, int track, int mode, double v1, double v2, int perSweep,
                   int sweeps, const std::function<double(double, int)> &g)
{
    makeTrack(store, track, mode, perSweep * sweeps + 1, [&](int i) {
        const int sweep = std::min(i / perSweep, sweeps - 1);
        const double f = double(i - sweep * perSweep) / perSweep;
        const double x = sweep % 2 == 0 ? v1 + (v2 - v1) * f : v2 + (v1 - v2) * f;
        const double y = g(x, sweep);
        return std::array<double, 3>{x, y, -0.5 * y};
    });
    TrackHeader &h = store[track];
    h.V1st = v1;
    h.V2nd = v2;
    h.V3rd = v1;
    h.Scanrate = 50;
}

} // namespace tervo
