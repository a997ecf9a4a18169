#include "FinitePoints.h"

#include <algorithm>
#include <cmath>

namespace tervo {

bool isFinitePoint(const TrackStore &store, int track, int point, int lastColumn)
{
    for (int c = 0; c <= lastColumn; ++c)
        if (!std::isfinite(store.data(c, track, point)))
            return false;
    return true;
}

std::vector<int> finitePoints(const TrackStore &store, int track, int first, int last,
                              int lastColumn, int *skipped)
{
    std::vector<int> kept;
    first = std::max(first, 0);
    last = std::min(last, kMaxPoints - 1);
    if (last >= first)
        kept.reserve(static_cast<std::size_t>(last - first + 1));
    for (int p = first; p <= last; ++p)
        if (isFinitePoint(store, track, p, lastColumn))
            kept.push_back(p);
    if (skipped)
        *skipped = std::max(last - first + 1, 0) - static_cast<int>(kept.size());
    return kept;
}

int lastDataColumn(const TrackHeader &h)
{
    return loadColumnCount(h) - 1;
}

QString skippedPointsText(int skipped)
{
    if (skipped <= 0)
        return {};
    if (skipped == 1)
        return QStringLiteral("1 point that is not a finite number was skipped.");
    return QStringLiteral("%1 points that are not finite numbers were skipped.").arg(skipped);
}

} // namespace tervo
