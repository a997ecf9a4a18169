#pragma once

#include "Figure.h"
#include "state/TrackStore.h"

#include <optional>
#include <utility>
#include <vector>

namespace tervo {

// The axis titles of a track's plot by its mode: what column 0 holds, and the current.
QString trackXTitle(int mode);
inline const QString kCurrentTitle = QStringLiteral("Current /A");

// Tracks of a store as a figure: each track's current against its x column in the track's colour
// (the ring current in its light colour with ring), a legend of the track titles, the data's
// extent widened by 5 % unless a range is given, |y| in decades with logY.
struct TrackFigureRequest {
    std::vector<int> tracks;
    bool ring = false;
    std::optional<std::pair<double, double>> xRange, yRange;
    bool logY = false;
    QSizeF size{640, 480};
};
// Nothing, with the reason, when a track is out of range or vacant, or nothing can be drawn.
std::optional<Figure> trackFigure(const TrackStore &store, const TrackFigureRequest &request,
                                  QString *error);

} // namespace tervo
