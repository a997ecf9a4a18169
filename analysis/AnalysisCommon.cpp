#include "AnalysisCommon.h"

#include "plot/Palette.h"

#include <algorithm>
#include <cmath>

namespace tervo {

std::optional<LineFit> LeastSquaresLine(const std::vector<double> &x, const std::vector<double> &y,
                                        int k)
{
    if (k < 2)
        return std::nullopt;
    // Centred sums: the slope stays accurate when x is far from 0 (potentials, 1/sqrt(t)).
    double mx = 0, my = 0;
    for (int i = 0; i < k; ++i) {
        mx += x[std::size_t(i)];
        my += y[std::size_t(i)];
    }
    mx /= k;
    my /= k;
    double sxx = 0, sxy = 0;
    for (int i = 0; i < k; ++i) {
        const double dx = x[std::size_t(i)] - mx;
        sxx += dx * dx;
        sxy += dx * (y[std::size_t(i)] - my);
    }
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy))
        return std::nullopt;
    LineFit f;
    f.slope = sxy / sxx;
    f.intercept = my - f.slope * mx;
    return f;
}

std::optional<double> LeastSquaresSlopeThroughOrigin(const std::vector<double> &x,
                                                     const std::vector<double> &y, int k)
{
    double sxx = 0, sxy = 0;
    for (int i = 0; i < k; ++i) {
        sxx += x[std::size_t(i)] * x[std::size_t(i)];
        sxy += x[std::size_t(i)] * y[std::size_t(i)];
    }
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy))
        return std::nullopt;
    return sxy / sxx;
}

int clampFirstPoint(int p, int n)
{
    return std::max(0, std::min(p, n - 2));
}

int clampLastPoint(int p, int n)
{
    return std::max(1, std::min(p, n - 1));
}

bool drawRangePreview(kurvex::KurvexControl &canvas, const TrackStore &store, int track, int first,
                      int last)
{
    canvas.Cls();
    const TrackHeader &h = store[track];
    const PlotRange r = WidenRange(h.Vxmin, h.Vymin, h.Vxmax, h.Vymax, 10);
    if (!canvas.View(r.xmin, r.ymax, r.xmax, r.ymin))
        return false;
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    canvas.XAxisFormat(h.Mode == ModePS       ? QStringLiteral("###0.0")
                       : h.Mode == ModeRPMvsJ ? QStringLiteral("###0")
                                              : QStringLiteral("0.0"));
    canvas.Axis(NiceStep(r.xmin, r.xmax), NiceStep(r.ymin, r.ymax), QStringLiteral("Potential /V"),
                QStringLiteral("Current /A"));
    const int n = pointCount(h);
    // The canvas draws circles in its foreground colour.
    canvas.SetForeColor(paletteColor(kLightRed));
    for (int p = 0; p < n; ++p) {
        const double x = store.data(0, track, p), y = store.data(1, track, p);
        if (p < first || p > last)
            canvas.VPset(x, y, paletteColor(kLightBlue));
        else
            canvas.VCircle(x, y, 2, paletteColor(kLightRed));
    }
    return true;
}

} // namespace tervo
