#pragma once

#include "canvas/KurvexControl.h"
#include "plot/PlotRanges.h"
#include "state/TrackStore.h"

#include <QRgb>
#include <vector>

namespace tervo {

inline constexpr int kWorkSlot = 21;  // results of the processing windows
inline constexpr int kShiftSlot = 22; // the x-shifted operand of the track calculation

// The turning point of a sweep near target, searching forward from point s.
int FindSweepEnd(const TrackStore &store, int track, int s, double target);

// The same search over a column of count values.
int findSweepEndIn(const double *x, int count, int s, double target);

// Copies points 0..pnum(source)-1 of columns 0 and 1, and of column 2 for tracks that carry a
// third column (ring current, time).
void CopyTrackPoints(TrackStore &store, int source, int destination);

// The preview axes of the processing windows: the range widened by 10 %, y format "0.0e+0",
// x format by mode, titles "Potential /V" and "Current /A". False when the range cannot be
// mapped (the canvas is then cleared).
bool drawProcessingAxes(kurvex::KurvexControl &canvas, const PlotRange &range, int mode);

// The stored plot range of a track.
PlotRange storedRange(const TrackHeader &h);

// Joined lines or single pixels through (x[i], y[i]), i = first..last.
void drawCurve(kurvex::KurvexControl &canvas, const double *x, const double *y, int first, int last,
               QRgb color, int drawSetting);

} // namespace tervo
