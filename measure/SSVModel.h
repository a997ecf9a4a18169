#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"
#include "measure/fit/SSVGaussNewtonLog.h"

#include <array>
#include <vector>

namespace tervo {

class Clipboard;

// The steady-state voltammetry window's logic: a potential staircase from the first to the
// second potential (and back, segment by segment), each step held until its current has settled.
// The steady current of a step is the asymptote of the log fit of its transient; in the
// accelerated mode a step ends as soon as successive fits agree, and in the skip mode a step
// whose current hardly moved takes the mean of its last tenth without a fit. One point per step
// (potential, steady disk current, steady ring current) goes into an SSV track; every sample
// (potential, disk current, time) can go into an SSVAll track in the track after it.
class SSVModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kMonitorLimit = 1000;
    // The longest MinTime mode: the whole step time.
    static constexpr int kMaxMinTime = 4;
    // Radius in pixels of a step's point on the live graphs.
    static constexpr double kMarkRadius = 2;

    SSVModel(MeasureContext &context, Clipboard &clipboard, QObject *parent = nullptr);

    struct Fields {
        double diskXScale = 1;
        double diskYScale = 1e-3;
        double ringXScale = 1;
        double ringYScale = 1e-5;
        double rpmScale = 1000;
        double v1 = 1;
        double v2 = -0.2;
        double voltStep = 0.005;
        double stepTime = 30;
        int accelerate = 1;
        double currentTolerance = 0.5; // %
        int skip = 1;
        double appliedCurrent = 5; // %
        int ref = 0;
        int segments = 2;
        int minTime = 1;
        int recordNextTrack = 1;
        int sendToClip = 0;
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept. The switches take 0 or 1 (MinTime 0..kMaxMinTime); anything else becomes the
    // highest.
    double setDiskXScale(double value) { return m_fields.diskXScale = value; }
    double setDiskYScale(double value) { return m_fields.diskYScale = keptScale(value); }
    double setRingXScale(double value) { return m_fields.ringXScale = value; }
    double setRingYScale(double value) { return m_fields.ringYScale = keptScale(value); }
    double setRpmScale(double value);
    double setPotential(int index, double value)
    {
        return (index == 0 ? m_fields.v1 : m_fields.v2) = value;
    }
    double setVoltStep(double value);
    double setStepTime(double value);
    int setAccelerate(double mode);
    double setCurrentTolerance(double value);
    int setSkip(double mode);
    double setAppliedCurrent(double value);
    int setReference(int index) { return m_fields.ref = index; }
    int setSegments(double value);
    int setMinTime(double value);
    int setRecordNextTrack(double mode);
    int setSendToClip(double mode);

    // Public operations of the window; the arguments are in/out and receive the value kept.
    using MeasurementModel::SelTrack;
    void SelTrack(double &track);
    void DiskScale(double &scale);
    void RingScale(double &scale);
    void SetVoltage(double v1, double v2);
    void SetAcceleratemode(double &mode);
    void CurrentTolerance(double &percent);
    void SetSkipMode(double &mode);
    void AppliedCurrent(double &percent);
    void VoltStep(double &volts);
    void StepTime(double &seconds);
    void Segment(double &count);
    void SamplingRate(double &rate);
    void Accumlation(double &count);
    void SetSendtoClip(double &mode);
    void MinTime(double &mode);
    void RecordNextTrack(double &mode);
    void StartMeasurement() { start(); }
    // Finishes a run in progress (storing what was measured) and asks the window to close.
    void QuitSSVMeasurement();

    // The staircase: V1, V1 +- step, ... to V2, then back, for the given number of segments;
    // a turning potential is measured once.
    static std::vector<double> staircase(double v1, double v2, double step, int segments);

    // During a run: steps done and planned, and how the finished steps were taken.
    int stepsDone() const { return m_step; }
    int stepsPlanned() const { return static_cast<int>(m_potentials.size()); }
    int fittedSteps() const { return m_fittedSteps; }
    int fitsRun() const { return m_fitsRun; }
    const PlotRange &ringRange() const { return livePlot(1).range(); }

    // Every sample goes to the track after the SSV track as well.
    int companionTrack() const override
    {
        return m_settings.SSVRecordNextTrack == 1 ? wrapTrack(targetTrack() + 1) : -1;
    }
    const std::vector<std::array<double, 3>> *companionPoints() const override { return &m_all; }

signals:
    void quitRequested();

protected:
    // The staircase runs from Start and ends after its last step; each step's point is drawn as
    // the step finishes.
    RunTraits traits() const override
    {
        return {.timesFromRecordingStart = false,
                .advancesEachTick = false,
                .endsByItself = true,
                .monitorsBothGraphs = true};
    }
    int modeCode() const override { return ModeSSV; }
    // With every sample kept, the track after the target receives them.
    RunTracks runTracks() const override
    {
        return {targetTrack(), m_fields.recordNextTrack == 1 ? 2 : 1, true};
    }
    QString startRefusal() const override;
    std::uint32_t beginRun() override;
    PlotRange initialRange() const override;
    void prepareResultGraph() override {}
    void prepareGraphs() override;
    void programGenerator() override;
    std::int32_t rotationRate() const override { return m_settings.SSVRPM; }
    double measureReference() override { return 0; }
    void takeSample(std::array<double, 3> &record) override;
    // The staircase runs from Start: every sample belongs to a step.
    bool recordingBegins(const std::array<double, 3> &) override { return true; }
    void onRecordingStarted() override;
    void updateLive(const std::array<double, 3> &) override {}
    void afterSample() override;
    void checkEnd(std::uint32_t elapsed) override;
    void storeFields(TrackHeader &h) override;
    void storeRun() override;
    void afterFinish() override;
    void monitorStep() override;
    void resetMonitor() override;

private:
    Fields m_fields;
    void programStep(double potential);
    bool stepEnds(double elapsedSeconds);
    void finishStep();
    double steadyOf(const std::vector<double> &y, bool fit);

    Clipboard &m_clipboard;
    SSVGaussNewtonLog m_fit;
    std::vector<double> m_potentials;
    int m_step = 0;
    std::uint32_t m_stepStart = 0;
    std::vector<double> m_t, m_e, m_disk, m_ring;
    bool m_haveEstimate = false;
    bool m_lastFitted = false;
    double m_lastEstimate = 0;
    double m_settled = 0;
    bool m_settledKnown = false;
    int m_fittedSteps = 0;
    int m_fitsRun = 0;
    // Every sample of the run: potential, disk current, seconds since Start.
    std::vector<std::array<double, 3>> m_all;
    bool m_storedAll = false;
    MonitorPlot m_diskMonitor{1, kMonitorLimit};
    MonitorPlot m_ringMonitor{1, kMonitorLimit};
};

} // namespace tervo
