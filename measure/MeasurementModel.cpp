#include "MeasurementModel.h"

#include "core/DateText.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"
#include "tracks/Tables.h"

#include <algorithm>
#include <cmath>

namespace tervo {

int timerIntervalFor(double samplingRate)
{
    if (!(samplingRate > 0))
        return 10000;
    return std::max(1, roundHalfEven(1000.0 / samplingRate));
}

MeasurementModel::MeasurementModel(MeasureContext &context, QObject *parent)
    : QObject(parent), m_context(context), m_settings(context.app.settings),
      m_instruments(context.instruments)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

MeasurementModel::~MeasurementModel() = default;

bool MeasurementModel::open()
{
    beforeOpen();
    m_targetTrack = 0;
    showTargetTrack();
    resetMonitor();
    if (m_instruments.ADOpen() != 0) {
        m_context.app.prompts.message(adBoardMessage());
        return false;
    }
    // A window that only reads inputs needs neither the GPIB route nor the output board.
    if (drivesInstruments()) {
        if (m_settings.GPIBControl > 0 && m_instruments.GPIBInit() != 0) {
            m_context.app.prompts.message(gpibMessage());
            return false;
        }
        if (m_settings.DABoard > 0 && m_instruments.DAOpen() != 0) {
            m_context.app.prompts.message(daBoardMessage());
            return false;
        }
    }
    m_opened = true;
    m_state = Monitor;
    showMonitorGraphs();
    setTimerEnabled(true);
    emit changed();
    return true;
}

void MeasurementModel::setTimerDriven(bool driven)
{
    m_timerDriven = driven;
    if (!driven)
        m_timer.stop();
    else if (m_timerEnabled)
        m_timer.start(timerIntervalMs());
}

int MeasurementModel::timerIntervalMs() const
{
    return timerIntervalFor(samplingRate());
}

void MeasurementModel::updateTimerInterval()
{
    if (m_timerEnabled && m_timerDriven)
        m_timer.start(timerIntervalMs());
}

void MeasurementModel::setTimerEnabled(bool enabled)
{
    const bool wasEnabled = m_timerEnabled;
    m_timerEnabled = enabled;
    if (!m_timerDriven)
        return;
    if (!enabled) {
        m_timer.stop();
        return;
    }
    // Ticks never overlap, but the next one is due one interval after the previous one was due,
    // not after this one's work ended, so the sampling rate holds. A tick that fell more than an
    // interval behind starts a fresh schedule instead of firing a burst.
    const int interval = timerIntervalMs();
    const std::uint32_t now = m_context.app.clock.tickCount();
    if (!wasEnabled && m_inTick) {
        m_due += static_cast<std::uint32_t>(interval);
        const auto late = static_cast<std::int32_t>(now - m_due);
        if (late > interval)
            m_due = now + static_cast<std::uint32_t>(interval);
    } else {
        m_due = now + static_cast<std::uint32_t>(interval);
    }
    const auto wait = static_cast<std::int32_t>(m_due - now);
    m_timer.start(std::max(0, wait));
}

void MeasurementModel::tick()
{
    if (!m_timerEnabled)
        return;
    setTimerEnabled(false);
    m_inTick = true;
    // A frozen window keeps its timer running but samples nothing; Stop still ends its run.
    const bool idle = frozen() && !(m_state == Measuring && m_stopRequested);
    if (!idle && m_state == Monitor) {
        monitorStep();
        if (m_instruments.adBoardFaulty())
            failBoard();
    } else if (!idle) {
        measuringStep();
        checkGeneratorRoute();
    }
    // A tick may have closed the window (a board failure) or ended the program's interest.
    if (m_opened)
        setTimerEnabled(true);
    m_inTick = false;
    m_reportingTick = true;
    emit changed();
    m_reportingTick = false;
}

bool MeasurementModel::generatorControlled() const
{
    return m_settings.GPIBControl > 0;
}

void MeasurementModel::start()
{
    if (!ensureOpen())
        return;
    if (m_context.app.MeasurementRunning) {
        m_context.app.prompts.message(QStringLiteral("Please terminate other mesurement!"));
        return;
    }
    m_context.app.MeasurementRunning = true;
    (void)m_instruments.takeRouteFault(); // a failure before this run is not this run's
    m_stopRequested = false;
    m_endedByRunLength = false;
    m_drewLast = false;
    setTimerEnabled(false);
    m_n = 0;
    m_runLength = beginRun();
    m_range = initialRange();
    prepareGraphs();
    if (drivesInstruments()) {
        if (generatorControlled()) {
            programGenerator();
            m_instruments.FGStart();
        }
        std::int32_t rpm = rotationRate();
        m_instruments.RpmSet(rpm);
    }
    m_recording = false;
    m_startTick = m_context.app.clock.tickCount();
    m_reference = measureReference();
    m_state = Measuring;
    m_remainingText.clear();
    setTimerEnabled(true);
    checkGeneratorRoute();
    emit changed();
}

void MeasurementModel::prepareGraphs()
{
    prepareResultGraph();
    Graph &g = m_context.resultGraph;
    const PlotRange w = WidenRange(m_range, 10);
    g.View(w.xmin, w.ymax, w.xmax, w.ymin);
    g.Axis(NiceStep(w.xmin, w.xmax), NiceStep(w.ymin, w.ymax), 0, axisLabel());
    g.Show();
    m_graphSize = {g.getSize().width, g.getSize().height};
}

void MeasurementModel::stop()
{
    if (m_state != Measuring)
        return;
    m_stopRequested = true;
    m_runLength = elapsedMs(m_startTick, m_context.app.clock.tickCount());
    emit changed();
}

void MeasurementModel::closeWindow()
{
    if (m_state == Measuring) {
        // Closing mid-run is Stop followed by the finishing tick: nothing recorded is lost and
        // the instruments and the one-run flag are released.
        stop();
        m_nowTick = m_context.app.clock.tickCount();
        finishRun();
        checkGeneratorRoute();
    }
    m_opened = false;
    setTimerEnabled(false);
}

void MeasurementModel::measuringStep()
{
    m_nowTick = m_context.app.clock.tickCount();
    if (m_stopRequested) {
        finishRun();
        return;
    }
    std::array<double, 3> &r = record(m_n);
    takeSample(r);
    // A board that stopped answering reads 0 V: the sample is not kept.
    if (m_instruments.adBoardFaulty()) {
        failBoard();
        return;
    }
    if (!m_recording && recordingBegins(r)) {
        m_recording = true;
        if (timesFromRecordingStart())
            m_startTick = m_context.app.clock.tickCount();
        onRecordingStarted();
    }
    if (!m_recording)
        return;
    updateLive(r);
    afterSample();
    if (m_state != Measuring) // the sample showed a failed device
        return;
    if (advancesEachTick()) {
        advancePoint();
        if (m_stopRequested)
            return;
    }
    checkEnd(elapsedMs(m_startTick, m_nowTick));
}

bool MeasurementModel::recordingBegins(const std::array<double, 3> &r)
{
    if (generatorControlled())
        return elapsedMs(m_startTick, m_nowTick) > retainTimeSeconds() * 1000.0;
    return sweepHasStarted(r);
}

void MeasurementModel::updateLive(const std::array<double, 3> &r)
{
    if (drawsLive()) {
        // Drawing that resumes after ticks without it (a slowing sampling rate) starts with a
        // full redraw: the view still shows the range of the last drawn point.
        extendLiveRange(r, m_n > 0 && !m_drewLast);
        m_drewLast = true;
        return;
    }
    m_drewLast = false;
    m_range = {std::min(m_range.xmin, r[0]), std::min(m_range.ymin, r[1]),
               std::max(m_range.xmax, r[0]), std::max(m_range.ymax, r[1])};
}

void MeasurementModel::advancePoint()
{
    if (m_state != Measuring || m_stopRequested)
        return;
    ++m_n;
    if (m_n >= kMaxPoints) {
        m_stopRequested = true;
        m_context.app.prompts.message(QStringLiteral("Buffer overflow!"));
    }
}

void MeasurementModel::requestStop(bool playSound)
{
    m_stopRequested = true;
    if (playSound) {
        m_endedByRunLength = true;
        m_context.sound.play(m_settings.SoundFileName);
    }
}

void MeasurementModel::checkEnd(std::uint32_t elapsed)
{
    if (endsByItself()) {
        if (m_runLength < elapsed)
            requestStop(true);
        else
            showRemaining(elapsed);
    } else {
        m_runLength = elapsed;
    }
}

void MeasurementModel::showRemaining(std::uint32_t elapsed)
{
    const double remaining = (static_cast<double>(m_runLength) - elapsed) / 1000.0;
    m_remainingText = QString::number(roundHalfEven(remaining));
}

void MeasurementModel::extendLiveRange(const std::array<double, 3> &r, bool forceRedraw)
{
    liveDraw(
        m_context.resultGraph, m_range, m_graphSize, r[0], r[1], kLightRed,
        [this] { redrawResult(kLightRed); }, forceRedraw);
}

void MeasurementModel::liveDraw(Graph &g, PlotRange &range, std::pair<int, int> &size, double x,
                                double y, int colour, const std::function<void()> &redraw,
                                bool forceRedraw)
{
    const PlotRange before = range;
    range.xmin = std::min(range.xmin, x);
    range.xmax = std::max(range.xmax, x);
    range.ymin = std::min(range.ymin, y);
    range.ymax = std::max(range.ymax, y);
    const std::pair<int, int> now{g.getSize().width, g.getSize().height};
    const bool grew = before.xmin != range.xmin || before.xmax != range.xmax ||
                      before.ymin != range.ymin || before.ymax != range.ymax;
    if (grew || now != size || forceRedraw) {
        size = now;
        // The range stays the extent of the data (it is what the track keeps); only the view
        // gets the margin, or every growth in y would widen x by a fifth again.
        redraw();
    }
    g.VPset(x, y, paletteColor(colour));
}

void MeasurementModel::setGraphView(Graph &g, const PlotRange &range)
{
    g.View(range.xmin, range.ymax, range.xmax, range.ymin);
    g.Axis(NiceStep(range.xmin, range.xmax), NiceStep(range.ymin, range.ymax), 0,
           QStringLiteral("/V"));
}

void MeasurementModel::drawResultPoint(int index, int colour)
{
    const std::array<double, 3> &r = record(index);
    m_context.resultGraph.VPset(r[0], r[1], paletteColor(colour));
}

void MeasurementModel::redrawResult(int colour)
{
    onFullRedraw();
    setGraphView(m_context.resultGraph, WidenRange(m_range, 10));
    for (int i = 0; i < m_n; ++i)
        drawResultPoint(i, colour);
}

void MeasurementModel::stopInstruments()
{
    if (!drivesInstruments())
        return;
    if (generatorControlled())
        m_instruments.FGStop();
    std::int32_t zero = 0;
    m_instruments.RpmSet(zero);
}

void MeasurementModel::failBoard()
{
    if (m_state == Measuring) {
        stop();
        m_nowTick = m_context.app.clock.tickCount();
        finishRun();
    }
    m_context.app.prompts.message(adBoardMessage());
    m_opened = false;
    setTimerEnabled(false);
    emit boardFailed();
}

void MeasurementModel::endRunOnFault(const QString &message)
{
    if (m_state == Measuring) {
        stop();
        m_nowTick = m_context.app.clock.tickCount();
        finishRun();
    }
    // Stopping the generator over a broken route fails again; one message says it all.
    (void)m_instruments.takeRouteFault();
    m_context.app.prompts.message(message);
}

void MeasurementModel::checkGeneratorRoute()
{
    if (m_instruments.routeFaulty())
        endRunOnFault(m_instruments.takeRouteFault());
}

void MeasurementModel::finishRun()
{
    stopInstruments();
    if (m_recording || storesWithoutRecording()) {
        beforeStore();
        storeRun();
        if (advancesTargetTrack())
            setTargetTrack(wrapTrack(m_targetTrack + 1));
    }
    m_state = Monitor;
    m_stopRequested = false;
    m_recording = false;
    m_context.app.MeasurementRunning = false;
    afterFinish();
    emit changed();
}

void MeasurementModel::storeRun()
{
    TrackStore &store = m_context.app.store;
    const int t = m_targetTrack;
    TrackHeader &h = store[t];
    h.Mode = modeCode();
    h.Title = titleField;
    h.MeasTime = generalDateText(m_context.now());
    h.Vxmin = m_range.xmin;
    h.Vymin = m_range.ymin;
    h.Vxmax = m_range.xmax;
    h.Vymax = m_range.ymax;
    h.RPM = parseDecimal(rpmField);
    h.MaxTime = m_runLength;
    h.pnum = m_n;
    storeFields(h);
    fillFromCell(h);
    storePoints(store, t);
    store.markChanged();
    emit stored(t);
    m_context.showTrack(t);
}

void MeasurementModel::fillFromCell(TrackHeader &h) const
{
    const std::optional<CellFacts> cell =
        m_context.cellFacts ? m_context.cellFacts() : std::nullopt;
    if (!cell)
        return;
    if (h.Conc == 0)
        h.Conc = cell->Conc;
    if (h.Area == 0)
        h.Area = cell->Area;
    // A cleared track carries ne 1.
    if (h.ne == 0 || h.ne == 1)
        h.ne = cell->ne;
}

void MeasurementModel::storePoints(TrackStore &store, int t)
{
    for (int c = 0; c < kColumns; ++c) {
        double *column = store.data.column(c, t);
        for (int p = 0; p < m_n; ++p)
            column[p] = record(p)[static_cast<std::size_t>(c)];
    }
}

void MeasurementModel::SelTrack(std::int32_t &track)
{
    ensureOpen();
    track = std::clamp(track, 0, kUserTracks - 1);
    setTargetTrack(track);
}

void MeasurementModel::setTargetTrack(int track)
{
    m_targetTrack = track;
    showTargetTrack();
}

void MeasurementModel::stepTargetTrack(int delta)
{
    m_targetTrack = wrapTrack(m_targetTrack + delta);
    showTargetTrack();
}

void MeasurementModel::showTargetTrack()
{
    const TrackHeader &h = m_context.app.store[m_targetTrack];
    if (h.Mode != ModeNone) {
        titleField = h.Title;
        rpmField = formatGeneral(h.RPM);
    } else {
        titleField.clear();
        rpmField.clear();
    }
    emit changed();
}

QString MeasurementModel::targetModeCaption() const
{
    return modeCaption(m_context.app.store[m_targetTrack].Mode);
}

void MeasurementModel::Title(const QString &text)
{
    ensureOpen();
    titleField = text;
}

void MeasurementModel::rpm(QString &text)
{
    ensureOpen();
    const double v = parseDecimal(text);
    if (v < 0)
        text = QStringLiteral("0");
    else if (v > 10000)
        text = QStringLiteral("10000");
    rpmField = text;
    rpmEdited(parseDecimal(text));
}

void MeasurementModel::clearMonitor()
{
    const bool was = m_timerEnabled;
    setTimerEnabled(false);
    restartMonitor();
    if (was)
        setTimerEnabled(true);
    emit changed();
}

} // namespace tervo
