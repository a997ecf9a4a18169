#include "RDEModel.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"

#include <QCoreApplication>
#include <algorithm>

namespace tervo {

RDEModel::RDEModel(MeasureContext &context, QObject *parent) : MeasurementModel(context, parent)
{
    const Settings &s = m_settings;
    m_fields.diskXScale = s.DiskXScale;
    m_fields.diskYScale = s.DiskYScale;
    m_fields.ringXScale = s.RingXScale;
    m_fields.ringYScale = s.RingYScale;
    m_fields.rpmScale = s.RPMScale;
    m_fields.v = {s.RDEV0, s.RDEV1, s.RDEV2};
    m_fields.scanRate = s.RDEScanrate;
    m_fields.cycles = s.RDECycleNum;
    m_acquisition.samplingRate = s.RDESamplingRate;
    setAccumulation(s.RDEAccum); // a hand-edited 0 would make every sample NaN
    m_fields.ref = s.RDERef;
    m_acquisition.retainTime = s.RDERetainTime;
    rpmField = QString::number(s.RDERPM);
    // The disk voltammogram goes on the first graph window, the ring's on the second.
    setLiveTraces({{LivePlot(&m_context.monitorGraph), 1, kLightBlue},
                   {LivePlot(&m_context.resultGraph), 2, kLightRed}});
}

QString RDEModel::adBoardMessage() const
{
    return QCoreApplication::translate("Measurement", "AD Board不良です");
}

void RDEModel::DiskScale(double &scale)
{
    ensureOpen();
    scale = setDiskYScale(scale);
}

void RDEModel::RingScale(double &scale)
{
    ensureOpen();
    scale = setRingYScale(scale);
}

void RDEModel::SetVoltage(double v1, double v2, double v3)
{
    ensureOpen();
    m_fields.v = {v1, v2, v3};
}

void RDEModel::scanrate(double &rate)
{
    ensureOpen();
    rate = setScanRate(rate);
}

void RDEModel::Repeat(std::int32_t &cycles)
{
    ensureOpen();
    cycles = static_cast<std::int32_t>(setCycles(cycles));
}

std::uint32_t RDEModel::runLengthMs(const std::array<double, 3> &v, double scanRate, int cycles)
{
    double path = std::fabs(v[1] - v[0]) + std::fabs(v[2] - v[1]);
    // Several cycles end at the third potential: no return leg to the first.
    if (cycles == 1)
        path += std::fabs(v[0] - v[2]);
    else
        path += std::fabs(v[1] - v[2]) * 2.0 * (cycles - 1);
    const double ms = roundHalfEvenDouble(path * 1000.0 / (scanRate * 0.001));
    if (!(ms > 0))
        return 0;
    return ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms);
}

double RDEModel::rpmCorrection(double measuredRpm, double setRpm)
{
    if (!(measuredRpm > kMinFeedbackRpm))
        return 0;
    double step = 0;
    if (measuredRpm < setRpm - kRpmTolerance)
        step += kNudgeVolts;
    if (measuredRpm > setRpm + kRpmTolerance)
        step -= kNudgeVolts;
    return step;
}

std::uint32_t RDEModel::beginRun()
{
    m_offRateSince.reset();
    m_rpmSum = 0;
    m_rpmSamples = 0;
    Settings &s = m_settings;
    s.DiskXScale = m_fields.diskXScale;
    s.DiskYScale = m_fields.diskYScale;
    s.RingXScale = m_fields.ringXScale;
    s.RingYScale = m_fields.ringYScale;
    s.RPMScale = m_fields.rpmScale;
    s.RDEV0 = m_fields.v[0];
    s.RDEV1 = m_fields.v[1];
    s.RDEV2 = m_fields.v[2];
    s.RDEScanrate = m_fields.scanRate;
    s.RDECycleNum = m_fields.cycles;
    s.RDESamplingRate = m_acquisition.samplingRate;
    s.RDEAccum = m_acquisition.accum;
    s.RDERef = m_fields.ref;
    s.RDERetainTime = roundHalfEven(m_acquisition.retainTime);
    s.RDERPM = roundHalfEven(parseDecimal(rpmField));
    setRemainingText(QString());
    if (m_fields.method != 0)
        return 0;
    return runLengthMs(m_fields.v, s.RDEScanrate, roundHalfEven(s.RDECycleNum));
}

PlotRange RDEModel::initialRange() const
{
    const double xs = m_fields.diskXScale, ys = m_fields.diskYScale;
    if (m_fields.method == 0) {
        const auto [lo, hi] = std::minmax({m_fields.v[0], m_fields.v[1], m_fields.v[2]});
        return {lo * xs, -0.01 * ys, hi * xs, 0.01 * ys};
    }
    return {-0.1 * xs, -0.01 * ys, 0.1 * xs, 0.01 * ys};
}

void RDEModel::prepareGraphs()
{
    const PlotRange disk = initialRange();
    prepareLiveGraph(0, QStringLiteral("Disk Voltammogram"), disk);
    prepareLiveGraph(
        1, QStringLiteral("Ring Voltammogram(x axis = Disk Voltage)"),
        {disk.xmin, -0.01 * m_fields.ringYScale, disk.xmax, 0.01 * m_fields.ringYScale});
}

void RDEModel::programGenerator()
{
    const Settings &s = m_settings;
    m_instruments.FGProgramSweep(1, {s.RDEV0, s.RDEV1, s.RDEV2}, s.RDEScanrate, s.RDERetainTime);
}

std::int32_t RDEModel::rotationRate() const
{
    return m_settings.RDERPM;
}

double RDEModel::measureReference()
{
    return quantise(averagedReading(0, m_settings.RDEAccum, m_settings.DiskXScale));
}

void RDEModel::takeSample(std::array<double, 3> &r)
{
    const Settings &s = m_settings;
    const int count = readingCount(s.RDEAccum);
    double v = 0, disk = 0, ring = 0, rate = 0;
    for (int k = 0; k < count; ++k) {
        v += m_instruments.ADRead(0);
        disk += m_instruments.ADRead(1);
        ring += m_instruments.ADRead(3);
        rate += m_instruments.ADRead(4);
    }
    const double a = count;
    r = {v / a * s.DiskXScale, disk / a * s.DiskYScale, ring / a * s.RingYScale};
    m_rpm = rate / a * s.RPMScale;
}

bool RDEModel::sweepHasStarted(const std::array<double, 3> &r) const
{
    return quantise(r[0]) != referencePotential();
}

std::optional<double> RDEModel::drivenRpm() const
{
    const std::optional<double> set = runRpm();
    if (m_settings.DABoard <= 0 || !set || !(*set > 0))
        return std::nullopt;
    return set;
}

std::optional<double> RDEModel::measuredMeanRpm() const
{
    const std::optional<double> driven = drivenRpm();
    if (!driven || m_rpmSamples == 0)
        return std::nullopt;
    const double mean = m_rpmSum / m_rpmSamples;
    if (std::fabs(mean - *driven) <= kRpmTolerance)
        return std::nullopt;
    return mean;
}

bool RDEModel::rotatorReachesRate()
{
    const std::optional<double> driven = drivenRpm();
    if (!driven || std::fabs(m_rpm - *driven) <= std::max(kRpmTolerance, kRotatorBand * *driven)) {
        m_offRateSince = nowTick();
        return true;
    }
    if (!m_offRateSince)
        m_offRateSince = nowTick();
    if (elapsedMs(*m_offRateSince, nowTick()) < kRotatorGraceMs)
        return true;
    endRunOnFault(QStringLiteral("The rotator does not reach %1 rpm: it turns at %2 rpm. The run "
                                 "was stopped and its points were kept.")
                      .arg(*driven, 0, 'f', 0)
                      .arg(std::max(0.0, m_rpm), 0, 'f', 0));
    return false;
}

void RDEModel::afterSample()
{
    if (m_settings.DABoard <= 0)
        return;
    m_rpmSum += m_rpm;
    ++m_rpmSamples;
    if (!rotatorReachesRate())
        return;
    // The rate the rotator was set to: a rate asked beyond the calibration is not chased.
    const std::optional<double> driven = drivenRpm();
    if (!driven)
        return;
    const double step = rpmCorrection(m_rpm, *driven);
    if (step != 0)
        m_instruments.RpmNudge(step);
}

void RDEModel::showRemaining(std::uint32_t elapsed)
{
    // The label keeps its last non-zero value through the final half second.
    const std::int32_t remaining =
        roundHalfEven((static_cast<double>(runLength()) - elapsed) / 1000.0);
    if (remaining != 0)
        setRemainingText(QString::number(remaining) + QStringLiteral("s remain"));
}

void RDEModel::storeFields(TrackHeader &h)
{
    const Settings &s = m_settings;
    h.Scanrate = s.RDEScanrate;
    h.V1st = s.RDEV0;
    h.V2nd = s.RDEV1;
    h.V3rd = s.RDEV2;
    h.ref = s.RDERef;
    h.DiskYscale = s.DiskYScale;
    h.RingYscale = s.RingYScale;
    KLSettings &kl = m_context.app.store.kl;
    kl.KLNStart[static_cast<std::size_t>(targetTrack())] = 0;
    kl.KLNEnd[static_cast<std::size_t>(targetTrack())] = pointCount();
}

void RDEModel::resetMonitor()
{
    clearDiskRingMonitors(m_diskMonitor, m_context.monitorGraph, m_ringMonitor,
                          m_context.resultGraph);
}

void RDEModel::monitorStep()
{
    const int count = readingCount(m_acquisition.accum);
    std::array<double, 5> sum{};
    for (int k = 0; k < count; ++k)
        for (int c = 0; c < 5; ++c)
            sum[static_cast<std::size_t>(c)] += m_instruments.ADRead(static_cast<std::uint8_t>(c));
    for (double &x : sum)
        x /= count;
    const std::vector<QRgb> blue{paletteColor(kLightBlue)};
    m_diskMonitor.add(m_context.monitorGraph, {{sum[0], sum[1]}}, blue);
    m_ringMonitor.add(m_context.resultGraph, {{sum[2], sum[3]}}, blue);
    setMonitorText(QString::number(std::floor(sum[4] * m_fields.rpmScale), 'f', 0) +
                   QStringLiteral("RPM"));
}

} // namespace tervo
