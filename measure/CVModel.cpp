#include "CVModel.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"

#include <algorithm>
#include <cmath>

namespace tervo {

CVModel::CVModel(MeasureContext &context, QObject *parent) : MeasurementModel(context, parent)
{
    loadSet();
}

void CVModel::loadSet()
{
    m_settings.CVNum = std::clamp(m_settings.CVNum, 0, kCVSets - 1);
    const CVSet &s = m_settings.currentCV();
    m_fields.xScale = s.CVXScale;
    m_fields.yScale = s.CVYScale;
    m_fields.v = {s.CVV0, s.CVV1, s.CVV2};
    m_fields.scanRate = s.CVScanrate;
    m_fields.cycles = s.CVCyclenum;
    m_acquisition.samplingRate = s.CVSamplingRate;
    setAccumulation(s.CVAccum); // a hand-edited 0 would make every sample NaN
    m_fields.ref = s.CVRef;
    m_acquisition.retainTime = s.CVRetainTime;
    m_fields.setTitle = s.CVTitle;
    rpmField = QString::number(s.CVRPM);
    emit changed();
}

double CVModel::setYScale(double value)
{
    return m_fields.yScale = keptScale(value);
}

double CVModel::setScanRateFromBox(double value)
{
    return m_fields.scanRate = value > 0 ? value : 0.01;
}

double CVModel::setScanRateFromMacro(double value)
{
    return m_fields.scanRate = keptScanRate(value);
}

double CVModel::setCycles(double value)
{
    return m_fields.cycles = keptCycles(value);
}

QString CVModel::setSetTitle(const QString &title)
{
    m_settings.currentCV().CVTitle = title;
    return m_fields.setTitle = title;
}

double CVModel::setPotential(int index, double value)
{
    CVSet &s = m_settings.currentCV();
    (index == 0 ? s.CVV0 : index == 1 ? s.CVV1 : s.CVV2) = value;
    return m_fields.v[static_cast<std::size_t>(index)] = value;
}

void CVModel::stepSet(int delta)
{
    int n = (m_settings.CVNum + delta) % kCVSets;
    m_settings.CVNum = n < 0 ? n + kCVSets : n;
    loadSet();
}

void CVModel::SettingNum(QString &text)
{
    ensureOpen();
    const int n = roundHalfEven(parseDecimal(text));
    const int clamped = std::clamp(n, 0, kCVSets - 1);
    if (clamped != n)
        text = QString::number(clamped);
    m_settings.CVNum = clamped;
    loadSet();
}

void CVModel::DiskScale(double &scale)
{
    ensureOpen();
    scale = setYScale(scale);
}

void CVModel::SetVoltage(double v1, double v2, double v3)
{
    ensureOpen();
    setPotential(0, v1);
    setPotential(1, v2);
    setPotential(2, v3);
}

void CVModel::scanrate(double &rate)
{
    ensureOpen();
    rate = setScanRateFromMacro(rate);
}

void CVModel::Repeat(std::int32_t &cycles)
{
    ensureOpen();
    cycles = static_cast<std::int32_t>(setCycles(cycles));
}

std::uint32_t CVModel::runLengthMs(const std::array<double, 3> &v, double scanRate, int cycles)
{
    double path = std::fabs(v[1] - v[0]) + std::fabs(v[2] - v[1]);
    if (cycles != 1)
        path += std::fabs(v[1] - v[2]) * (2.0 * cycles - 2.0);
    path += std::fabs(v[0] - v[2]);
    const double ms = roundHalfEvenDouble(path * 1000.0 / (scanRate * 0.001));
    if (!(ms > 0))
        return 0;
    return ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms);
}

std::uint32_t CVModel::beginRun()
{
    CVSet &s = m_settings.currentCV();
    s.CVXScale = m_fields.xScale;
    s.CVYScale = m_fields.yScale;
    s.CVV0 = m_fields.v[0];
    s.CVV1 = m_fields.v[1];
    s.CVV2 = m_fields.v[2];
    s.CVScanrate = m_fields.scanRate;
    s.CVCyclenum = roundHalfEven(m_fields.cycles);
    s.CVSamplingRate = m_acquisition.samplingRate;
    s.CVAccum = m_acquisition.accum;
    s.CVRef = m_fields.ref;
    s.CVRetainTime = roundHalfEven(m_acquisition.retainTime);
    s.CVRPM = roundHalfEven(parseDecimal(rpmField));
    m_run = s;
    m_runMethod = m_fields.method;
    m_path = 0;
    m_measuredRate = 0;
    m_lastRemaining = -1;
    return m_fields.method == 0 ? runLengthMs(m_fields.v, s.CVScanrate, s.CVCyclenum) : 0;
}

PlotRange CVModel::initialRange() const
{
    const double xs = m_fields.xScale, ys = m_fields.yScale;
    if (m_fields.method == 0) {
        const auto [lo, hi] = std::minmax({m_fields.v[0], m_fields.v[1], m_fields.v[2]});
        return {lo * xs, -0.01 * ys, hi * xs, 0.01 * ys};
    }
    return {-0.1 * xs, -0.01 * ys, 0.1 * xs, 0.01 * ys};
}

void CVModel::prepareResultGraph()
{
    Graph &g = m_context.resultGraph;
    g.SetTitle(QStringLiteral("Cyclic Voltammogram"));
    g.SetXFormat(QStringLiteral("0.0"));
    g.SetYFormat(QStringLiteral("0.00e+0"));
}

void CVModel::onFullRedraw()
{
    m_context.resultGraph.SetXFormat(QStringLiteral("0.00"));
    m_context.resultGraph.SetYFormat(QStringLiteral("0.0e+0"));
}

void CVModel::programGenerator()
{
    const CVSet &s = m_run;
    m_instruments.FGProgramSweep(1, {s.CVV0, s.CVV1, s.CVV2}, s.CVScanrate, s.CVRetainTime);
}

std::int32_t CVModel::rotationRate() const
{
    return m_run.CVRPM;
}

double CVModel::measureReference()
{
    return quantise(averagedReading(0, m_run.CVAccum, m_run.CVXScale));
}

void CVModel::takeSample(std::array<double, 3> &r)
{
    const CVSet &s = m_run;
    double v = m_instruments.ADRead(0) * s.CVXScale;
    double i = m_instruments.ADRead(1) * s.CVYScale;
    // One pair, then (accumulation - 1, rounded) more.
    const int count = 1 + std::max(0, roundHalfEven(s.CVAccum - 1));
    for (int k = 1; k < count; ++k) {
        v += m_instruments.ADRead(0) * s.CVXScale;
        i += m_instruments.ADRead(1) * s.CVYScale;
    }
    r = {v / count, i / count, 0};
}

bool CVModel::sweepHasStarted(const std::array<double, 3> &r) const
{
    return quantise(r[0]) != referencePotential();
}

void CVModel::onRecordingStarted()
{
    m_path = 0;
    m_lastRemaining = -1;
}

void CVModel::afterSample()
{
    const int n = pointCount();
    const std::uint32_t elapsed = elapsedMs(startTick(), nowTick());
    if (n > 0 && elapsed > 0) {
        m_path += std::fabs(record(n)[0] - record(n - 1)[0]);
        m_measuredRate = m_path / elapsed * 1000000.0;
    }
}

void CVModel::showRemaining(std::uint32_t elapsed)
{
    const std::int32_t remaining =
        roundHalfEven((static_cast<double>(runLength()) - elapsed) / 1000.0);
    if (remaining == m_lastRemaining)
        return;
    m_lastRemaining = remaining;
    setRemainingText(QString::number(remaining) + QStringLiteral("s remain Scan Rate:") +
                     formatPattern(m_measuredRate, "###0.#"));
}

void CVModel::beforeStore()
{
    redrawLive();
}

void CVModel::storeFields(TrackHeader &h)
{
    const CVSet &s = m_run;
    h.Scanrate = s.CVScanrate;
    h.V1st = s.CVV0;
    h.V2nd = s.CVV1;
    h.V3rd = s.CVV2;
    h.ref = s.CVRef;
    h.DiskYscale = s.CVYScale;
    h.RingYscale = 0;
    KLSettings &kl = m_context.app.store.kl;
    kl.KLNStart[static_cast<std::size_t>(targetTrack())] = 0;
    kl.KLNEnd[static_cast<std::size_t>(targetTrack())] = pointCount();
}

void CVModel::resetMonitor()
{
    m_monitor.clear(m_context.monitorGraph, {QStringLiteral("Voltage Monitor /V"),
                                             QStringLiteral("0.00"), QStringLiteral("0.0e+0")});
}

void CVModel::monitorStep()
{
    const int count = readingCount(m_acquisition.accum);
    double v = 0, i = 0;
    for (int k = 0; k < count; ++k) {
        v += m_instruments.ADRead(0);
        i += m_instruments.ADRead(1);
    }
    v /= count;
    i /= count;
    m_monitor.add(m_context.monitorGraph, {{v, i}}, {paletteColor(kLightRed)});
    setMonitorText(formatPattern(v, "0.000000") + QStringLiteral("V"));
}

} // namespace tervo
