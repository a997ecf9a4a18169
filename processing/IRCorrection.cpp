#include "IRCorrection.h"

#include "TrackProcessing.h"
#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/Tables.h"

#include <algorithm>
#include <cmath>

namespace tervo {

bool correctOhmicDrop(TrackStore &store, int source, int destination, double ru, QString *problem,
                      int *skipped)
{
    const int mode = store[source].Mode;
    if (!modeFacts(mode).sweep) {
        if (problem)
            *problem = QStringLiteral("Track %1 (%2) is not a voltammogram; only CV, RDE and SSV "
                                      "tracks take an iR correction.")
                           .arg(source)
                           .arg(modeName(mode));
        return false;
    }
    if (source != destination) {
        store.CopyTrackHeader(source, destination);
        CopyTrackPoints(store, source, destination);
    }
    TrackHeader &h = store[destination];
    const int n = pointCount(h);
    const std::vector<int> kept = finitePoints(store, destination, 0, n - 1, 1, skipped);
    for (const int p : kept) {
        double &e = store.data(0, destination, p);
        e -= store.data(1, destination, p) * ru;
        h.Vxmin = std::min(h.Vxmin, e);
        h.Vxmax = std::max(h.Vxmax, e);
    }
    h.Title += QStringLiteral(" (E - i*%1 ohm)").arg(formatGeneral(ru));
    store.markChanged();
    return true;
}

IRCorrectionController::IRCorrectionController(TrackStore &store, Prompts &prompts)
    : m_store(store), m_prompts(prompts)
{
}

void IRCorrectionController::setResistance(double &ru)
{
    if (!(ru >= 0) || !std::isfinite(ru))
        ru = 0;
    m_ru = ru;
}

bool IRCorrectionController::correct()
{
    if (!modeFacts(m_store[m_track].Mode).sweep) {
        QString problem;
        correctOhmicDrop(m_store, m_track, m_track, m_ru, &problem);
        m_prompts.message(problem);
        return false;
    }
    // Correcting the source in place replaces its measured potentials, so it is asked like any
    // other occupied track.
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    correctOhmicDrop(m_store, m_track, m_destination, m_ru);
    if (trackChanged)
        trackChanged(m_destination);
    return true;
}

void IRCorrectionController::drawPreview(kurvex::KurvexControl &canvas) const
{
    const TrackHeader &h = m_store[m_track];
    const int n = pointCount(h);
    const std::vector<int> kept = finitePoints(m_store, m_track, 0, n - 1, 1);
    if (kept.empty() || !modeFacts(h.Mode).sweep) {
        canvas.Cls();
        return;
    }
    std::vector<double> e, corrected, i;
    PlotRange r = storedRange(h);
    for (const int p : kept) {
        e.push_back(m_store.data(0, m_track, p));
        i.push_back(m_store.data(1, m_track, p));
        corrected.push_back(e.back() - i.back() * m_ru);
        r.xmin = std::min(r.xmin, corrected.back());
        r.xmax = std::max(r.xmax, corrected.back());
    }
    canvas.Cls();
    if (!drawProcessingAxes(canvas, r, h.Mode))
        return;
    const int last = static_cast<int>(kept.size()) - 1;
    drawCurve(canvas, e.data(), i.data(), 0, last, paletteColor(kLightBlue), 0);
    drawCurve(canvas, corrected.data(), i.data(), 0, last, paletteColor(kLightRed), 0);
}

} // namespace tervo
