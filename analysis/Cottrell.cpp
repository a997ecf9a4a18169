#include "Cottrell.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {
constexpr double kPi = 3.1415926535898;
}

CottrellAnalysis::CottrellAnalysis(TrackStore &store, AnalysisPoints &points, Prompts &prompts)
    : m_store(store), m_points(points), m_prompts(prompts)
{
}

void CottrellAnalysis::selectTrack(int track)
{
    m_track = wrapTrack(track);
    const TrackHeader &h = m_store[m_track];
    if (h.Mode != ModeNone) {
        m_first = 0;
        m_last = std::max(0, pointCount(h) - 1);
    }
}

void CottrellAnalysis::setFirst(int &p)
{
    p = clampFirstPoint(p, m_store[m_track].pnum);
    m_first = p;
}

void CottrellAnalysis::setLast(int &p)
{
    p = clampLastPoint(p, m_store[m_track].pnum);
    m_last = p;
}

bool CottrellAnalysis::buildPoints()
{
    const TrackHeader &h = m_store[m_track];
    if (h.Mode != ModePS)
        return false;
    m_points.clear();
    PlotRange r{-0.2, -1e-6, 0.5, 1e-6};
    const int last = std::min(m_last, pointCount(h) - 1);
    for (const int p : finitePoints(m_store, m_track, m_first, last, 1, &m_skipped)) {
        const double t = m_store.data(0, m_track, p), i = m_store.data(1, m_track, p);
        if (t == 0 || i == 0 || !(t > 0))
            continue;
        const double x = 1 / std::sqrt(t);
        m_points.append(x, i);
        r.xmin = std::min(r.xmin, x);
        r.xmax = std::max(r.xmax, x);
        r.ymin = std::min(r.ymin, i);
        r.ymax = std::max(r.ymax, i);
    }
    m_rect = WidenRange(r, 10);
    return true;
}

void CottrellAnalysis::drawPlot(kurvex::KurvexControl &canvas)
{
    canvas.Cls();
    if (!buildPoints() || !canvas.View(m_rect.xmin, m_rect.ymax, m_rect.xmax, m_rect.ymin))
        return;
    canvas.Axis(NiceStep(m_rect.xmin, m_rect.xmax), NiceStep(m_rect.ymin, m_rect.ymax),
                QStringLiteral("1/\u221At (s^-1/2)"), QStringLiteral("Current /A"));
    // The canvas draws circles in its foreground colour.
    canvas.SetForeColor(paletteColor(kLightRed));
    for (int i = 0; i < m_points.k; ++i)
        canvas.VCircle(m_points.X[std::size_t(i)], m_points.Y[std::size_t(i)], 2,
                       paletteColor(kLightRed));
    if (m_fitted == current()) {
        const LineFit &line = m_fitted.line;
        canvas.VLine(0, line.intercept, m_rect.xmax, line.slope * m_rect.xmax + line.intercept,
                     paletteColor(kLightBlue));
    }
}

bool CottrellAnalysis::Calculate(kurvex::KurvexControl *canvas)
{
    const TrackHeader &h = m_store[m_track];
    if (h.Mode != ModePS)
        return false;
    const double n = h.ne, c = h.Conc, a = h.Area;
    if (!(n > 0) || !(c > 0) || !(a > 0)) {
        m_prompts.message(QString::fromLatin1(kCottrellParameters));
        return false;
    }
    m_fitted.track = -1;
    buildPoints();
    LineFit line;
    if (fitMode == WithIntercept) {
        const std::optional<LineFit> f = LeastSquaresLine(m_points.X, m_points.Y, m_points.k);
        if (!f) {
            m_prompts.message(QString::fromLatin1(kNoLineMessage));
            return false;
        }
        line = *f;
    } else {
        const std::optional<double> s =
            LeastSquaresSlopeThroughOrigin(m_points.X, m_points.Y, m_points.k);
        if (!s) {
            m_prompts.message(QString::fromLatin1(kNoLineMessage));
            return false;
        }
        line.slope = *s;
    }
    m_fitted = {m_track, m_first, m_last, fitMode, line};
    if (canvas)
        drawPlot(*canvas);
    const double root = std::sqrt(kPi) * line.slope / (n * kFaradayConstant * a * c);
    m_dapp = root * root;

    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("title:\t") + h.Title + crlf;
    text += QStringLiteral("time:\t") + h.MeasTime + crlf;
    if (m_skipped > 0)
        text += skippedPointsText(m_skipped) + crlf;
    text += QStringLiteral("ne \t") + formatGeneral(n) + crlf;
    text += QStringLiteral("Area /cm2\t") + formatPattern(a, "#0.0####") + crlf;
    text += QStringLiteral("C /molcm-3\t") + formatPattern(c, "0.0##e+0#") + crlf;
    text += QStringLiteral("Dapp /cm2s-1\t") + formatPattern(m_dapp, "0.0##e+0#") + crlf;
    text += QStringLiteral("1/sqrt(t)\ti/A") + crlf;
    for (int i = 0; i < m_points.k; ++i)
        text += formatPattern(m_points.X[std::size_t(i)], "0.0000") + QLatin1Char('\t') +
                formatPattern(m_points.Y[std::size_t(i)], "0.000e+0") + crlf;
    m_report = text;
    return true;
}

QString CottrellAnalysis::setTitle(const QString &title)
{
    m_store.markChanged();
    return m_store[m_track].Title = title;
}

double CottrellAnalysis::setNe(double ne)
{
    m_store.markChanged();
    return m_store[m_track].ne = ne;
}

double CottrellAnalysis::setConc(double conc)
{
    m_store.markChanged();
    return m_store[m_track].Conc = conc;
}

double CottrellAnalysis::setArea(double area)
{
    m_store.markChanged();
    return m_store[m_track].Area = area;
}

} // namespace tervo
