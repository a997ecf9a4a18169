#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"
#include "plot/Graph.h"
#include "state/Settings.h"

#include <QString>

namespace tervo {

// The Koutecky-Levich (or Levich) analysis: one point per used rotating-disk track read at one
// potential, or one point per recorded rate of a rotation-rate sweep track; a straight-line fit
// and the Levich equation solved for n, the viscosity, D or C. The window and `tervo-tool analyse`
// drive the same object.
class KouteckyLevichAnalysis {
public:
    enum Method { KouteckyLevich = 0, Levich = 1 };
    enum Variable { Electrons = 0, Viscosity = 1, Diffusion = 2, Concentration = 3 };
    enum BaseMode { NoBase = 0, SubtractValue = 1, BaseTrack = 2 };

    KouteckyLevichAnalysis(TrackStore &store, Settings &settings, AnalysisPoints &points,
                           Prompts &prompts);

    // Brings every track's point range within its points (vacant tracks: all zero).
    void InitializeParameters();
    // The averaging window from KLVuse and KLVrange.
    void computeWindow();
    Settings &settings() { return m_settings; }
    double lowerBound() const { return m_lower; }
    double upperBound() const { return m_upper; }

    TrackStore &store() { return m_store; }
    int selectedTrack() const { return m_track; }
    void selectTrack(int track) { m_track = wrapTrack(track); }

    // The input handlers: what the boxes store.
    void setUseVoltage(double v);
    void setRange(double v);
    void setArea(double v) { m_settings.KLElectrodeArea = std::abs(v); }
    void setNe(double v) { m_settings.KLne = v; }
    void setViscosity(double v) { m_settings.KLViscosity = v; }
    void setDiffusion(double v) { m_settings.KLDm = v; }
    void setConc(double v) { m_settings.KLConc = v; }
    void setMethod(int method) { m_settings.KLMethod = static_cast<std::int16_t>(method); }
    void setVariable(int variable) { m_settings.KLVariable = static_cast<std::int16_t>(variable); }
    void setUse(bool use);
    void setBaseMode(int mode);
    void setSubtractValue(double v);
    // Point choices of the selected track, brought within its points; the value kept is written
    // back. Ignored for a vacant or potential-step track.
    void setStart(int &p);
    void setEnd(int &p);
    void stepBaseTrack(int delta);
    int baseTrack() const;
    void setBaseEnd(int &p);
    // The selected track takes part in point choices (neither vacant nor potential step).
    bool selectedTrackUsable() const;

    // Builds the points, draws them and the fit on the graph (when one is given), solves for
    // the chosen quantity and writes the report. False when it stopped with a message; the
    // report then is unchanged.
    bool Calculate(Graph *graph);
    const QString &report() const { return m_report; }

    // The plot rectangle of the last analysis.
    const PlotRange &plotRange() const { return m_rect; }

    // The read-out of a point of a track ("E:0.1000V   I:1.0000e-6A").
    QString pointReadout(int track, int point) const;
    // The selected track with its range and averaging window marked.
    void drawPreview(kurvex::KurvexControl &canvas) const;

private:
    int buildPoints(bool &sweep, QString &problem);
    double baseValue(int t) const;
    void plot(Graph &graph, const LineFit &line) const;

    TrackStore &m_store;
    Settings &m_settings;
    AnalysisPoints &m_points;
    Prompts &m_prompts;
    int m_track = 0;
    double m_lower = 0, m_upper = 0;
    PlotRange m_rect;
    QString m_report;
    int m_skipped = 0; // points of the used ranges that are not finite
};

inline constexpr char kParametersNotProper[] = "Parameters are not proper!";
inline constexpr double kLevichConstant = 1.554;

} // namespace tervo
