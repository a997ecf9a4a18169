#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"

#include <array>

namespace tervo {

// The rotation-rate sweep window's logic: the disk current at a fixed potential against the
// rotation rate, recorded while the operator turns the rotator (ending at a rate limit or with
// the button) or while the program ramps it from a start to an end rate.
class RPMvsjModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kMonitorLimit = 4000;
    // Commanded rates above this are not sent; the rotator gets 0 instead.
    static constexpr double kMaxCommandedRpm = 5000;
    static constexpr double kLiveDrawingRate = 20;
    // The grid of the rotation rate that starts a recording by hand (rpm).
    static constexpr double kRateGrid = 5;

    enum Method { ByLimit = 0, ByButton = 1, ProgrammedRamp = 2 };

    explicit RPMvsjModel(MeasureContext &context, QObject *parent = nullptr);

    struct Fields {
        double xScale = 1;
        double yScale = 1e-3;
        double rpmScale = 1000;
        double rpmLimit = 1500;
        double startRpm = 200;
        double endRpm = 1200;
        double speed = 10;
        double v = -0.1;
        int method = ByLimit;
        bool recordTime = false;
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept.
    double setXScale(double value) { return m_fields.xScale = value; }
    double setYScale(double value) { return m_fields.yScale = keptScale(value); }
    double setRpmScale(double value) { return m_fields.rpmScale = value; }
    double setRpmLimit(double value) { return m_fields.rpmLimit = value; }
    double setStartRpm(double value) { return m_fields.startRpm = value < 0 ? 0 : value; }
    double setEndRpm(double value) { return m_fields.endRpm = value < 0 ? 0 : value; }
    // A speed of exactly 0 becomes the one that takes 100 s from the start to the end rate.
    double setSpeed(double value);
    double setPotential(double value) { return m_fields.v = value; }
    // Clamped to the three methods.
    int setMethod(int method);
    bool setRecordTime(bool on) { return m_fields.recordTime = on; }

    // Public operations of the window.
    void DiskScale(double scale);
    void StartMeasurement() { start(); }
    void Potential(double volts);
    void AppliedMeasuremode(std::int32_t mode);

    QString endsOnlyByHand() const override;
    void SetRPMParameters(double startRpm, double endRpm, double speed);

    // The rate sent to the rotator t seconds into a ramp (before rounding down).
    static double commandedRate(double speed, double startRpm, double seconds);
    // Ramp duration in ms: (end - start) / speed, rounded; 0 for a ramp that never gets there.
    static std::uint32_t rampDurationMs(double startRpm, double endRpm, double speed);

    double referenceRate() const { return referencePotential(); }
    double lastCommandedRate() const { return m_commanded; }
    double diskPotential() const { return m_diskPotential; }
    const MonitorPlot &monitor() const { return m_monitor; }

protected:
    // The target track stays where it is after a run.
    RunTraits traits() const override
    {
        return {.drawsLive = m_settings.RPjSamplingRate < kLiveDrawingRate,
                .advancesTargetTrack = false,
                .capsSamplingRate = true,
                .sweepsRotationRate = true};
    }
    int modeCode() const override { return ModeRPMvsJ; }
    QString adBoardMessage() const override;
    std::uint32_t beginRun() override;
    PlotRange initialRange() const override;
    void prepareResultGraph() override;
    void programGenerator() override;
    std::int32_t rotationRate() const override;
    double measureReference() override;
    void takeSample(std::array<double, 3> &record) override;
    bool recordingBegins(const std::array<double, 3> &record) override;
    void onRecordingStarted() override;
    void afterSample() override;
    void checkEnd(std::uint32_t elapsed) override;
    void beforeStore() override { redrawLive(); }
    void storeFields(TrackHeader &h) override;
    void storePoints(TrackStore &store, int track) override;
    void monitorStep() override;
    void resetMonitor() override;
    // This window's own stop sequence: the rotator to 0 rpm, no generator stop.
    void stopInstruments() override;
    void beforeOpen() override { m_fields.method = ByLimit; }

private:
    Fields m_fields;
    static double quantise(double rpm) { return std::floor(rpm / kRateGrid) * kRateGrid; }

    bool m_recordTime = false;
    double m_diskPotential = 0;
    double m_referenceRaw = 0; // the rate at Start before rounding down
    double m_averageTick = 0;  // averaged tick of the present sample, ms after Start
    std::uint32_t m_runStart = 0;
    double m_rate = 0;
    double m_commanded = 0;
    MonitorPlot m_monitor{1, kMonitorLimit};
};

} // namespace tervo
