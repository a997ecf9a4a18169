#include "TrackFigure.h"

#include "PlotRanges.h"
#include "canvas/PlotGeometry.h"
#include "state/TrackModes.h"
#include "tracks/Tables.h"

#include <cmath>
#include <tuple>

namespace tervo {

QString trackXTitle(int mode)
{
    switch (modeFacts(mode).xAxis) {
    case ModeAxis::Time:
        return QStringLiteral("Time (s)");
    case ModeAxis::RotationRate:
        return QStringLiteral("Rotation rate (rpm)");
    default:
        return QStringLiteral("Potential /V");
    }
}

std::optional<Figure> trackFigure(const TrackStore &store, const TrackFigureRequest &request,
                                  QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<Figure> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (request.tracks.empty())
        return fail(QStringLiteral("no track to plot"));
    Figure f;
    f.size = request.size;
    f.logY = request.logY;
    double xmin = HUGE_VAL, xmax = -HUGE_VAL, ymin = HUGE_VAL, ymax = -HUGE_VAL;
    double absMin = HUGE_VAL, absMax = 0;
    auto take = [&](double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
        const double a = std::fabs(y);
        if (a > 0) {
            absMin = std::min(absMin, a);
            absMax = std::max(absMax, a);
        }
    };
    for (int t : request.tracks) {
        if (t < 0 || t >= kUserTracks)
            return fail(
                QStringLiteral("track %1 is not a track (0 to %2)").arg(t).arg(kUserTracks - 1));
        const TrackHeader &h = store[t];
        if (h.Mode == ModeNone)
            return fail(QStringLiteral("track %1 is vacant").arg(t));
        const int n = pointCount(h);
        const double *x =
            modeFacts(h.Mode).sharedTime ? store.data.column(2, 0) : store.data.column(0, t);
        const bool ring = request.ring && modeFacts(h.Mode).ringColumn;
        const QString title = h.Title.isEmpty() ? QStringLiteral("Track %1").arg(t) : h.Title;
        const auto colours = {
            std::make_pair(1, TrackColors()[static_cast<std::size_t>(t % 10)]),
            std::make_pair(2, TrackLightColors()[static_cast<std::size_t>(t % 10)])};
        for (const auto &[column, colour] : colours) {
            if (column == 2 && !ring)
                continue;
            const double *y = store.data.column(column, t);
            for (int i = 0; i < n; ++i)
                take(x[i], y[i]);
            for (int i = 0; i + 1 < n; ++i) {
                kurvex::SceneItem s;
                s.kind = kurvex::SceneItem::Line;
                s.color = colour;
                s.x1 = x[i];
                s.y1 = y[i];
                s.x2 = x[i + 1];
                s.y2 = y[i + 1];
                f.scene.add(s);
            }
            if (n == 1) {
                kurvex::SceneItem s;
                s.kind = kurvex::SceneItem::Point;
                s.color = colour;
                s.x1 = x[0];
                s.y1 = y[0];
                f.scene.add(s);
            }
            f.scene.addLegend(column == 2 ? title + QStringLiteral(" (ring)") : title, colour);
        }
    }
    if (!(xmax >= xmin))
        return fail(QStringLiteral("the tracks hold no points"));
    PlotRange r = WidenRange(xmin, ymin, xmax, ymax, 5);
    if (request.xRange)
        std::tie(r.xmin, r.xmax) = *request.xRange;
    if (request.yRange)
        std::tie(r.ymin, r.ymax) = *request.yRange;
    if (r.xmin == r.xmax) {
        r.xmin -= 1;
        r.xmax += 1;
    }
    if (r.ymin == r.ymax) {
        r.ymin -= 1;
        r.ymax += 1;
    }
    f.view = {r.xmin, std::max(r.ymin, r.ymax), r.xmax, std::min(r.ymin, r.ymax)};
    if (request.logY) {
        double lo = absMin, hi = absMax;
        if (request.yRange) {
            lo = std::min(std::fabs(r.ymin), std::fabs(r.ymax));
            hi = std::max(std::fabs(r.ymin), std::fabs(r.ymax));
            if (!(lo > 0))
                lo = hi * 1e-6;
        }
        if (!(hi > 0))
            return fail(QStringLiteral("no current other than 0 to show in decades"));
        const auto d = kurvex::decadeWindow(lo, hi);
        f.view.y1 = d.first;
        f.view.y2 = d.second;
    }
    const int mode = store[request.tracks.front()].Mode;
    f.scene.setAxes(
        {0, 0, 0, trackXTitle(mode), kCurrentTitle, mode == ModeRPMvsJ ? "0" : "0.0", "0.0e+0"});
    return f;
}

} // namespace tervo
