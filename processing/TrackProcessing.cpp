#include "TrackProcessing.h"

#include "state/TrackModes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tervo {

int FindSweepEnd(const TrackStore &store, int track, int s, double target)
{
    return FindTurningPoint(store, track, s, target);
}

int findSweepEndIn(const double *x, int count, int s, double target)
{
    const int last = count - 1;
    if (s > last)
        return s - 1;
    double previous = 10000;
    for (int j = std::max(s, 0); j <= last; ++j) {
        const double d = std::fabs(x[j] - target);
        if (d > previous && previous < 0.1)
            return j - 1;
        previous = d;
    }
    return last;
}

void CopyTrackPoints(TrackStore &store, int source, int destination)
{
    const TrackHeader &h = store[source];
    const int n = pointCount(h);
    // A rotation-rate sweep that recorded time keeps its time column too.
    for (int c = 0; c < loadColumnCount(h); ++c)
        std::memmove(store.data.column(c, destination), store.data.column(c, source),
                     static_cast<std::size_t>(n) * sizeof(double));
}

PlotRange storedRange(const TrackHeader &h)
{
    return {h.Vxmin, h.Vymin, h.Vxmax, h.Vymax};
}

bool drawProcessingAxes(kurvex::KurvexControl &canvas, const PlotRange &range, int mode)
{
    const PlotRange w = WidenRange(range, 10);
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    switch (modeFacts(mode).xAxis) {
    case ModeAxis::Time:
        canvas.XAxisFormat(QStringLiteral("###0.0"));
        break;
    case ModeAxis::RotationRate:
        canvas.XAxisFormat(QStringLiteral("###0"));
        break;
    default:
        canvas.XAxisFormat(QStringLiteral("0.0"));
        break;
    }
    if (!canvas.View(w.xmin, w.ymax, w.xmax, w.ymin)) {
        canvas.Cls();
        return false;
    }
    canvas.Axis(NiceStep(w.xmin, w.xmax), NiceStep(w.ymin, w.ymax), QStringLiteral("Potential /V"),
                QStringLiteral("Current /A"));
    return true;
}

void drawCurve(kurvex::KurvexControl &canvas, const double *x, const double *y, int first, int last,
               QRgb color, int drawSetting)
{
    if (drawSetting == 0) {
        for (int i = first; i < last; ++i)
            canvas.VLine(x[i], y[i], x[i + 1], y[i + 1], color);
    } else if (drawSetting == 1) {
        for (int i = first; i <= last; ++i)
            canvas.VPset(x[i], y[i], color);
    }
}

} // namespace tervo
