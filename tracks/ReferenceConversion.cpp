#include "ReferenceConversion.h"

#include "Tables.h"

#include <algorithm>

namespace tervo {

double referencePotential(int ref, double pH)
{
    if (ref == kRefRHE)
        return -0.059 * pH;
    if (ref < 0 || ref >= static_cast<int>(RefPotentials().size()))
        return 0;
    return RefPotentials()[static_cast<std::size_t>(ref)];
}

void shiftPotentials(TrackStore &store, int track, double shift)
{
    TrackHeader &h = store[track];
    double *x = store.data.column(0, track);
    const int n = std::clamp(h.pnum, 0, kMaxPoints);
    for (int i = 0; i < n; ++i)
        x[i] += shift;
    h.V1st += shift;
    h.V2nd += shift;
    h.V3rd += shift;
    h.Vxmin += shift;
    h.Vxmax += shift;
}

} // namespace tervo
