#pragma once

#include "state/TrackStore.h"

#include <QString>

namespace tervo {

// The potential the interface saw, E - i Ru, for every point of a voltammogram (CV, RDE, SSV),
// written with the source's header into the destination: peak separations then read without
// the ohmic drop through the uncompensated resistance Ru (ohm). Points that are not finite keep
// their values (skipped counts them). False, with the reason, for a track of another mode.
bool correctOhmicDrop(TrackStore &store, int source, int destination, double ru,
                      QString *problem = nullptr, int *skipped = nullptr);

} // namespace tervo
