#include "PSModel.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace tervo {

namespace {
double roundTo(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return roundHalfEvenDouble(v * f) / f;
}
// Noise about a 10 mV grid line is no step: the potential must also move this far from the
// first potential.
constexpr double kMinStep = 0.005;
} // namespace

PSModel::PSModel(MeasureContext &context, QObject *parent) : MeasurementModel(context, parent)
{
    const Settings &s = m_settings;
    m_fields.xScale = s.PSXScale;
    m_fields.yScale = s.PSYScale;
    m_fields.rpmScale = s.PSRPMScale;
    m_fields.v0 = s.PSV0;
    m_fields.v1 = s.PSV1;
    m_fields.maxTime = s.PSMaxTime;
    m_fields.coulomb = s.PSCoulomb;
    m_acquisition.samplingRate = s.PSInitSamplingRate;
    m_fields.division = s.PSSamplinDivision;
    setAccumulation(s.PSAccum); // a hand-edited 0 would make every sample NaN
    m_acquisition.retainTime = s.PSRetainTime;
    m_fields.graphOn = s.PSGraphOn == 1;
    rpmField = QString::number(s.PSRPM);
}

QString PSModel::adBoardMessage() const
{
    return QCoreApplication::translate("Measurement", "AD Board不良です");
}

bool PSModel::setGraphOn(bool on)
{
    m_settings.PSGraphOn = on ? 1 : 0;
    return m_fields.graphOn = on;
}

int PSModel::setMethod(int method)
{
    m_fields.method = std::clamp(method, 0, 2);
    emit changed();
    return m_fields.method;
}

void PSModel::DiskScale(double &scale)
{
    ensureOpen();
    scale = setYScale(scale);
}

void PSModel::SetVoltage(double v1, double v2)
{
    ensureOpen();
    setPotential(0, v1);
    setPotential(1, v2);
}

void PSModel::MeasMode(std::int16_t &mode)
{
    ensureOpen();
    mode = static_cast<std::int16_t>(setMethod(mode));
}

void PSModel::CoulombNumber(double &coulombs)
{
    ensureOpen();
    coulombs = setCoulomb(coulombs);
}

void PSModel::MeasureTime(std::int32_t &seconds)
{
    ensureOpen();
    seconds = static_cast<std::int32_t>(setMaxTime(seconds));
}

double PSModel::trapezoidCharge(double t0, double i0, double t1, double i1)
{
    return (t1 - t0) * (i0 + i1) / 2000.0;
}

std::uint32_t PSModel::beginRun()
{
    Settings &s = m_settings;
    s.PSXScale = m_fields.xScale;
    s.PSYScale = m_fields.yScale;
    s.PSRPMScale = m_fields.rpmScale;
    s.PSV0 = m_fields.v0;
    s.PSV1 = m_fields.v1;
    s.PSMaxTime = m_fields.maxTime;
    s.PSCoulomb = m_fields.coulomb;
    s.PSInitSamplingRate = m_acquisition.samplingRate;
    s.PSSamplinDivision = m_fields.division;
    s.PSAccum = m_acquisition.accum;
    s.PSRetainTime = m_acquisition.retainTime;
    s.PSRPM = roundHalfEven(parseDecimal(rpmField));
    s.PSGraphOn = m_fields.graphOn ? 1 : 0;
    m_charge = 0;
    m_lastCurrent = 0;
    m_stepSeen = false;
    setRemainingText(QString());
    const double ms = roundHalfEvenDouble(s.PSMaxTime * 1000.0);
    return ms > 0 ? (ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms)) : 0;
}

PlotRange PSModel::initialRange() const
{
    return {-2, -0.01 * m_settings.PSYScale, 10000, 0.01 * m_settings.PSYScale};
}

void PSModel::prepareResultGraph()
{
    Graph &g = m_context.resultGraph;
    g.SetTitle(QStringLiteral("I-t Graph"));
    g.SetYFormat(QStringLiteral("0.0#e+00"));
}

void PSModel::programGenerator()
{
    const Settings &s = m_settings;
    const std::int32_t second =
        m_fields.method == ByTime ? roundHalfEven(s.PSMaxTime) : kOpenEndedHold;
    m_instruments.FGProgramStep(1, {s.PSV0, s.PSV1}, roundHalfEven(s.PSRetainTime), second);
}

std::int32_t PSModel::rotationRate() const
{
    return m_settings.PSRPM;
}

double PSModel::measureReference()
{
    // Formed like the per-tick test value (scaled average, two decimals), so that recording
    // begins at the step rather than at the first tick. With a function generator the test
    // does not use it: at Start the generator's first potential may not be applied yet.
    const int count = readingCount(m_settings.PSAccum);
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += m_instruments.ADRead(0) * m_settings.PSXScale;
    m_referenceRaw = sum / count;
    m_held = m_referenceRaw;
    return roundTo(m_referenceRaw, 2);
}

void PSModel::takeSample(std::array<double, 3> &r)
{
    const Settings &s = m_settings;
    const double elapsed = elapsedMs(startTick(), nowTick());
    double v = m_instruments.ADRead(0) * s.PSXScale;
    m_latest = v;
    double i = m_instruments.ADRead(1) * s.PSYScale;
    double t = elapsed;
    // One round, then (accumulation - 1, rounded) more.
    const int count = 1 + std::max(0, roundHalfEven(s.PSAccum - 1));
    for (int k = 1; k < count; ++k) {
        i += m_instruments.ADRead(1) * s.PSYScale;
        t += elapsed;
        if (!isRecording()) {
            m_latest = m_instruments.ADRead(0) * s.PSXScale;
            v += m_latest;
        }
    }
    r = {t / count, i / count, 0};
    m_potential = v / count;
}

bool PSModel::recordingBegins(const std::array<double, 3> &)
{
    bool step = false;
    if (!generatorControlled()) {
        step = roundTo(m_potential, 2) != referencePotential() &&
               std::fabs(m_potential - m_referenceRaw) > kMinStep;
    } else if (m_settings.PSV0 != m_settings.PSV1) {
        // The generator's step: the potential is now nearer the second potential than the first.
        step = std::fabs(m_potential - m_settings.PSV1) < std::fabs(m_potential - m_settings.PSV0);
    } else {
        // Nothing to detect; the hold time alone decides.
        step = elapsedMs(startTick(), nowTick()) > m_settings.PSRetainTime * 1000.0;
    }
    if (!step)
        m_held = m_potential;
    return step;
}

void PSModel::onRecordingStarted()
{
    record(pointCount())[0] = 0;
    m_before = roundTo(m_held, 3);
    // The step may fall inside the tick's readings: the latest one is after it.
    m_after = roundTo(m_latest, 3);
    m_stepSeen = true;
}

bool PSModel::drawsLive() const
{
    return runSamplingRate() < kLiveDrawingRate && m_settings.PSGraphOn == 1;
}

void PSModel::afterSample()
{
    const int n = pointCount();
    if (drawsLive()) {
        setRemainingText(formatPattern(m_charge, "#0.00000") + QStringLiteral("C ") +
                         formatPattern(record(n)[0] / 1000.0, "####0.0") + QStringLiteral("s"));
    }
    if (n > 0)
        m_charge += trapezoidCharge(record(n - 1)[0], record(n - 1)[1], record(n)[0], record(n)[1]);
    m_lastCurrent = record(n)[1];
    // A division of 0 or below would stop the timer or run it backwards; such a rate stays.
    if (m_fields.samplingMode == 1 && m_settings.PSSamplinDivision > 0)
        setRunSamplingRate(runSamplingRate() / m_settings.PSSamplinDivision);
}

QString PSModel::endsOnlyByHand() const
{
    if (m_fields.method != ByCharge)
        return MeasurementModel::endsOnlyByHand();
    if (const QString waiting = waitsForHandStart(); !waiting.isEmpty())
        return waiting;
    // A step's current keeps its sign: a charge that runs cathodic only moves further from the
    // limit, which is never below 0. A few points pass the charging spike first.
    if (state() != Measuring || stopRequested() || !isRecording() || pointCount() < 3 ||
        !(m_charge < 0 && m_lastCurrent < 0))
        return {};
    return QStringLiteral("its current is cathodic, so its charge (%1 C) only moves away from the "
                          "%2 C it ends at")
        .arg(formatGeneral(m_charge), formatGeneral(m_settings.PSCoulomb));
}

void PSModel::checkEnd(std::uint32_t elapsed)
{
    switch (m_fields.method) {
    case ByTime:
        if (runLength() < elapsed)
            requestStop(true);
        break;
    case ByButton:
        setRunLength(elapsed);
        break;
    default:
        // Signed: a cathodic run's negative charge never passes the limit.
        if (m_settings.PSCoulomb < m_charge)
            requestStop(true);
        break;
    }
}

void PSModel::beforeStore()
{
    redrawLive();
}

void PSModel::storeFields(TrackHeader &h)
{
    h.Vxmin = plotRange().xmin / 1000.0;
    h.Vxmax = plotRange().xmax / 1000.0;
    h.DiskYscale = m_settings.PSYScale;
    h.RingYscale = 0;
    // Without a step both potentials are the one that was held.
    h.V1st = m_stepSeen ? m_before : roundTo(m_held, 3);
    h.V2nd = m_stepSeen ? m_after : roundTo(m_held, 3);
}

void PSModel::storePoints(TrackStore &store, int t)
{
    double *time = store.data.column(0, t);
    double *current = store.data.column(1, t);
    for (int p = 0; p < pointCount(); ++p) {
        time[p] = record(p)[0] / 1000.0;
        current[p] = record(p)[1];
    }
}

void PSModel::resetMonitor()
{
    m_monitor.clear(m_context.monitorGraph, {QStringLiteral("Voltage Monitor /V"),
                                             QStringLiteral("0.00"), QStringLiteral("0.0#e+00")});
}

void PSModel::monitorStep()
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

void PSModel::rpmEdited(double value)
{
    m_context.app.store[targetTrack()].RPM = value;
    m_context.app.store.markChanged();
}

} // namespace tervo
