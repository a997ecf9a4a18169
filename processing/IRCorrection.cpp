#include "IRCorrection.h"

#include "TrackProcessing.h"
#include "core/NumberFormat.h"
#include "tracks/FinitePoints.h"
#include "tracks/Tables.h"

#include <algorithm>
#include <cmath>

namespace tervo {

bool correctOhmicDrop(TrackStore &store, int source, int destination, double ru, QString *problem,
                      int *skipped)
{
    const int mode = store[source].Mode;
    if (!isSweepMode(mode)) {
        if (problem)
            *problem = QStringLiteral("Track %1 (%2) is not a voltammogram; only CV, RDE and SSV "
                                      "tracks take an iR correction.")
                           .arg(source)
                           .arg(modeName(mode));
        return false;
    }
    if (source != destination) {
        store.CopyTrackHeader(source, destination);
        CopyTrackPoints(store, source, destination);
    }
    TrackHeader &h = store[destination];
    const int n = pointCount(h);
    const std::vector<int> kept = finitePoints(store, destination, 0, n - 1, 1, skipped);
    for (const int p : kept) {
        double &e = store.data(0, destination, p);
        e -= store.data(1, destination, p) * ru;
        h.Vxmin = std::min(h.Vxmin, e);
        h.Vxmax = std::max(h.Vxmax, e);
    }
    h.Title += QStringLiteral(" (E - i*%1 ohm)").arg(formatGeneral(ru));
    store.markChanged();
    return true;
}

} // namespace tervo
