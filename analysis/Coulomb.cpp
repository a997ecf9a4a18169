#include "Coulomb.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>

namespace tervo {

std::vector<double> runningIntegral(const std::vector<double> &f, const std::vector<double> &dt,
                                    int method)
{
    const std::size_t n = f.size();
    std::vector<double> q(n, 0.0);
    for (std::size_t p = 1; p < n; ++p) {
        const double trapezoid = q[p - 1] + (f[p - 1] + f[p]) * dt[p] / 2;
        // Simpson closes a pair of intervals at every even offset from the first point; the odd
        // points in between carry the trapezoid of their own interval.
        if (method != CoulombAnalysis::Simpson || p % 2 == 1) {
            q[p] = trapezoid;
            continue;
        }
        const double h1 = dt[p - 1], h2 = dt[p];
        if (!(h1 > 0) || !(h2 > 0)) {
            q[p] = trapezoid;
            continue;
        }
        const double h = h1 + h2;
        q[p] = q[p - 2] +
               h / 6 *
                   ((2 - h2 / h1) * f[p - 2] + h * h / (h1 * h2) * f[p - 1] + (2 - h1 / h2) * f[p]);
    }
    return q;
}

CoulombAnalysis::CoulombAnalysis(TrackStore &store, AnalysisPoints &points, Prompts &prompts)
    : m_store(store), m_points(points), m_prompts(prompts), m_loadCount(store.FileLoadCount)
{
}

void CoulombAnalysis::selectTrack(int track)
{
    m_track = wrapTrack(track);
    const TrackHeader &h = m_store[m_track];
    if (h.Mode != ModeNone) {
        m_first = 0;
        m_last = std::max(0, pointCount(h) - 1);
    }
}

void CoulombAnalysis::setFirst(int &p)
{
    p = clampFirstPoint(p, m_store[m_track].pnum);
    m_first = p;
}

void CoulombAnalysis::setLast(int &p)
{
    p = clampLastPoint(p, m_store[m_track].pnum);
    m_last = p;
}

bool CoulombAnalysis::fileLoadSeen()
{
    if (m_loadCount == m_store.FileLoadCount)
        return false;
    m_loadCount = m_store.FileLoadCount;
    return true;
}

void CoulombAnalysis::drawPreview(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    if (m_store[m_track].Mode == ModeNone ||
        !drawRangePreview(canvas, m_store, m_track, m_first, m_last))
        return;
    if (m_drawn.sameChoices(choices()))
        canvas.VLine(m_drawn.x0, m_drawn.y0, m_drawn.x1, m_drawn.y1, paletteColor(kLightGreen));
}

bool CoulombAnalysis::Calculate(kurvex::KurvexControl *canvas)
{
    const TrackHeader &h = m_store[m_track];
    m_drawn.track = -1;
    m_report.clear();
    if (h.Mode == ModeNone)
        return false;
    const bool step = h.Mode == ModePS;
    const bool sweep = modeFacts(h.Mode).sweep;
    if (!step && !sweep) {
        m_prompts.message(QString::fromLatin1(kNothingToIntegrate));
        return false;
    }
    if (sweep && !(h.Scanrate > 0)) {
        m_prompts.message(QString::fromLatin1(kNoScanRate));
        return false;
    }
    const int first = std::max(0, m_first);
    const int last = std::min(m_last, pointCount(h) - 1);
    if (last < first)
        return false;
    const int t = m_track;
    int skipped = 0;
    const std::vector<int> kept = finitePoints(m_store, t, first, last, 1, &skipped);
    if (kept.empty()) {
        m_prompts.message(skippedPointsText(skipped));
        return false;
    }
    const std::size_t n = kept.size();
    std::vector<double> x(n), i(n), dt(n, 0.0);
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = m_store.data(0, t, kept[k]);
        i[k] = m_store.data(1, t, kept[k]);
        if (k > 0)
            dt[k] =
                step ? std::abs(x[k] - x[k - 1]) : std::abs(x[k] - x[k - 1]) * 1000 / h.Scanrate;
    }
    std::vector<double> q = runningIntegral(i, dt, method);
    std::vector<double> b(n, 0.0);
    if (sweep && baseLine == Linear && x[n - 1] != x[0]) {
        std::vector<double> line(n);
        const double slope = (i[n - 1] - i[0]) / (x[n - 1] - x[0]);
        for (std::size_t k = 0; k < n; ++k)
            line[k] = i[0] + slope * (x[k] - x[0]);
        b = runningIntegral(line, dt, method);
        m_drawn = choices();
        m_drawn.x0 = x[0], m_drawn.y0 = i[0], m_drawn.x1 = x[n - 1], m_drawn.y1 = i[n - 1];
    } else if (sweep && baseLine == Value) {
        for (std::size_t k = 1; k < n; ++k)
            b[k] = b[k - 1] + dt[k] * baseValue;
        m_drawn = choices();
        m_drawn.x0 = x[0], m_drawn.y0 = baseValue, m_drawn.x1 = x[n - 1], m_drawn.y1 = baseValue;
    }
    m_points.clear();
    for (std::size_t k = 0; k < n; ++k) {
        q[k] -= b[k];
        m_points.append(q[k], b[k]);
    }
    m_charge = q[n - 1];

    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("FileName:\t") + m_store.CurrentFileTitle + crlf;
    text += QStringLiteral("Track:\t") + QString::number(t) + crlf;
    text += QStringLiteral("Title:\t") + h.Title + crlf;
    text += QStringLiteral("Nstart:\t") + QString::number(first) + crlf;
    text += QStringLiteral("Nend:\t") + QString::number(last) + crlf;
    if (skipped > 0)
        text += skippedPointsText(skipped) + crlf;
    if (baseLine == Value)
        text += crlf + QStringLiteral("BaseValue\t") + formatGeneral(baseValue) + crlf;
    text += QStringLiteral("Coulomb:\t") + formatPattern(m_charge, "0.000e+0") + crlf;
    text += (step ? QStringLiteral("t /s") : QStringLiteral("E /V")) +
            QStringLiteral("\ti /A\tCoulomb") + crlf;
    for (std::size_t k = 0; k < n; ++k)
        text += formatPattern(x[k], "0.0000") + QLatin1Char('\t') +
                formatPattern(i[k], "0.000e+0") + QLatin1Char('\t') +
                formatPattern(q[k], "0.000e+0") + crlf;
    m_report = text;
    if (canvas)
        drawPreview(*canvas);
    return true;
}

} // namespace tervo
