#pragma once

#include "state/TrackStore.h"

#include <QString>
#include <vector>

namespace tervo {

struct PlotRange {
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

// The range grown on every side by p percent of its width and height.
PlotRange WidenRange(double xmin, double ymin, double xmax, double ymax, double p);
inline PlotRange WidenRange(const PlotRange &r, double p)
{
    return WidenRange(r.xmin, r.ymin, r.xmax, r.ymax, p);
}

// A rounded tick step for an axis from a to b: 1, 2 or 5 times a power of ten, about half the
// span.
double NiceStep(double a, double b);

// Index of the turning point of the sweep near potential v, searching forward from point i.
int FindTurningPoint(const TrackStore &store, int track, int i, double v);

// The cycle boundary list of a track: ascending point indices, first entry 0, at most 101 entries.
std::vector<int> CycleBoundaries(const TrackStore &store, int track);

// The read-out of one point for the analysis windows ("E:0.1000V   I:1.0000e-6A"); empty for
// modes without one and for a point index outside the point store.
QString CursorText(const TrackStore &store, int track, int point);

// pnum of a track, kept within the point store.
int pointCount(const TrackHeader &h);

} // namespace tervo
