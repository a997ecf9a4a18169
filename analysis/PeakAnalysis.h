#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"

#include <QString>
#include <optional>
#include <vector>

namespace tervo {

// A stretch of a voltammogram over which the potential runs one way; first and last are point
// indices (the turning point belongs to both sweeps it joins).
struct Sweep {
    int first = 0, last = 0;
    int direction = 0; // +1 towards positive potentials, -1 towards negative ones
};

// The sweeps of a track's finite points. A turn counts once the potential has come back by 5 %
// of the track's span, so noise on the potential does not split a sweep.
std::vector<Sweep> voltammogramSweeps(const TrackStore &store, int track);

// One peak: its potential, its current above the base line (signed as stored), the stored
// current and the base line's current there, and the half-peak potential (NaN when the wave
// does not fall to half before the peak).
struct PeakReading {
    double potential = 0;
    double current = 0;
    double raw = 0;
    double base = 0;
    double halfPotential = 0;
};

// A sweep and the one that turns back from its end, with the peak of each. The forward peak is
// measured from a straight line fitted over the base window and extrapolated; the reverse one
// by Nicholson's procedure, from the forward current's decay extrapolated past the turn.
struct SweepPeaks {
    int number = 1; // counted from 1
    Sweep forward;
    std::optional<Sweep> reverse;
    double baseFrom = 0, baseTo = 0;
    LineFit base;
    std::optional<PeakReading> forwardPeak, reversePeak;
    // The reverse base line runs from the turn to the reverse peak.
    double turnPotential = 0, turnCurrent = 0;
    QString problem; // why a peak is missing; empty when both were found

    bool complete() const { return problem.isEmpty() && forwardPeak && reversePeak; }
    const PeakReading &cathodic() const
    {
        return forward.direction < 0 ? *forwardPeak : *reversePeak;
    }
    const PeakReading &anodic() const
    {
        return forward.direction > 0 ? *forwardPeak : *reversePeak;
    }
};

// The base window of a sweep when none is chosen: the first 10 % of its potential span.
struct BaseWindow {
    double from = 0, to = 0;
};

// Reads the peaks of one pair of sweeps; the reverse may be missing (the track ends).
SweepPeaks readSweepPeaks(const TrackStore &store, int track, const Sweep &forward,
                          const std::optional<Sweep> &reverse,
                          const std::optional<BaseWindow> &window, int number);

// The peak analysis of a CV or RDE track: anodic and cathodic peak potentials and currents,
// half-peak potentials, E1/2, the peak separation and ipa/ipc for every sweep there and back.
// The window and `tervo-tool analyse peaks` drive the same object.
class PeakAnalysis {
public:
    PeakAnalysis(TrackStore &store, Prompts &prompts);

    TrackStore &store() { return m_store; }
    int selectedTrack() const { return m_track; }
    void selectTrack(int track);
    // Pairs of sweeps of the selected track (a sweep there and back each).
    int sweepCount() const;
    // 0 for every sweep, else the one to analyse; the value kept is written back.
    int selectedSweep() const { return m_sweep; }
    void selectSweep(int &k);
    // The base window; nothing for the default of each sweep.
    std::optional<BaseWindow> baseWindow;

    // Voltammetry tracks with sweeps there and back (CV, RDE).
    bool analysable() const;

    // Reads the peaks and writes the report; false with a message when the track cannot be
    // analysed, the chosen sweep has no peak or its base window lies outside it, or no sweep
    // has both peaks.
    bool Calculate();
    const QString &report() const { return m_report; }
    const std::vector<SweepPeaks> &results() const { return m_results; }

    // The selected sweep (or the whole track) with the base lines and peaks of the last
    // calculation.
    void drawPlot(kurvex::KurvexControl &canvas) const;

private:
    TrackStore &m_store;
    Prompts &m_prompts;
    int m_track = 0;
    int m_sweep = 0;
    std::vector<SweepPeaks> m_results;
    int m_resultTrack = -1;
    QString m_report;
};

// The report of peak readings: lines ending CR LF, label TAB value.
QString peakReport(const TrackStore &store, int track, const std::vector<SweepPeaks> &peaks,
                   int skipped);

} // namespace tervo
