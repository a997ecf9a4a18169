#include "MultipotentiostatModel.h"

#include "core/DateText.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"
#include "tracks/Tables.h"

#include <QCoreApplication>
#include <algorithm>

namespace tervo {

MultipotentiostatModel::MultipotentiostatModel(MeasureContext &context, QObject *parent)
    : MeasurementModel(context, parent)
{
    Settings &s = m_settings;
    if (s.MMAdch.size() < static_cast<std::size_t>(kSignals))
        s.MMAdch.resize(kSignals, 0);
    if (s.MMScale.size() < static_cast<std::size_t>(kSignals))
        s.MMScale.resize(kSignals, 0.0);
    m_fields.maxTime = s.MMMaxTime;
    m_acquisition.samplingRate = s.MMSamplingRate;
    m_acquisition.accum = s.MMAccum; // 0 is a setting of its own here: it freezes the window
    rebuildUsedInputs();
}

QString MultipotentiostatModel::adBoardMessage() const
{
    return QCoreApplication::translate("Measurement", "AD Board不良です");
}

QRgb MultipotentiostatModel::channelColour(int channel)
{
    return TrackColors()[static_cast<std::size_t>(channel % kChannels)];
}

int MultipotentiostatModel::input(int signal) const
{
    return std::clamp<int>(m_settings.MMAdch[static_cast<std::size_t>(signal)], 0, kMMInputs - 1);
}

void MultipotentiostatModel::inputChosen(int signal, int inputNumber)
{
    if (signal < 0 || signal >= kSignals)
        return;
    m_settings.MMAdch[static_cast<std::size_t>(signal)] =
        static_cast<std::int16_t>(std::clamp(inputNumber, 0, kMMInputs - 1));
    rebuildUsedInputs();
}

double MultipotentiostatModel::scale(int signal) const
{
    return m_settings.MMScale[static_cast<std::size_t>(signal)];
}

double MultipotentiostatModel::setScale(int signal, double value)
{
    if (signal < 0 || signal >= kSignals)
        return 0;
    return m_settings.MMScale[static_cast<std::size_t>(signal)] = value;
}

void MultipotentiostatModel::rebuildUsedInputs()
{
    m_used.fill(false);
    for (int j = 0; j < kSignals; ++j)
        m_used[static_cast<std::size_t>(input(j))] = true;
}

MeasurementModel::RunTraits MultipotentiostatModel::traits() const
{
    const double accum = state() == Measuring ? m_settings.MMAccum : m_acquisition.accum;
    return {.drivesInstruments = false,
            .timesFromRecordingStart = false,
            .drawsLive = m_settings.MMSamplingRate < kLiveDrawingRate,
            .advancesEachTick = m_fields.method != SamplingByButton,
            .endsByItself = m_fields.method == StopByTime,
            .storesWithoutRecording = true,
            .frozen = accum == 0,
            .holdsRateDuringRun = true,
            .keepsAcquisitionAsGiven = true};
}

QString MultipotentiostatModel::statusText() const
{
    if (traits().frozen)
        return QStringLiteral("Accumlation is 0: nothing is sampled.");
    return remainingText();
}

void MultipotentiostatModel::beforeOpen()
{
    m_fields.method = StopByTime;
    m_context.app.prompts.message(
        QStringLiteral("Once you push 'Start' button, Track 0 to 11's data will be lost!"));
}

void MultipotentiostatModel::sampling()
{
    if (state() == Measuring)
        advancePoint();
}

std::uint32_t MultipotentiostatModel::beginRun()
{
    Settings &s = m_settings;
    s.MMMaxTime = m_fields.maxTime;
    s.MMSamplingRate = m_acquisition.samplingRate;
    s.MMAccum = m_acquisition.accum;
    rebuildUsedInputs();
    if (m_points.empty()) {
        m_points.assign(static_cast<std::size_t>(kChannels * kMaxPoints), {0, 0});
        m_time.assign(static_cast<std::size_t>(kMaxPoints), 0);
    }
    const double ms = roundHalfEvenDouble(s.MMMaxTime * 1000.0);
    return ms > 0 ? (ms >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(ms)) : 0;
}

PlotRange MultipotentiostatModel::initialRange() const
{
    const double y = m_settings.PSYScale;
    return {-2, -0.01 * y, 10000, 0.01 * y};
}

void MultipotentiostatModel::prepareResultGraph()
{
    Graph &g = m_context.resultGraph;
    if (!g.isVisible())
        g.SetSize(5000, 5000, 1000, 1000);
    g.SetTitle(QStringLiteral("I-t Graph"));
    g.SetXFormat(QStringLiteral("0.0#e+00"));
    g.SetYFormat(QStringLiteral("0.0#e+00"));
}

LivePlot::Legend MultipotentiostatModel::liveLegend(std::size_t) const
{
    // Each channel is stored in the track of its number.
    LivePlot::Legend legend;
    for (int k = 0; k < kChannels; ++k)
        legend.push_back(
            {legendTitle(m_fields.titles[static_cast<std::size_t>(k)], k), channelColour(k)});
    return legend;
}

std::array<double, kMMInputs> MultipotentiostatModel::readInputs(double accum)
{
    std::array<double, kMMInputs> sum{};
    const int rounds = readingCount(accum);
    for (int k = 0; k < rounds; ++k)
        for (int i = 0; i < kMMInputs; ++i)
            if (m_used[static_cast<std::size_t>(i)])
                sum[static_cast<std::size_t>(i)] +=
                    m_instruments.ADRead(static_cast<std::uint8_t>(i));
    for (double &x : sum)
        x /= rounds;
    return sum;
}

void MultipotentiostatModel::takeSample(std::array<double, 3> &r)
{
    const std::array<double, kMMInputs> avg = readInputs(m_settings.MMAccum);
    const int n = pointCount();
    const double t = elapsedMs(startTick(), nowTick());
    m_time[static_cast<std::size_t>(n)] = t;
    for (int k = 0; k < kChannels; ++k) {
        const double v = avg[static_cast<std::size_t>(input(2 * k))] * scale(2 * k);
        const double i = avg[static_cast<std::size_t>(input(2 * k + 1))] * scale(2 * k + 1);
        m_points[static_cast<std::size_t>(k * kMaxPoints + n)] = {v, i};
        if (m_fields.currentMonitor)
            m_currentTexts[static_cast<std::size_t>(k)] = formatPattern(i, "0.00e+0");
    }
    r = {t, 0, 0};
}

void MultipotentiostatModel::updateLive(const std::array<double, 3> &r)
{
    const int n = pointCount();
    LivePlot &plot = livePlot();
    for (int k = 0; k < kChannels; ++k)
        plot.extend(r[0], point(k, n)[1]);
    if (!traits().drawsLive)
        return;
    if (plot.grown() || plot.resized())
        redraw();
    for (int k = 0; k < kChannels; ++k)
        plot.graph().VPset(r[0], point(k, n)[1], channelColour(k));
}

void MultipotentiostatModel::redraw()
{
    livePlot().setView();
    Graph &g = m_context.resultGraph;
    for (int k = 0; k < kChannels; ++k)
        for (int p = 0; p < pointCount(); ++p)
            g.VPset(time(p), point(k, p)[1], channelColour(k));
}

void MultipotentiostatModel::storeRun()
{
    TrackStore &store = m_context.app.store;
    const QString when = generalDateText(m_context.now());
    const int n = pointCount();
    for (int k = 0; k < kChannels; ++k) {
        TrackHeader &h = store[k];
        h.Mode = ModeMulti;
        h.Title = m_fields.titles[static_cast<std::size_t>(k)];
        h.MeasTime = when;
        h.Vxmin = plotRange().xmin / 1000.0;
        h.Vxmax = plotRange().xmax / 1000.0;
        h.Vymin = plotRange().ymin;
        h.Vymax = plotRange().ymax;
        h.RPM = 0;
        h.MaxTime = runLength();
        h.pnum = n;
        h.DiskYscale = scale(2 * k + 1);
        h.RingYscale = 0;
        double *v = store.data.column(0, k);
        double *i = store.data.column(1, k);
        double *t = store.data.column(2, k);
        for (int p = 0; p < n; ++p) {
            v[p] = point(k, p)[0];
            i[p] = point(k, p)[1];
            t[p] = time(p) / 1000.0;
        }
    }
    // The monitor of the original design lived in these tracks; they are vacant after a run.
    for (int k = kChannels; k < 2 * kChannels; ++k)
        store[k].Mode = ModeNone;
    store.markChanged();
    emit stored(0);
    m_context.showTrack(0);
}

void MultipotentiostatModel::resetMonitor()
{
    m_monitor.clear(m_context.monitorGraph,
                    {QStringLiteral("Voltage Monitor /V"), QStringLiteral("0.0#e+00"),
                     QStringLiteral("0.0#e+00")});
}

void MultipotentiostatModel::restartMonitor()
{
    m_monitor.restart(m_context.monitorGraph);
}

void MultipotentiostatModel::monitorStep()
{
    const std::array<double, kMMInputs> avg = readInputs(m_acquisition.accum);
    std::vector<std::array<double, 2>> points(kChannels);
    std::vector<QRgb> colours(kChannels);
    for (int k = 0; k < kChannels; ++k) {
        const double y = avg[static_cast<std::size_t>(input(2 * k + 1))];
        points[static_cast<std::size_t>(k)] = {avg[static_cast<std::size_t>(input(2 * k))], y};
        colours[static_cast<std::size_t>(k)] = channelColour(k);
        if (m_fields.currentMonitor)
            m_currentTexts[static_cast<std::size_t>(k)] = formatPattern(y, "0.00e+0");
    }
    m_monitor.add(m_context.monitorGraph, points, colours);
}

} // namespace tervo
