#pragma once

#include "state/TrackStore.h"

#include <QString>
#include <vector>

namespace tervo {

// A track may hold NaN or Inf (a failed reading, a file written so). Every numeric routine skips
// such points rather than let one spread into its result, and says how many it skipped.

// True when columns 0..lastColumn of the point are all finite.
bool isFinitePoint(const TrackStore &store, int track, int point, int lastColumn);

// The finite points of first..last, in order; skipped (when given) gets how many were not.
std::vector<int> finitePoints(const TrackStore &store, int track, int first, int last,
                              int lastColumn, int *skipped = nullptr);

// The highest column the track keeps (2 with a ring current or a time, else 1).
int lastDataColumn(const TrackHeader &h);

// "3 points that are not finite numbers were skipped."; empty for none.
QString skippedPointsText(int skipped);

} // namespace tervo
