#include "O2Reduction.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "plot/PlotRanges.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervo {

O2ReductionAnalysis::O2ReductionAnalysis(TrackStore &store, Settings &settings, Prompts &prompts)
    : m_store(store), m_settings(settings), m_prompts(prompts)
{
}

double minimumVoltStep(const TrackHeader &h)
{
    const double span = std::abs(h.V2nd - h.V1st) + std::abs(h.V3rd - h.V2nd);
    const double raw = span / (kMaxPoints - 2);
    if (!(raw > 0) || !std::isfinite(raw))
        return 0;
    // Rounded up to two digits, so that the step the message names is one the analysis takes.
    const double unit = std::pow(10.0, std::floor(std::log10(raw)) - 1);
    return std::ceil(raw / unit) * unit;
}

void O2ReductionAnalysis::scanSegment(double start, double end, int &scanStart, int limit)
{
    const double step = std::abs(m_settings.O2VStep), range = m_settings.O2Vrange;
    const double n = m_store.CollectionEfficiency;
    const int s = end > start ? 1 : -1;
    const int count = std::min(limit, pointCount(m_store[m_track]));
    // E by index rather than by repeated addition, so that the last potential is not lost to
    // rounding.
    for (int j = 0;; ++j) {
        const double e = start + s * step * j;
        if (s * (e - end) > step * 1e-9)
            break;
        double sx = 0, sd = 0, sr = 0;
        int added = 0;
        int nextStart = -1;
        int p = scanStart;
        for (; p < count; ++p) {
            if (!isFinitePoint(m_store, m_track, p, 2))
                continue;
            const double x = m_store.data(0, m_track, p);
            if (s < 0) {
                if (x >= e + range)
                    continue;
                if (x < e - step + range && nextStart < 0)
                    nextStart = p;
                if (x <= e - range)
                    break;
            } else {
                if (x <= e - range)
                    continue;
                if (x > e + step - range && nextStart < 0)
                    nextStart = p;
                if (x >= e + range)
                    break;
            }
            sx += x;
            sd += m_store.data(1, m_track, p);
            sr += m_store.data(2, m_track, p);
            ++added;
        }
        scanStart = nextStart >= 0 ? nextStart : p;
        if (added == 0)
            continue;
        Row row;
        row.Edisk = sx / added;
        row.disk = std::abs(sd / added);
        row.ring = std::abs(sr / added);
        const double ringPart = n != 0 ? row.ring / n : std::numeric_limits<double>::quiet_NaN();
        const double sum = ringPart + row.disk;
        row.h2o = n != 0 && sum != 0 ? (row.disk - ringPart) / sum * 100
                                     : std::numeric_limits<double>::quiet_NaN();
        m_rows.push_back(row);
    }
}

bool O2ReductionAnalysis::Analyse()
{
    m_rows.clear();
    m_report.clear();
    const TrackHeader &h = m_store[m_track];
    if (!modeFacts(h.Mode).ringColumn)
        return false;
    if (m_settings.O2VStep == 0) {
        m_prompts.message(QString::fromLatin1(kZeroStepMessage));
        return false;
    }
    // One row per evaluated potential: no more of them than a track has points, so a tiny step
    // cannot run for minutes and fill the memory.
    // The step as the message writes it passes.
    if (!(std::abs(m_settings.O2VStep) >= minimumVoltStep(h) * (1 - 1e-9))) {
        m_prompts.message(QString::fromLatin1(kStepTooSmallMessage)
                              .arg(QString::number(minimumVoltStep(h), 'g', 2))
                              .arg(kMaxPoints));
        return false;
    }
    // The first segment's scan ends at its turning point: an evaluation potential at the turn
    // would otherwise scan through the return sweep and leave nothing for the second segment.
    int scanStart = 0;
    scanSegment(h.V1st, h.V2nd, scanStart, FindTurningPoint(m_store, m_track, 0, h.V2nd) + 1);
    scanSegment(h.V2nd, h.V3rd, scanStart, pointCount(h));
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Edisk/V\t%H2O") + crlf;
    for (const Row &r : m_rows)
        text += formatPattern(r.Edisk, "0.###") + QLatin1Char('\t') +
                (std::isnan(r.h2o) ? QStringLiteral("\u2014") : formatPattern(r.h2o, "##0.0")) +
                crlf;
    int skipped = 0;
    finitePoints(m_store, m_track, 0, pointCount(h) - 1, 2, &skipped);
    if (skipped > 0)
        text += skippedPointsText(skipped) + crlf;
    m_report = text;
    return true;
}

void O2ReductionAnalysis::draw(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    const TrackHeader &h = m_store[m_track];
    if (!modeFacts(h.Mode).ringColumn)
        return;
    // A margin round the potentials and 0..100 % keeps the potential axis with its labels and
    // the markers near 100 % inside the canvas.
    const PlotRange view = WidenRange(h.Vxmin, 0, h.Vxmax, 100, 10);
    if (!canvas.View(view.xmin, view.ymax, view.xmax, view.ymin))
        return;
    canvas.Axis(NiceStep(h.Vxmin, h.Vxmax), NiceStep(0, 100), QStringLiteral("Potential /V"),
                QStringLiteral("%H2O"));
    // The canvas draws circles in its foreground colour.
    canvas.SetForeColor(paletteColor(kLightBlue));
    for (const Row &r : m_rows)
        if (!std::isnan(r.h2o))
            canvas.VCircle(r.Edisk, r.h2o, 5, paletteColor(kLightBlue));
}

} // namespace tervo
