#include "RPMvsjModel.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace tervo {

RPMvsjModel::RPMvsjModel(MeasureContext &context, QObject *parent)
    : MeasurementModel(context, parent)
{
    const Settings &s = m_settings;
    m_fields.xScale = s.RPjXScale;
    m_fields.yScale = s.RPjYScale;
    m_fields.rpmScale = s.RPjRPMScale;
    m_fields.rpmLimit = s.RPjRPMLimit;
    m_acquisition.samplingRate = s.RPjSamplingRate;
    setAccumulation(s.RPjAccum); // a hand-edited 0 would make every sample NaN
    m_fields.startRpm = s.RPjStartRPM;
    m_fields.endRpm = s.RPjEndRPM;
    m_fields.speed = s.RPjSpeed;
    m_acquisition.retainTime = s.RPjRetainTime;
    m_fields.v = s.RPjV;
    livePlot().setAxisLabel(QStringLiteral("/rpm"));
}

QString RPMvsjModel::adBoardMessage() const
{
    return QCoreApplication::translate("Measurement", "AD Board不良です");
}

double RPMvsjModel::setSpeed(double value)
{
    return m_fields.speed = value == 0 ? (m_fields.endRpm - m_fields.startRpm) / 100 : value;
}

int RPMvsjModel::setMethod(int method)
{
    m_fields.method = std::clamp(method, 0, 2);
    emit changed();
    return m_fields.method;
}

void RPMvsjModel::DiskScale(double scale)
{
    ensureOpen();
    setYScale(scale);
}

void RPMvsjModel::Potential(double volts)
{
    ensureOpen();
    setPotential(volts);
}

void RPMvsjModel::AppliedMeasuremode(std::int32_t mode)
{
    ensureOpen();
    setMethod(mode);
}

void RPMvsjModel::SetRPMParameters(double startRpm, double endRpm, double speed)
{
    ensureOpen();
    setStartRpm(startRpm);
    setEndRpm(endRpm);
    setSpeed(speed);
    emit changed();
}

double RPMvsjModel::commandedRate(double speed, double startRpm, double seconds)
{
    const double rate = speed * seconds + startRpm;
    return rate < 0 || rate > kMaxCommandedRpm ? 0 : rate;
}

std::uint32_t RPMvsjModel::rampDurationMs(double startRpm, double endRpm, double speed)
{
    if (speed == 0)
        return 0;
    const double ms = roundHalfEvenDouble((endRpm - startRpm) / speed * 1000.0);
    if (!(ms > 0))
        return 0;
    return ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms);
}

std::uint32_t RPMvsjModel::beginRun()
{
    Settings &s = m_settings;
    s.RPjXScale = m_fields.xScale;
    s.RPjYScale = m_fields.yScale;
    s.RPjRPMScale = m_fields.rpmScale;
    s.RPjRPMLimit = m_fields.rpmLimit;
    s.RPjSamplingRate = m_acquisition.samplingRate;
    s.RPjAccum = m_acquisition.accum;
    s.RPjStartRPM = m_fields.startRpm;
    s.RPjEndRPM = m_fields.endRpm;
    s.RPjSpeed = m_fields.speed;
    s.RPjRetainTime = m_acquisition.retainTime;
    s.RPjV = m_fields.v;
    m_recordTime = m_fields.recordTime;
    m_commanded = 0;
    // The ramp's duration is known with or without the generator, so that a ramp without one
    // ends on the commanded rate and not after its first point.
    return m_fields.method == ProgrammedRamp
               ? rampDurationMs(s.RPjStartRPM, s.RPjEndRPM, s.RPjSpeed)
               : 0;
}

PlotRange RPMvsjModel::initialRange() const
{
    const double y = m_settings.RPjYScale, x = m_settings.RPjXScale;
    switch (m_fields.method) {
    case ByLimit:
        return {0, -0.01 * y, m_settings.RPjRPMLimit, 0.01 * y};
    case ByButton:
        return {-0.1 * x, -0.01 * y, 0.1 * x, 0.01 * y};
    default:
        return {m_settings.RPjStartRPM, -0.01 * y, m_settings.RPjEndRPM, 0.01 * y};
    }
}

void RPMvsjModel::stopInstruments()
{
    std::int32_t zero = 0;
    m_instruments.RpmSet(zero);
}

void RPMvsjModel::prepareResultGraph()
{
    Graph &g = m_context.resultGraph;
    if (!g.isVisible())
        g.SetSize(5000, 5000, 1000, 1000);
    g.SetTitle(QStringLiteral("RPM vs. j Plot"));
    g.SetXFormat(QStringLiteral("0.0#e+00"));
    g.SetYFormat(QStringLiteral("0.0#e+00"));
}

void RPMvsjModel::programGenerator()
{
    const Settings &s = m_settings;
    const double rampSeconds = rampDurationMs(s.RPjStartRPM, s.RPjEndRPM, s.RPjSpeed) / 1000.0;
    m_instruments.FGProgramStep(1, {s.RPjV, s.RPjV}, roundHalfEven(s.RPjRetainTime),
                                roundHalfEven(rampSeconds + 1));
}

std::int32_t RPMvsjModel::rotationRate() const
{
    return static_cast<std::int32_t>(std::floor(m_settings.RPjStartRPM));
}

double RPMvsjModel::measureReference()
{
    const Settings &s = m_settings;
    m_runStart = startTick();
    const int count = readingCount(s.RPjAccum);
    double v = 0, rate = 0;
    for (int k = 0; k < count; ++k) {
        v += m_instruments.ADRead(0) * s.RPjXScale;
        rate += m_instruments.ADRead(4) * s.RPjRPMScale;
    }
    m_diskPotential = v / count;
    m_referenceRaw = rate / count;
    return quantise(m_referenceRaw);
}

void RPMvsjModel::takeSample(std::array<double, 3> &r)
{
    const Settings &s = m_settings;
    const int count = readingCount(s.RPjAccum);
    double rate = 0, current = 0, ticks = 0;
    for (int k = 0; k < count; ++k) {
        rate += m_instruments.ADRead(4) * s.RPjRPMScale;
        current += m_instruments.ADRead(1) * s.RPjYScale;
        ticks += elapsedMs(startTick(), m_context.app.clock.tickCount());
    }
    m_averageTick = ticks / count;
    r = {rate / count, current / count, m_averageTick};
    m_rate = r[0];
}

bool RPMvsjModel::recordingBegins(const std::array<double, 3> &r)
{
    if (m_fields.method == ProgrammedRamp)
        return r[2] > m_settings.RPjRetainTime * 1000.0;
    // A standing rotator reads a few tenths of an rpm either side of 0, which alone would cross
    // the 0 grid line: the rate must also have moved by a whole grid step.
    return quantise(r[0]) != referenceRate() && std::fabs(r[0] - m_referenceRaw) >= kRateGrid;
}

void RPMvsjModel::onRecordingStarted()
{
    // The ramp's clock starts at the averaged tick of the sample that began it.
    if (m_fields.method == ProgrammedRamp) {
        const std::uint32_t origin = m_runStart + static_cast<std::uint32_t>(m_averageTick);
        setStartTick(origin);
    }
    record(pointCount())[2] = 0;
}

void RPMvsjModel::afterSample()
{
    if (m_fields.method != ProgrammedRamp)
        return;
    const double seconds = roundHalfEvenDouble(elapsedMs(startTick(), nowTick()) / 10.0) / 100.0;
    const double rate = commandedRate(m_settings.RPjSpeed, m_settings.RPjStartRPM, seconds);
    std::int32_t whole = static_cast<std::int32_t>(std::floor(rate));
    m_instruments.RpmSet(whole);
    m_commanded = roundHalfEven(rate);
}

QString RPMvsjModel::endsOnlyByHand() const
{
    if (state() != Measuring || stopRequested())
        return {};
    if (m_fields.method == ByButton)
        return QStringLiteral("it ends by the Stop button only");
    // The rotator stays at the rate set at Start: only a hand on it passes a limit above that.
    if (m_fields.method == ByLimit && rotationRate() <= m_settings.RPjRPMLimit)
        return QStringLiteral("the rotator holds %1 rpm and only a hand takes it beyond the limit "
                              "of %2 rpm (method 0)")
            .arg(rotationRate())
            .arg(formatGeneral(m_settings.RPjRPMLimit));
    return {};
}

void RPMvsjModel::checkEnd(std::uint32_t elapsed)
{
    if (m_fields.method == ByLimit) {
        if (m_rate > m_settings.RPjRPMLimit) {
            requestStop(false);
            setRunLength(elapsed);
        }
    } else if (m_fields.method == ProgrammedRamp) {
        // A ramp downwards has reached its end when the commanded rate is at or below it.
        const bool upwards = m_settings.RPjSpeed >= 0;
        const bool reached =
            upwards ? m_commanded >= m_settings.RPjEndRPM : m_commanded <= m_settings.RPjEndRPM;
        if (elapsed > runLength() || reached)
            requestStop(false);
    }
}

void RPMvsjModel::storeFields(TrackHeader &h)
{
    h.V1st = m_settings.RPjV;
    h.DiskYscale = m_settings.RPjYScale;
    h.RingYscale = 0;
    h.TimeRecording = m_recordTime ? 1 : 0;
}

void RPMvsjModel::storePoints(TrackStore &store, int t)
{
    double *rate = store.data.column(0, t);
    double *current = store.data.column(1, t);
    double *time = store.data.column(2, t);
    for (int p = 0; p < pointCount(); ++p) {
        rate[p] = record(p)[0];
        current[p] = record(p)[1];
        if (m_recordTime)
            time[p] = record(p)[2];
    }
}

void RPMvsjModel::resetMonitor()
{
    m_monitor.clear(m_context.monitorGraph,
                    {QStringLiteral("Voltage Monitor /V"), QStringLiteral("0.0#e+0"),
                     QStringLiteral("0.0#e+0"), 3.0, true});
}

void RPMvsjModel::monitorStep()
{
    const int count = readingCount(m_acquisition.accum);
    double rate = 0, current = 0;
    for (int k = 0; k < count; ++k) {
        rate += m_instruments.ADRead(4);
        current += m_instruments.ADRead(1);
    }
    rate /= count;
    current /= count;
    m_monitor.add(m_context.monitorGraph, {{rate, current}}, {paletteColor(kLightRed)});
    setMonitorText(formatPattern(rate * m_fields.rpmScale, "0") + QStringLiteral("RPM"));
}

} // namespace tervo
