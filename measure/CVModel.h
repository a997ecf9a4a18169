#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"

#include <array>
#include <cmath>
#include <vector>

namespace tervo {

// The cyclic-voltammetry window's logic: six remembered parameter sets, the run length from the
// three potentials, the scan rate and the cycle count, the start by potential change without a
// function generator, and the measured scan rate during the run.
class CVModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kMonitorLimit = 4000;

    explicit CVModel(MeasureContext &context, QObject *parent = nullptr);

    // Fields of the window (what the operator edits).
    struct Fields {
        double xScale = 1;
        double yScale = 1e-3;
        std::array<double, 3> v{0, 0, -0.2};
        double scanRate = 50;
        double cycles = 2;
        int ref = 0;
        double rpmPerVolt = 1000;
        QString setTitle;
        int method = 0; // 0 "by cycle num.", 1 "button"
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept. The scan rate has two rules: a box turns a rate <= 0 into 0.01, a macro line only
    // a negative one, into 0.001.
    double setXScale(double value) { return m_fields.xScale = value; }
    double setYScale(double value);
    // The set title and the potentials go into the current set as they are edited.
    double setPotential(int index, double value);
    double setScanRateFromBox(double value);
    double setScanRateFromMacro(double value);
    double setCycles(double value);
    int setReference(int index) { return m_fields.ref = index; }
    double setRpmPerVolt(double value) { return m_fields.rpmPerVolt = value; }
    QString setSetTitle(const QString &title);
    int setMethod(int method) { return m_fields.method = method; }
    // The set up-down: wraps 0..5 and loads the set.
    void stepSet(int delta);
    int currentSet() const { return m_settings.CVNum; }

    // Public operations of the window.
    void SettingNum(QString &text);
    void DiskScale(double &scale);
    void SetVoltage(double v1, double v2, double v3);
    void scanrate(double &rate);
    void Repeat(std::int32_t &cycles);
    void StartMeasurement() { start(); }

    // The planned run length in ms of the "by cycle num." method.
    static std::uint32_t runLengthMs(const std::array<double, 3> &v, double scanRate, int cycles);

    double measuredScanRate() const { return m_measuredRate; }
    // Monitor ring (potential, current in raw board volts); empty entries hold -9999.
    const MonitorPlot &monitor() const { return m_monitor; }

protected:
    // During a run the values copied at Start hold; the fields may be edited meanwhile.
    RunTraits traits() const override
    {
        return {.drawsLive = m_run.CVSamplingRate < 20,
                .endsByItself = m_runMethod == 0,
                .holdsRateDuringRun = true,
                .capsSamplingRate = true};
    }
    int modeCode() const override { return ModeCV; }
    std::uint32_t beginRun() override;
    PlotRange initialRange() const override;
    void prepareResultGraph() override;
    void programGenerator() override;
    std::int32_t rotationRate() const override;
    double measureReference() override;
    void takeSample(std::array<double, 3> &record) override;
    bool sweepHasStarted(const std::array<double, 3> &record) const override;
    void onRecordingStarted() override;
    void afterSample() override;
    void showRemaining(std::uint32_t elapsed) override;
    void beforeStore() override;
    void onFullRedraw() override;
    void storeFields(TrackHeader &h) override;
    void monitorStep() override;
    void resetMonitor() override;

private:
    void loadSet();

    Fields m_fields;
    static double quantise(double v) { return std::floor(v * 400) / 400; }

    CVSet m_run; // the set as copied at Start
    int m_runMethod = 0;
    double m_path = 0;
    double m_measuredRate = 0;
    std::int32_t m_lastRemaining = -1;
    MonitorPlot m_monitor{1, kMonitorLimit};
};

} // namespace tervo
