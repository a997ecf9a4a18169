#include "SSVModel.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "core/Prompts.h"
#include "measure/fit/SteadyCurrent.h"
#include "plot/Palette.h"
#include "tracks/TextExport.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

int modeOf(double value, int highest)
{
    const double clamped = std::clamp(value, 0.0, static_cast<double>(highest));
    return roundHalfEven(clamped);
}

// How far the current moved over the step, in % of where it is now.
double changePercent(const std::vector<double> &y)
{
    if (y.size() < 2)
        return 0;
    const double last = y.back();
    const double moved = std::fabs(last - y.front());
    if (moved == 0)
        return 0;
    return last == 0 ? 100 : moved / std::fabs(last) * 100;
}

} // namespace

SSVModel::SSVModel(MeasureContext &context, Clipboard &clipboard, QObject *parent)
    : MeasurementModel(context, parent), m_clipboard(clipboard)
{
    const Settings &s = m_settings;
    m_fields.diskXScale = s.SSVDiskXScale;
    m_fields.diskYScale = s.SSVDiskYScale;
    m_fields.ringXScale = s.SSVRingXScale;
    m_fields.ringYScale = s.SSVRingYScale;
    m_fields.rpmScale = s.SSVRPMScale;
    m_fields.v1 = s.SSVV1st;
    m_fields.v2 = s.SSVV2nd;
    m_fields.voltStep = s.SSVVoltStep;
    m_fields.stepTime = s.SSVStepTime;
    m_fields.accelerate = modeOf(s.SSVAccelerateMode, 1);
    m_fields.currentTolerance = s.SSVCurrentTolerance;
    m_fields.skip = modeOf(s.SSVSkipMode, 1);
    m_fields.appliedCurrent = s.SSVAppliedCurrent;
    m_acquisition.samplingRate = s.SSVSamplingRate;
    setAccumulation(s.SSVAccum); // a hand-edited 0 would make every sample NaN
    m_fields.ref = s.SSVRef;
    m_fields.segments = std::max(1, s.SSVSegment);
    m_fields.minTime = modeOf(s.SSVMinTime, kMaxMinTime);
    m_fields.recordNextTrack = modeOf(s.SSVRecordNextTrack, 1);
    rpmField = QString::number(s.SSVRPM);
    setLiveTraces({{LivePlot(&m_context.monitorGraph), 1, kLightBlue},
                   {LivePlot(&m_context.resultGraph), 2, kLightRed}});
    // One point per step, seconds apart: single pixels would hardly show.
    livePlot(0).setMarkRadius(kMarkRadius);
    livePlot(1).setMarkRadius(kMarkRadius);
}

double SSVModel::setRpmScale(double value)
{
    return m_fields.rpmScale = value >= 1 ? value : 1;
}

double SSVModel::setVoltStep(double value)
{
    return m_fields.voltStep = value > 0 ? value : 0.001;
}

double SSVModel::setStepTime(double value)
{
    return m_fields.stepTime = value >= 1 ? value : 1;
}

double SSVModel::setCurrentTolerance(double value)
{
    return m_fields.currentTolerance = value > 0 ? value : 0;
}

double SSVModel::setAppliedCurrent(double value)
{
    return m_fields.appliedCurrent = value > 0 ? value : 0;
}

int SSVModel::setSegments(double value)
{
    return m_fields.segments = std::max(1, roundHalfEven(std::clamp(value, 1.0, 1e6)));
}

int SSVModel::setMinTime(double value)
{
    return m_fields.minTime = modeOf(value, kMaxMinTime);
}

int SSVModel::setAccelerate(double mode)
{
    return m_fields.accelerate = modeOf(mode, 1);
}

int SSVModel::setSkip(double mode)
{
    return m_fields.skip = modeOf(mode, 1);
}

int SSVModel::setRecordNextTrack(double mode)
{
    return m_fields.recordNextTrack = modeOf(mode, 1);
}

int SSVModel::setSendToClip(double mode)
{
    return m_fields.sendToClip = modeOf(mode, 1);
}

void SSVModel::SelTrack(double &track)
{
    std::int32_t t = roundHalfEven(std::clamp(track, -1.0, 1e6));
    SelTrack(t);
    track = t;
}

void SSVModel::DiskScale(double &scale)
{
    scale = setDiskYScale(scale);
}

void SSVModel::RingScale(double &scale)
{
    scale = setRingYScale(scale);
}

void SSVModel::SetVoltage(double v1, double v2)
{
    setPotential(0, v1);
    setPotential(1, v2);
}

void SSVModel::SetAcceleratemode(double &mode)
{
    mode = setAccelerate(mode);
}

void SSVModel::CurrentTolerance(double &percent)
{
    percent = setCurrentTolerance(percent);
}

void SSVModel::SetSkipMode(double &mode)
{
    mode = setSkip(mode);
}

void SSVModel::AppliedCurrent(double &percent)
{
    percent = setAppliedCurrent(percent);
}

void SSVModel::VoltStep(double &volts)
{
    volts = setVoltStep(volts);
}

void SSVModel::StepTime(double &seconds)
{
    seconds = setStepTime(seconds);
}

void SSVModel::Segment(double &count)
{
    count = setSegments(count);
}

void SSVModel::SamplingRate(double &rate)
{
    rate = setSamplingRate(rate);
}

void SSVModel::Accumlation(double &count)
{
    count = setAccumulation(count);
}

void SSVModel::SetSendtoClip(double &mode)
{
    mode = setSendToClip(mode);
}

void SSVModel::MinTime(double &mode)
{
    mode = setMinTime(mode);
}

void SSVModel::RecordNextTrack(double &mode)
{
    mode = setRecordNextTrack(mode);
}

void SSVModel::QuitSSVMeasurement()
{
    closeWindow();
    emit quitRequested();
}

std::vector<double> SSVModel::staircase(double v1, double v2, double step, int segments)
{
    std::vector<double> v{v1};
    if (!(step > 0) || !std::isfinite(v2 - v1))
        return v;
    const double span = std::fabs(v2 - v1);
    const double steps = std::floor(span / step + 1e-9);
    if (!(steps >= 1))
        return v;
    const double dir = v2 > v1 ? 1 : -1;
    // Every potential is formed from its step number, so rounding does not build up.
    const long long k = static_cast<long long>(std::min(steps, double(kMaxPoints)));
    for (int s = 1; s <= std::max(1, segments); ++s) {
        for (long long i = 1; i <= k; ++i) {
            if (static_cast<int>(v.size()) >= kMaxPoints)
                return v;
            const long long j = s % 2 == 1 ? i : k - i;
            v.push_back(v1 + dir * static_cast<double>(j) * step);
        }
    }
    return v;
}

std::uint32_t SSVModel::beginRun()
{
    Settings &s = m_settings;
    s.SSVDiskXScale = m_fields.diskXScale;
    s.SSVDiskYScale = m_fields.diskYScale;
    s.SSVRingXScale = m_fields.ringXScale;
    s.SSVRingYScale = m_fields.ringYScale;
    s.SSVRPMScale = m_fields.rpmScale;
    s.SSVV1st = m_fields.v1;
    s.SSVV2nd = m_fields.v2;
    s.SSVVoltStep = m_fields.voltStep;
    s.SSVStepTime = m_fields.stepTime;
    s.SSVAccelerateMode = m_fields.accelerate;
    s.SSVCurrentTolerance = m_fields.currentTolerance;
    s.SSVSkipMode = static_cast<std::int16_t>(m_fields.skip);
    s.SSVAppliedCurrent = m_fields.appliedCurrent;
    s.SSVSamplingRate = m_acquisition.samplingRate;
    s.SSVAccum = m_acquisition.accum;
    s.SSVRef = m_fields.ref;
    s.SSVRPM = roundHalfEven(parseDecimal(rpmField));
    s.SSVSegment = m_fields.segments;
    s.SSVMinTime = static_cast<std::int16_t>(m_fields.minTime);
    s.SSVRecordNextTrack = static_cast<std::int16_t>(m_fields.recordNextTrack);
    m_potentials = staircase(s.SSVV1st, s.SSVV2nd, s.SSVVoltStep, s.SSVSegment);
    m_step = 0;
    m_fittedSteps = 0;
    m_fitsRun = 0;
    m_storedAll = false;
    m_all.clear();
    m_t.clear();
    m_e.clear();
    m_disk.clear();
    m_ring.clear();
    m_haveEstimate = false;
    setRemainingText(QString());
    const double ms = static_cast<double>(m_potentials.size()) * s.SSVStepTime * 1000.0;
    return ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms);
}

PlotRange SSVModel::initialRange() const
{
    const auto [lo, hi] = std::minmax(m_fields.v1, m_fields.v2);
    const double xs = m_fields.diskXScale, ys = m_fields.diskYScale;
    return {lo * xs, -0.01 * ys, hi * xs, 0.01 * ys};
}

void SSVModel::prepareGraphs()
{
    const PlotRange disk = initialRange();
    prepareLiveGraph(0, QStringLiteral("Steady State Voltammogram (Disk)"), disk);
    prepareLiveGraph(
        1, QStringLiteral("Steady State Voltammogram (Ring)"),
        {disk.xmin, -0.01 * m_fields.ringYScale, disk.xmax, 0.01 * m_fields.ringYScale});
}

void SSVModel::programStep(double potential)
{
    if (!generatorControlled())
        return;
    // Held at least as long as the step lasts; the programme's cycle repeats the same level.
    const std::int32_t hold = std::max(1, static_cast<int>(std::ceil(m_settings.SSVStepTime)));
    m_instruments.FGProgramStep(1, {potential, potential}, 0, hold);
}

void SSVModel::programGenerator()
{
    programStep(m_potentials.front());
}

void SSVModel::onRecordingStarted()
{
    // The first potential was applied at Start.
    m_stepStart = startTick();
}

void SSVModel::takeSample(std::array<double, 3> &r)
{
    const Settings &s = m_settings;
    const int count = readingCount(s.SSVAccum);
    double v = 0, disk = 0, ring = 0;
    for (int k = 0; k < count; ++k) {
        v += m_instruments.ADRead(0);
        disk += m_instruments.ADRead(1);
        ring += m_instruments.ADRead(3);
    }
    const double a = count;
    r = {v / a * s.SSVDiskXScale, disk / a * s.SSVDiskYScale, ring / a * s.SSVRingYScale};
}

void SSVModel::afterSample()
{
    const std::array<double, 3> &r = record(pointCount());
    const double t = elapsedMs(m_stepStart, nowTick()) / 1000.0;
    m_t.push_back(t);
    m_e.push_back(r[0]);
    m_disk.push_back(r[1]);
    m_ring.push_back(r[2]);
    if (static_cast<int>(m_all.size()) < kMaxPoints)
        m_all.push_back({r[0], r[1], elapsedMs(startTick(), nowTick()) / 1000.0});
    if (m_step < stepsPlanned() && stepEnds(t))
        finishStep();
}

double SSVModel::steadyOf(const std::vector<double> &y, bool fit)
{
    m_lastFitted = false;
    if (!fit || (m_settings.SSVSkipMode == 1 && changePercent(y) < m_settings.SSVAppliedCurrent))
        return tailMean(y);
    m_lastFitted = true;
    ++m_fitsRun;
    const SteadyEstimate e = estimateSteadyCurrent(m_fit, m_t, y);
    return e.value;
}

bool SSVModel::stepEnds(double elapsed)
{
    const Settings &s = m_settings;
    if (elapsed >= s.SSVStepTime) {
        m_settled = steadyOf(m_disk, true);
        return true;
    }
    if (s.SSVAccelerateMode != 1 || elapsed < s.SSVMinTime * s.SSVStepTime / 4)
        return false;
    if (s.SSVSkipMode == 1 && m_disk.size() >= 2 && changePercent(m_disk) < s.SSVAppliedCurrent) {
        m_settled = tailMean(m_disk);
        m_lastFitted = false;
        return true;
    }
    const double estimate = steadyOf(m_disk, true);
    // Measured against the current or, where that is near zero, against the transient's size.
    const auto [lo, hi] = std::minmax_element(m_disk.begin(), m_disk.end());
    const double scale = std::max(std::fabs(estimate), *hi - *lo);
    const bool agrees = m_haveEstimate &&
                        std::fabs(estimate - m_lastEstimate) <= s.SSVCurrentTolerance / 100 * scale;
    m_lastEstimate = estimate;
    m_haveEstimate = true;
    if (agrees)
        m_settled = estimate;
    return agrees;
}

void SSVModel::finishStep()
{
    double e = 0;
    for (double v : m_e)
        e += v;
    e /= static_cast<double>(std::max<std::size_t>(1, m_e.size()));
    const int i = pointCount();
    // The ring is fitted only where the disk was: its transient follows the disk's.
    record(i) = {e, m_settled, steadyOf(m_ring, m_lastFitted)};
    drawLivePoint(i);
    advancePoint();
    ++m_step;
    m_t.clear();
    m_e.clear();
    m_disk.clear();
    m_ring.clear();
    m_haveEstimate = false;
    if (m_step < stepsPlanned() && !stopRequested()) {
        programStep(m_potentials[static_cast<std::size_t>(m_step)]);
        if (generatorControlled())
            m_instruments.FGStart();
        m_stepStart = m_context.app.clock.tickCount();
    }
}

void SSVModel::checkEnd(std::uint32_t elapsed)
{
    if (m_step >= stepsPlanned()) {
        setRunLength(elapsed);
        requestStop(true);
        return;
    }
    const double inStep = elapsedMs(m_stepStart, nowTick()) / 1000.0;
    const double left = (stepsPlanned() - m_step) * m_settings.SSVStepTime - inStep;
    setRemainingText(QString::number(stepsPlanned() - m_step) + QStringLiteral(" steps ") +
                     QString::number(roundHalfEven(std::max(0.0, left))) +
                     QStringLiteral("s remain"));
}

QString SSVModel::startRefusal() const
{
    // Track 0 is not the track after 20: it may hold anything.
    if (m_fields.recordNextTrack == 1 && targetTrack() == kUserTracks - 1)
        return QStringLiteral("Track 20 is the last track: all points cannot go into the next "
                              "track. Choose a lower track or clear \"Record all points in the "
                              "next track\".");
    return {};
}

void SSVModel::storeFields(TrackHeader &h)
{
    const Settings &s = m_settings;
    h.StepTime = s.SSVStepTime;
    h.VoltStep = s.SSVVoltStep;
    // The staircase's mean rate, which the charge integration of a voltammogram reads.
    h.Scanrate = s.SSVStepTime > 0 ? s.SSVVoltStep * 1000 / s.SSVStepTime : 0;
    h.V1st = s.SSVV1st;
    h.V2nd = s.SSVV2nd;
    h.V3rd = 0;
    h.ref = s.SSVRef;
    h.DiskYscale = s.SSVDiskYScale;
    h.RingYscale = s.SSVRingYScale;
    KLSettings &kl = m_context.app.store.kl;
    kl.KLNStart[static_cast<std::size_t>(targetTrack())] = 0;
    kl.KLNEnd[static_cast<std::size_t>(targetTrack())] = pointCount();
}

void SSVModel::storeRun()
{
    TrackStore &store = m_context.app.store;
    const int t = targetTrack();
    m_storedAll = false;
    if (m_settings.SSVRecordNextTrack == 1) {
        // Every sample into the track after the SSV track; the SSV track is stored last so that
        // it is the one the main window shows.
        const int all = wrapTrack(t + 1);
        TrackHeader &h = store[all];
        store.ClearTrack(all);
        h.Mode = ModeSSVAll;
        h.Title = titleField;
        h.MeasTime = store[t].MeasTime;
        PlotRange r = plotRange();
        for (const auto &p : m_all)
            r = {std::min(r.xmin, p[0]), std::min(r.ymin, p[1]), std::max(r.xmax, p[0]),
                 std::max(r.ymax, p[1])};
        h.Vxmin = r.xmin;
        h.Vymin = r.ymin;
        h.Vxmax = r.xmax;
        h.Vymax = r.ymax;
        h.RPM = storedRpm();
        h.MaxTime = runLength();
        h.pnum = static_cast<std::int32_t>(m_all.size());
        storeFields(h);
        fillFromCell(h);
        for (int c = 0; c < kColumns; ++c) {
            double *column = store.data.column(c, all);
            for (std::size_t p = 0; p < m_all.size(); ++p)
                column[p] = m_all[p][static_cast<std::size_t>(c)];
        }
        store.markChanged();
        m_storedAll = true;
        emit stored(all);
    }
    MeasurementModel::storeRun();
    if (m_storedAll)
        store[wrapTrack(t + 1)].MeasTime = store[t].MeasTime;
    if (m_fields.sendToClip == 1) {
        m_clipboard.clear();
        m_clipboard.setText(copyAllText(store, t, localeDecimalSeparator()));
    }
}

void SSVModel::afterFinish()
{
    // The next run goes past the SSVAll track as well.
    if (m_storedAll)
        stepTargetTrack(1);
    m_storedAll = false;
    // The curve stays on the graphs until the monitor is cleared; no step remains.
    setRemainingText(QString());
}

void SSVModel::resetMonitor()
{
    clearDiskRingMonitors(m_diskMonitor, m_context.monitorGraph, m_ringMonitor,
                          m_context.resultGraph);
}

void SSVModel::monitorStep()
{
    const int count = readingCount(m_acquisition.accum);
    std::array<double, 4> sum{};
    for (int k = 0; k < count; ++k)
        for (int c = 0; c < 4; ++c)
            sum[static_cast<std::size_t>(c)] += m_instruments.ADRead(static_cast<std::uint8_t>(c));
    for (double &x : sum)
        x /= count;
    const std::vector<QRgb> blue{paletteColor(kLightBlue)};
    m_diskMonitor.add(m_context.monitorGraph, {{sum[0], sum[1]}}, blue);
    m_ringMonitor.add(m_context.resultGraph, {{sum[2], sum[3]}}, blue);
    setMonitorText(formatPattern(sum[0] * m_fields.diskXScale, "0.000000") + QStringLiteral("V"));
}

} // namespace tervo
