#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"
#include "state/Settings.h"

#include <QString>

namespace tervo {

// The Tafel analysis: a range of a voltammogram marked on the preview, the redox potential and
// the electrode area. "Calculation" stores the area into the track and fits the potential
// against log10 of the current density over the range: the Tafel slope, alpha n and the
// exchange current density at the redox potential.
class TafelAnalysis {
public:
    TafelAnalysis(TrackStore &store, Settings &settings, Prompts &prompts);

    TrackStore &store() { return m_store; }
    Settings &settings() { return m_settings; }
    int selectedTrack() const { return m_track; }
    // Selects a track; one that is not vacant gets its whole range.
    void selectTrack(int track);
    int firstPoint() const { return m_first; }
    int lastPoint() const { return m_last; }
    void setFirst(int &p);
    void setLast(int &p);
    void setRedoxPotential(double v) { m_settings.TaEred = v; }
    // A value not above 0 becomes 1; the value kept is written back.
    void setArea(double &v);

    // Voltammetry tracks only (CV, RDE, SSV).
    bool previewable() const;
    void drawPreview(kurvex::KurvexControl &canvas) const;

    // Stores TaArea into the track's Area and writes the report; false with a message when the
    // range gives no line.
    bool Calculate();
    const QString &report() const { return m_report; }
    // Tafel slope in V per decade of the last calculation.
    double slope() const { return m_slope; }

private:
    TrackStore &m_store;
    Settings &m_settings;
    Prompts &m_prompts;
    int m_track = 0;
    int m_first = 0, m_last = 0;
    QString m_report;
    double m_slope = 0;
};

} // namespace tervo
