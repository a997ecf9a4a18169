#include "PlotRanges.h"

#include "core/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace tervo {

PlotRange WidenRange(double xmin, double ymin, double xmax, double ymax, double p)
{
    const double dx = xmax - xmin, dy = ymax - ymin;
    return {xmin - dx * p / 100, ymin - dy * p / 100, xmax + dx * p / 100, ymax + dy * p / 100};
}

double NiceStep(double a, double b)
{
    const double h = std::fabs(b - a) / 2;
    if (!std::isfinite(h))
        return 0.5;
    // The program's own ln 10; it decides on which side of a power of ten a span falls.
    const double lg = (h > 0 && std::isfinite(h)) ? std::log(h) / 2.302585093 : 0.0;
    const double p = std::pow(10.0, std::floor(lg));
    const double r = h / p;
    if (r > 5)
        return 2 * p;
    if (r < 2)
        return p / 2;
    return p;
}

int pointCount(const TrackHeader &h)
{
    return std::clamp<int>(h.pnum, 0, kMaxPoints);
}

int FindTurningPoint(const TrackStore &store, int track, int i, double v)
{
    const int last = pointCount(store[track]) - 1;
    if (i > last)
        return i - 1;
    i = std::max(i, 0);
    const double *x = store.data.column(0, track);
    double previous = 10000;
    for (int j = i; j <= last; ++j) {
        const double d = std::fabs(x[j] - v);
        if (d > previous && previous < 0.1)
            return j - 1;
        previous = d;
    }
    return last;
}

std::vector<int> CycleBoundaries(const TrackStore &store, int track)
{
    const TrackHeader &h = store[track];
    const int n = pointCount(h);
    const int lastPoint = std::max(n - 1, 0);
    switch (h.Mode) {
    case ModeCV:
    case ModeRDE:
        break;
    case ModePS:
    case ModeRPMvsJ:
    case ModeSSV:
    case ModeSSVAll:
        return {0, lastPoint};
    default:
        return {0};
    }
    if (n <= 1)
        return {0, lastPoint};

    constexpr std::size_t kMaxEntries = 101;
    std::vector<int> list{0};
    int i = 0;
    do {
        const int start = i;
        i = FindTurningPoint(store, track, i, h.V2nd);
        i = FindTurningPoint(store, track, i, h.V3rd);
        i = FindTurningPoint(store, track, i, h.V1st);
        // A cycle that ends where it began would be found again and again: the rest of the
        // points make the last cycle.
        if (i <= start)
            i = lastPoint;
        if (list.size() < kMaxEntries)
            list.push_back(i);
        else
            list.back() = i;
    } while (i < lastPoint);
    if (list.size() == 1)
        return {0, lastPoint};
    return list;
}

QString CursorText(const TrackStore &store, int track, int point)
{
    if (track < 0 || track >= kTrackSlots)
        return {};
    const TrackHeader &h = store[track];
    if (point < 0 || point >= kMaxPoints)
        return {};
    const double c0 = store.data(0, track, point);
    const double c1 = store.data(1, track, point);
    switch (h.Mode) {
    case ModeCV:
    case ModeRDE:
    case ModeSSV:
    case ModeSSVAll:
        return QStringLiteral("E:") + formatPattern(c0, "0.0000") + QStringLiteral("V   I:") +
               formatPattern(c1, "0.0000e+0") + QStringLiteral("A");
    case ModePS:
        return QStringLiteral("t:") + formatPattern(c0, "#0.000") + QStringLiteral("s   I:") +
               formatPattern(c1, "0.0000e+0") + QStringLiteral("A");
    default:
        return {};
    }
}

} // namespace tervo
