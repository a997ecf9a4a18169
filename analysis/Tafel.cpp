#include "Tafel.h"

#include "core/NumberFormat.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {
// 2.303 RT / F at 25 degrees C, V.
constexpr double kNernstSlope = 2.302585093 * 8.314462618 * 298.15 / 96485.33212;
} // namespace

TafelAnalysis::TafelAnalysis(TrackStore &store, Settings &settings, Prompts &prompts)
    : m_store(store), m_settings(settings), m_prompts(prompts)
{
}

void TafelAnalysis::selectTrack(int track)
{
    m_track = wrapTrack(track);
    const TrackHeader &h = m_store[m_track];
    if (h.Mode != ModeNone) {
        m_first = 0;
        m_last = std::max(0, pointCount(h) - 1);
    }
}

void TafelAnalysis::setFirst(int &p)
{
    p = clampFirstPoint(p, m_store[m_track].pnum);
    m_first = p;
}

void TafelAnalysis::setLast(int &p)
{
    p = clampLastPoint(p, m_store[m_track].pnum);
    m_last = p;
}

void TafelAnalysis::setArea(double &v)
{
    if (!(v > 0))
        v = 1;
    m_settings.TaArea = v;
}

bool TafelAnalysis::previewable() const
{
    return modeFacts(m_store[m_track].Mode).sweep;
}

void TafelAnalysis::drawPreview(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    if (previewable())
        drawRangePreview(canvas, m_store, m_track, m_first, m_last);
}

bool TafelAnalysis::Calculate()
{
    m_report.clear();
    TrackHeader &h = m_store[m_track];
    const double area = m_settings.TaArea > 0 ? m_settings.TaArea : 1;
    h.Area = area;
    m_store.markChanged();
    if (!previewable())
        return false;
    AnalysisPoints pts;
    const int last = std::min(m_last, pointCount(h) - 1);
    int skipped = 0;
    for (const int p : finitePoints(m_store, m_track, m_first, last, 1, &skipped)) {
        const double i = m_store.data(1, m_track, p);
        if (i != 0)
            pts.append(std::log10(std::abs(i) / area), m_store.data(0, m_track, p));
    }
    const std::optional<LineFit> f = LeastSquaresLine(pts.X, pts.Y, pts.k);
    if (!f || f->slope == 0) {
        m_prompts.message(QString::fromLatin1(kNoLineMessage));
        return false;
    }
    m_slope = f->slope;
    const double alphaN = kNernstSlope / std::abs(m_slope);
    const double logJ0 = (m_settings.TaEred - f->intercept) / m_slope;

    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Title:\t") + h.Title + crlf;
    text += QStringLiteral("Nstart:\t") + QString::number(m_first) + crlf;
    text += QStringLiteral("Nend:\t") + QString::number(last) + crlf;
    if (skipped > 0)
        text += skippedPointsText(skipped) + crlf;
    text += QStringLiteral("Area /cm2\t") + formatPattern(area, "#0.0####") + crlf;
    text += QStringLiteral("Ered /V\t") + formatPattern(m_settings.TaEred, "0.000") + crlf;
    text += QStringLiteral("Tafel slope /mVdec-1\t") + formatPattern(m_slope * 1000, "0.0") + crlf;
    text += QStringLiteral("alpha n\t") + formatPattern(alphaN, "0.000") + crlf;
    text +=
        QStringLiteral("j0 /Acm-2\t") + formatPattern(std::pow(10.0, logJ0), "0.000e+00") + crlf;
    m_report = text;
    return true;
}

} // namespace tervo
