#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"

#include <QCoreApplication>
#include <array>
#include <cmath>
#include <optional>

namespace tervo {

// The ring-disk window's logic: disk potential, disk and ring currents and the rotation rate
// sampled while the disk is swept; two live graphs (disk on the first graph window, ring on the
// second), the rotation rate held by small corrections of the rotator voltage, and a run length
// without the return leg when there is more than one cycle.
class RDEModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kMonitorLimit = 1000;
    // Rotator voltage step of one correction, and the dead band around the set rate.
    static constexpr double kNudgeVolts = 0.0005;
    static constexpr double kRpmTolerance = 10;
    static constexpr double kMinFeedbackRpm = 100;
    // A rotor further than this from its rate (the larger of the two) for kRotatorGraceMs of
    // recording ends the run: its track would carry a rate the electrode never had.
    static constexpr double kRotatorBand = 0.2;
    static constexpr std::uint32_t kRotatorGraceMs = 10000;

    explicit RDEModel(MeasureContext &context, QObject *parent = nullptr);

    struct Fields {
        double diskXScale = 1;
        double diskYScale = 1e-3;
        double ringXScale = 1;
        double ringYScale = 1e-5;
        double rpmScale = 1000;
        std::array<double, 3> v{0.8, -0.2, 0.8};
        double scanRate = 50;
        double cycles = 1;
        int ref = 0;
        int method = 0; // 0 "by cycle num", 1 "by button"
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept.
    double setDiskXScale(double value) { return m_fields.diskXScale = value; }
    double setDiskYScale(double value) { return m_fields.diskYScale = keptScale(value); }
    double setRingXScale(double value) { return m_fields.ringXScale = value; }
    double setRingYScale(double value) { return m_fields.ringYScale = keptScale(value); }
    double setRpmScale(double value) { return m_fields.rpmScale = value < 1 ? 1 : value; }
    double setPotential(int index, double value)
    {
        return m_fields.v[static_cast<std::size_t>(index)] = value;
    }
    double setScanRate(double value) { return m_fields.scanRate = keptScanRate(value); }
    double setCycles(double value) { return m_fields.cycles = keptCycles(value); }
    int setReference(int index) { return m_fields.ref = index; }
    int setMethod(int method) { return m_fields.method = method; }

    // Public operations of the window.
    void DiskScale(double &scale);
    void RingScale(double &scale);
    void SetVoltage(double v1, double v2, double v3);
    void scanrate(double &rate);
    void Repeat(std::int32_t &cycles);
    void StartMeasurement() { start(); }

    static std::uint32_t runLengthMs(const std::array<double, 3> &v, double scanRate, int cycles);
    // The rotator voltage correction for a measured rate against the set rate: +-kNudgeVolts
    // outside the dead band, none at or below kMinFeedbackRpm.
    static double rpmCorrection(double measuredRpm, double setRpm);

    // The last measured rotation rate (rpm) and the rotation-rate label.
    double measuredRpm() const { return m_rpm; }
    QString rpmText() const { return monitorText(); }
    const PlotRange &ringRange() const { return livePlot(1).range(); }
    const MonitorPlot &diskMonitor() const { return m_diskMonitor; }
    const MonitorPlot &ringMonitor() const { return m_ringMonitor; }

protected:
    // Disk and ring monitors use both graph windows.
    RunTraits traits() const override
    {
        return {.drawsLive = m_settings.RDESamplingRate < 50,
                .endsByItself = m_fields.method == 0,
                .monitorsBothGraphs = true};
    }
    int modeCode() const override { return ModeRDE; }
    QString adBoardMessage() const override;
    QString gpibMessage() const override
    {
        return QCoreApplication::translate("Measurement", "GPIB不良");
    }
    std::uint32_t beginRun() override;
    PlotRange initialRange() const override;
    void prepareResultGraph() override {}
    void prepareGraphs() override;
    void programGenerator() override;
    std::int32_t rotationRate() const override;
    double measureReference() override;
    void takeSample(std::array<double, 3> &record) override;
    bool sweepHasStarted(const std::array<double, 3> &record) const override;
    void afterSample() override;
    std::optional<double> measuredMeanRpm() const override;
    void showRemaining(std::uint32_t elapsed) override;
    void storeFields(TrackHeader &h) override;
    void monitorStep() override;
    void resetMonitor() override;
    void afterFinish() override { resetMonitor(); }

private:
    Fields m_fields;

    static double quantise(double v) { return std::floor(v * 500) / 500; }

    // The rate the rotator was sent to, or none when it is not driven or switched off.
    std::optional<double> drivenRpm() const;
    bool rotatorReachesRate();

    double m_rpm = 0;
    // The rates measured while recording with the rotator driven.
    double m_rpmSum = 0;
    int m_rpmSamples = 0;
    std::optional<std::uint32_t> m_offRateSince;
    MonitorPlot m_diskMonitor{1, kMonitorLimit};
    MonitorPlot m_ringMonitor{1, kMonitorLimit};
};

} // namespace tervo
