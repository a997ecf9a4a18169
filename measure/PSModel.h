#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"

#include <QCoreApplication>
#include <array>

namespace tervo {

// The potential-step window's logic: current transients after a step from a first to a second
// potential, recorded from the step itself, with a sampling rate that may slow down at every
// recorded tick, the charge integrated on the fly and three ways to end (time, button, charge).
// Column 0 of the buffer is the time since the step in ms; the stored track has it in seconds.
class PSModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kMonitorLimit = 4000;
    // The second hold of the generator's programme when the run does not end by time (s).
    static constexpr std::int32_t kOpenEndedHold = 30000;
    // Live drawing below this rate (Hz).
    static constexpr double kLiveDrawingRate = 50;

    explicit PSModel(MeasureContext &context, QObject *parent = nullptr);

    enum Method { ByTime = 0, ByButton = 1, ByCharge = 2 };

    struct Fields {
        double xScale = 1;
        double yScale = 1e-3;
        double rpmScale = 1000;
        double v0 = 0.8;
        double v1 = 0.1;
        double maxTime = 100;
        double coulomb = 0.1;
        double division = 1.2;
        bool graphOn = true;
        int samplingMode = 0; // 0 "Constant", 1 "Variable"
        int method = ByTime;
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept.
    double setXScale(double value) { return m_fields.xScale = value; }
    double setYScale(double value) { return m_fields.yScale = keptScale(value); }
    double setRpmScale(double value) { return m_fields.rpmScale = value; }
    double setPotential(int index, double value)
    {
        return (index == 0 ? m_fields.v0 : m_fields.v1) = value;
    }
    double setMaxTime(double seconds) { return m_fields.maxTime = seconds < 0 ? 0 : seconds; }
    double setCoulomb(double coulombs) { return m_fields.coulomb = coulombs < 0 ? 0 : coulombs; }
    double setDivision(double value) { return m_fields.division = value; }
    bool setGraphOn(bool on);
    int setSamplingMode(int mode) { return m_fields.samplingMode = mode; }
    // Clamped to the three methods.
    int setMethod(int method);

    // Public operations of the window.
    void DiskScale(double &scale);
    void SetVoltage(double v1, double v2);
    void MeasMode(std::int16_t &mode);
    void CoulombNumber(double &coulombs);
    void MeasureTime(std::int32_t &seconds);
    // The sampling rate field holds the rate a run starts at.
    void InitSamplingRate(double rate) { SamplingRate(rate); }
    void StartMeasurement() { start(); }

    // The charge of the run so far (C), and the present sampling rate (Hz).
    double charge() const { return m_charge; }
    QString endsOnlyByHand() const override;
    double presentRate() const { return runSamplingRate(); }
    // Status label: charge and time while drawing live.
    QString statusText() const { return remainingText(); }
    // The trapezoid between two points (ms, A) in coulombs.
    static double trapezoidCharge(double t0, double i0, double t1, double i1);
    const MonitorPlot &monitor() const { return m_monitor; }

protected:
    // The run's rate starts at the field's and may slow down at every recorded tick.
    RunTraits traits() const override
    {
        return {.drawsLive = drawsLive(),
                .endsByItself = m_fields.method == ByTime,
                .storesWithoutRecording = true,
                .holdsRateDuringRun = true};
    }
    // Leaving the rotation-rate field writes it into the target track's header.
    void rpmEdited(double value) override;
    int modeCode() const override { return ModePS; }
    QString adBoardMessage() const override;
    QString gpibMessage() const override
    {
        return QCoreApplication::translate("Measurement", "GPIB不良");
    }
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
    void beforeStore() override;
    void storeFields(TrackHeader &h) override;
    void storePoints(TrackStore &store, int track) override;
    void monitorStep() override;
    void resetMonitor() override;

private:
    Fields m_fields;
    bool drawsLive() const;

    double m_charge = 0;
    double m_lastCurrent = 0;  // of the latest recorded point (A)
    double m_referenceRaw = 0; // the unrounded first potential
    double m_potential = 0;    // averaged potential of the present tick before the step
    double m_held = 0;         // the potential of the last tick before the step
    double m_latest = 0;       // the present tick's latest potential reading
    double m_before = 0;       // potentials before and after the step, rounded to mV
    double m_after = 0;
    bool m_stepSeen = false;
    MonitorPlot m_monitor{1, kMonitorLimit};
};

} // namespace tervo
