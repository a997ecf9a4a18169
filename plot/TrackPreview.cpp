#include "TrackPreview.h"

#include "Palette.h"
#include "PlotRanges.h"
#include "TrackFigure.h"
#include "core/Colors.h"
#include "core/NumberParse.h"
#include "tracks/Tables.h"

namespace tervo {

namespace {

// Draws y against x for points 0..n-1 as joined lines or as pixels.
void drawSeries(kurvex::KurvexControl &canvas, const double *x, const double *y, int n, QRgb color,
                int drawSetting)
{
    if (drawSetting == PreviewLines) {
        for (int i = 0; i + 1 < n; ++i)
            canvas.VLine(x[i], y[i], x[i + 1], y[i + 1], color);
    } else if (drawSetting == PreviewDots) {
        for (int i = 0; i < n; ++i)
            canvas.VPset(x[i], y[i], color);
    }
}

void drawCycles(kurvex::KurvexControl &canvas, const TrackStore &store, int track, int n,
                int drawSetting)
{
    const std::vector<int> bounds = CycleBoundaries(store, track);
    const int m = static_cast<int>(bounds.size());
    const double *x = store.data.column(0, track);
    const double *y = store.data.column(1, track);
    int k = 1;
    QRgb color = cycleColor(k, m, kLineHueSpread);
    if (drawSetting == PreviewLines) {
        for (int i = 0; i + 1 < n; ++i) {
            if (k < m && bounds[static_cast<std::size_t>(k)] < i)
                color = cycleColor(++k, m, kLineHueSpread);
            canvas.VLine(x[i], y[i], x[i + 1], y[i + 1], color);
        }
    } else if (drawSetting == PreviewDots) {
        for (int i = 0; i < n; ++i) {
            if (k < m && bounds[static_cast<std::size_t>(k)] < i)
                color = cycleColor(++k, m, kDotHueSpread);
            canvas.VPset(x[i], y[i], color);
        }
    }
}

} // namespace

QRgb cycleColor(int k, int m, double spread)
{
    const double hue = 64.0 + spread * k / (m > 0 ? m : 1);
    return hlsToRgb(roundHalfEven(hue), 16, 16);
}

void DrawTrackPreview(kurvex::KurvexControl &canvas, const TrackStore &store, int track,
                      int drawSetting)
{
    if (track < 0 || track >= kTrackSlots || store[track].Mode == ModeNone) {
        canvas.Cls();
        return;
    }
    const TrackHeader &h = store[track];
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    switch (h.Mode) {
    case ModeCV:
    case ModeRDE:
        canvas.XAxisFormat(QStringLiteral("0.0"));
        break;
    case ModePS:
        canvas.XAxisFormat(QStringLiteral("###0.0"));
        break;
    case ModeRPMvsJ:
        canvas.XAxisFormat(QStringLiteral("###0"));
        break;
    default:
        break;
    }
    const PlotRange r = WidenRange(h.Vxmin, h.Vymin, h.Vxmax, h.Vymax, 10);
    if (!canvas.View(r.xmin, r.ymax, r.xmax, r.ymin)) {
        canvas.Cls();
        return;
    }
    canvas.Axis(NiceStep(r.xmin, r.xmax), NiceStep(r.ymin, r.ymax), trackXTitle(h.Mode),
                kCurrentTitle);

    const int n = pointCount(h);
    const double *x = store.data.column(0, track);
    const double *y = store.data.column(1, track);
    const double *ring = store.data.column(2, track);
    const QRgb blue = paletteColor(kLightBlue);
    const QRgb red = paletteColor(kLightRed);
    const QString title = h.Title.isEmpty() ? QStringLiteral("Track %1").arg(track) : h.Title;
    switch (h.Mode) {
    case ModeCV:
        canvas.AddLegend(
            title,
            cycleColor(1, static_cast<int>(CycleBoundaries(store, track).size()), kLineHueSpread));
        drawCycles(canvas, store, track, n, drawSetting);
        break;
    case ModeRDE:
        canvas.AddLegend(title, blue);
        canvas.AddLegend(title + QStringLiteral(" (ring)"), red);
        drawSeries(canvas, x, y, n, blue, drawSetting);
        drawSeries(canvas, x, ring, n, red, drawSetting);
        break;
    case ModePS:
    case ModeRPMvsJ:
    case ModeSSVAll:
        canvas.AddLegend(title, blue);
        drawSeries(canvas, x, y, n, blue, drawSetting);
        break;
    case ModeSSV:
        canvas.AddLegend(title, blue);
        canvas.AddLegend(title + QStringLiteral(" (ring)"), red);
        // Disk and ring point by point, so neither curve hides the other as a whole.
        if (drawSetting == PreviewLines) {
            for (int i = 0; i + 1 < n; ++i) {
                canvas.VLine(x[i], y[i], x[i + 1], y[i + 1], blue);
                canvas.VLine(x[i], ring[i], x[i + 1], ring[i + 1], red);
            }
        } else if (drawSetting == PreviewDots) {
            for (int i = 0; i < n; ++i) {
                canvas.VPset(x[i], y[i], blue);
                canvas.VPset(x[i], ring[i], red);
            }
        }
        break;
    case ModeMulti: {
        // Every channel against the time column of track 0; the track colour tables have ten
        // entries, so track numbers count modulo 10.
        const double *time = store.data.column(2, 0);
        for (int c = 0; c < 10; ++c)
            drawSeries(canvas, time, store.data.column(1, c), n,
                       TrackLightColors()[static_cast<std::size_t>(c)], drawSetting);
        drawSeries(canvas, time, y, n, TrackColors()[static_cast<std::size_t>(track % 10)],
                   drawSetting);
        break;
    }
    default:
        break;
    }
}

} // namespace tervo
