#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"
#include "state/Settings.h"

#include <QString>
#include <vector>

namespace tervo {

// The %H2O evaluation of a ring-disk voltammogram of oxygen reduction: at evenly spaced disk
// potentials along both sweeps the disk and ring currents are averaged and the share reduced
// to water is 100 (ID - IR/N) / (IR/N + ID).
class O2ReductionAnalysis {
public:
    struct Row {
        double Edisk = 0;
        double disk = 0;
        double ring = 0;
        double h2o = 0; // NaN where the ratio is undefined (N = 0, cancelling currents)
    };

    O2ReductionAnalysis(TrackStore &store, Settings &settings, Prompts &prompts);

    TrackStore &store() { return m_store; }
    Settings &settings() { return m_settings; }
    int selectedTrack() const { return m_track; }
    void selectTrack(int track) { m_track = wrapTrack(track); }
    // The boxes: the step is kept as its absolute value.
    // One value for the whole program; written to the settings at close.
    void setCollectionEfficiency(double v) { m_store.CollectionEfficiency = v; }
    void setStep(double v) { m_settings.O2VStep = std::abs(v); }
    void setRange(double v) { m_settings.O2Vrange = v; }

    // Evaluates the selected track (RDE and SSV only). A zero step is refused with a message.
    // False when nothing was evaluated.
    bool Analyse();
    const std::vector<Row> &rows() const { return m_rows; }
    const QString &report() const { return m_report; }
    // Axes and one marker per defined row.
    void draw(kurvex::KurvexControl &canvas) const;

private:
    // Scans points from scanStart up to (not including) limit.
    void scanSegment(double start, double end, int &scanStart, int limit);

    TrackStore &m_store;
    Settings &m_settings;
    Prompts &m_prompts;
    int m_track = 0;
    std::vector<Row> m_rows;
    QString m_report;
};

inline constexpr char kZeroStepMessage[] = "The voltage step must not be 0.";
// Arguments: the smallest step for the track, the most potentials evaluated.
inline constexpr char kStepTooSmallMessage[] =
    "The voltage step must be at least %1 V for this track: at most %2 potentials are evaluated.";

// The smallest voltage step the analysis takes for a track with these potentials: one that
// evaluates at most kMaxPoints potentials, rounded up to two significant digits.
double minimumVoltStep(const TrackHeader &h);

} // namespace tervo
