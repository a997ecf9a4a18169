#include "MeasurementModel.h"

#include "core/DateText.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/Tables.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

QString rpmText(double rpm)
{
    return QString::number(rpm, 'f', 0);
}

} // namespace

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
    m_traces.push_back({LivePlot(&context.resultGraph), 1, kLightRed});
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
    if (traits().drivesInstruments) {
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
    m_context.monitorGraph.Show();
    if (traits().monitorsBothGraphs)
        m_context.resultGraph.Show();
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
    const bool held = m_state == Measuring && traits().holdsRateDuringRun;
    return timerIntervalFor(held ? m_run.samplingRate : m_acquisition.samplingRate);
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
    const bool idle = traits().frozen && !(m_state == Measuring && m_stopRequested);
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

QList<int> MeasurementModel::start(Occupied occupied)
{
    if (!ensureOpen()) {
        emit runFailed();
        return {};
    }
    Prompts &prompts = m_context.app.prompts;
    const auto otherRunning = [&] {
        if (m_context.app.MeasurementRunning)
            prompts.message(QStringLiteral("Please terminate other mesurement!"));
        return m_context.app.MeasurementRunning;
    };
    if (otherRunning()) {
        emit runFailed();
        return {};
    }
    if (const QString refusal = startRefusal(); !refusal.isEmpty()) {
        prompts.message(refusal);
        emit runFailed();
        return {};
    }
    const TrackStore &store = m_context.app.store;
    RunTracks tracks = runTracks();
    if (occupied == Occupied::Ask) {
        const int first =
            askBeforeReplacing(prompts, store, tracks.first, tracks.count, tracks.movable);
        // Another run may have begun while the question was open.
        if (first < 0 || otherRunning())
            return {};
        if (first != tracks.first) {
            // The fields keep what was typed for this run.
            m_targetTrack = first;
            tracks = runTracks();
        }
    }
    QList<int> replaced;
    for (int t = tracks.first; t < tracks.first + tracks.count && t < kUserTracks; ++t)
        if (!store.isVacant(t))
            replaced << t;
    m_context.app.MeasurementRunning = true;
    (void)m_instruments.takeRouteFault(); // a failure before this run is not this run's
    m_stopRequested = false;
    m_endedByRunLength = false;
    m_drewLast = false;
    setTimerEnabled(false);
    m_n = 0;
    m_run = m_acquisition;
    m_noticeText.clear();
    m_runRpm.reset();
    m_rpmChanged = false;
    m_runLength = beginRun();
    prepareGraphs();
    holdGraphs(true);
    if (traits().drivesInstruments) {
        if (generatorControlled()) {
            programGenerator();
            m_instruments.FGStart();
        }
        const std::int32_t asked = rotationRate();
        std::int32_t rpm = asked;
        m_instruments.RpmSet(rpm);
        noteRotatorRate(asked, rpm);
    }
    m_recording = false;
    m_startTick = m_context.app.clock.tickCount();
    m_reference = measureReference();
    m_state = Measuring;
    m_remainingText.clear();
    setTimerEnabled(true);
    checkGeneratorRoute();
    emit changed();
    return replaced;
}

void MeasurementModel::noteRotatorRate(std::int32_t asked, std::int32_t set)
{
    m_runRpm = m_instruments.rpmAfterSet(set);
    if (!m_runRpm || traits().sweepsRotationRate || *m_runRpm == asked)
        return;
    m_rpmChanged = true;
    const std::vector<RpmRow> &table = m_instruments.rpmTable();
    const QString range =
        QStringLiteral("RPM %1 is outside the rotator's calibration (%2 to %3 rpm): ")
            .arg(asked)
            .arg(rpmText(table.front().rpm), rpmText(table.back().rpm));
    if (*m_runRpm == 0)
        notify(range +
               QStringLiteral("the motor is off for this run, and the track stores 0 rpm."));
    else
        notify(range + QStringLiteral("the rotator turns at %1 rpm for this run, and the track "
                                      "stores %1 rpm.")
                           .arg(rpmText(*m_runRpm)));
}

void MeasurementModel::notify(const QString &text)
{
    m_noticeText = text;
    emit notice(text);
    emit changed();
}

void MeasurementModel::prepareGraphs()
{
    prepareResultGraph();
    livePlot().setLegend(liveLegend(0));
    livePlot().reset(initialRange());
    livePlot().graph().Show();
}

void MeasurementModel::prepareLiveGraph(std::size_t trace, const QString &title,
                                        const PlotRange &range)
{
    Graph &g = livePlot(trace).graph();
    g.SetTitle(title);
    g.SetYFormat(QStringLiteral("0.0e+0"));
    g.Cls();
    livePlot(trace).setLegend(liveLegend(trace));
    livePlot(trace).reset(range);
    g.Show();
}

QString MeasurementModel::legendTitle(const QString &title, int track) const
{
    return title.isEmpty() ? QStringLiteral("Track %1").arg(track) : title;
}

LivePlot::Legend MeasurementModel::liveLegend(std::size_t trace) const
{
    const LiveTrace &t = m_traces[trace];
    QString title = legendTitle(titleField, m_targetTrack);
    if (t.column == 2)
        title += QStringLiteral(" (ring)");
    return {{title, paletteColor(t.colour)}};
}

void MeasurementModel::holdGraphs(bool drawing)
{
    // The graph windows are shared: while the run draws, other windows' monitors stay off them.
    std::vector<Graph *> graphs{&m_context.resultGraph};
    for (LiveTrace &t : m_traces)
        graphs.push_back(&t.plot.graph());
    for (Graph *g : graphs) {
        if (drawing)
            g->claim(this, true);
        else
            g->release(this);
    }
}

void MeasurementModel::stop()
{
    if (m_state != Measuring)
        return;
    m_stopRequested = true;
    m_runLength = elapsedMs(m_startTick, m_context.app.clock.tickCount());
    emit changed();
}

void MeasurementModel::stopNow()
{
    if (m_state != Measuring)
        return;
    // Nothing recorded is lost and the instruments and the one-run flag are released.
    stop();
    m_nowTick = m_context.app.clock.tickCount();
    finishRun();
    checkGeneratorRoute();
}

void MeasurementModel::closeWindow()
{
    const bool measuring = m_state == Measuring;
    stopNow();
    if (measuring)
        emit runFailed();
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
        if (traits().timesFromRecordingStart)
            m_startTick = m_context.app.clock.tickCount();
        onRecordingStarted();
    }
    if (!m_recording)
        return;
    updateLive(r);
    afterSample();
    if (m_state != Measuring) // the sample showed a failed device
        return;
    if (traits().advancesEachTick) {
        advancePoint();
        if (m_stopRequested)
            return;
    }
    checkEnd(elapsedMs(m_startTick, m_nowTick));
}

QString MeasurementModel::waitsForHandStart() const
{
    if (m_state != Measuring || m_stopRequested || m_recording || generatorControlled())
        return {};
    return QStringLiteral("without a function generator recording waits for the potentiostat's "
                          "own sweep, which only a hand starts");
}

QString MeasurementModel::endsOnlyByHand() const
{
    if (m_state != Measuring || m_stopRequested)
        return {};
    if (const QString waiting = waitsForHandStart(); !waiting.isEmpty())
        return waiting;
    return traits().endsByItself ? QString() : QStringLiteral("it ends by the Stop button only");
}

bool MeasurementModel::recordingBegins(const std::array<double, 3> &r)
{
    if (generatorControlled())
        return elapsedMs(m_startTick, m_nowTick) > roundHalfEven(m_run.retainTime) * 1000.0;
    return sweepHasStarted(r);
}

void MeasurementModel::updateLive(const std::array<double, 3> &r)
{
    if (traits().drawsLive) {
        // Drawing that resumes after ticks without it (a slowing sampling rate) starts with a
        // full redraw: the view still shows the range of the last drawn point.
        drawLivePoint(m_n, m_n > 0 && !m_drewLast);
        m_drewLast = true;
        return;
    }
    m_drewLast = false;
    for (LiveTrace &t : m_traces)
        t.plot.extend(r[0], r[static_cast<std::size_t>(t.column)]);
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
    if (traits().endsByItself) {
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

void MeasurementModel::drawLivePoint(int index, bool forceRedraw)
{
    const std::array<double, 3> &r = record(index);
    for (LiveTrace &t : m_traces) {
        t.plot.add(
            r[0], r[static_cast<std::size_t>(t.column)], paletteColor(t.colour),
            [this, &t] { redrawTrace(t); }, forceRedraw);
    }
}

void MeasurementModel::redrawTrace(LiveTrace &t)
{
    onFullRedraw();
    t.plot.setView();
    const QRgb colour = paletteColor(t.colour);
    const auto column = static_cast<std::size_t>(t.column);
    for (int i = 0; i < m_n; ++i)
        t.plot.mark(record(i)[0], record(i)[column], colour);
}

void MeasurementModel::redrawLive()
{
    for (LiveTrace &t : m_traces)
        redrawTrace(t);
}

void MeasurementModel::stopInstruments()
{
    if (!traits().drivesInstruments)
        return;
    if (generatorControlled())
        m_instruments.FGStop();
    std::int32_t zero = 0;
    m_instruments.RpmSet(zero);
}

void MeasurementModel::failBoard()
{
    const bool measuring = m_state == Measuring;
    if (measuring) {
        stop();
        m_nowTick = m_context.app.clock.tickCount();
        finishRun();
    }
    m_context.app.prompts.message(adBoardMessage());
    m_opened = false;
    setTimerEnabled(false);
    emit boardFailed();
    if (measuring)
        emit runFailed();
}

void MeasurementModel::endRunOnFault(const QString &message)
{
    const bool measuring = m_state == Measuring;
    if (measuring) {
        stop();
        m_nowTick = m_context.app.clock.tickCount();
        finishRun();
    }
    // Stopping the generator over a broken route fails again; one message says it all.
    (void)m_instruments.takeRouteFault();
    m_context.app.prompts.message(message);
    if (measuring)
        emit runFailed();
}

void MeasurementModel::checkGeneratorRoute()
{
    if (m_instruments.routeFaulty())
        endRunOnFault(m_instruments.takeRouteFault());
}

void MeasurementModel::finishRun()
{
    stopInstruments();
    const RunTraits run = traits();
    if (m_recording || run.storesWithoutRecording) {
        beforeStore();
        storeRun();
        if (run.advancesTargetTrack)
            setTargetTrack(wrapTrack(m_targetTrack + 1));
    }
    m_state = Monitor;
    m_stopRequested = false;
    m_recording = false;
    m_context.app.MeasurementRunning = false;
    holdGraphs(false);
    afterFinish();
    emit changed();
}

void MeasurementModel::storeRun()
{
    TrackStore &store = m_context.app.store;
    const int t = m_targetTrack;
    fillRunHeader(store[t]);
    storePoints(store, t);
    store.markChanged();
    emit stored(t);
    m_context.showTrack(t);
}

void MeasurementModel::fillRunHeader(TrackHeader &h)
{
    h.Mode = modeCode();
    h.Title = titleField;
    h.MeasTime = generalDateText(m_context.now());
    const PlotRange &range = plotRange();
    h.Vxmin = range.xmin;
    h.Vymin = range.ymin;
    h.Vxmax = range.xmax;
    h.Vymax = range.ymax;
    h.RPM = storedRpm();
    if (measuredMeanRpm())
        notify(QStringLiteral("The rotator turned at %1 rpm on average, not at the %2 rpm it was "
                              "set to: the track stores %1 rpm.")
                   .arg(rpmText(h.RPM), rpmText(m_runRpm.value_or(0))));
    h.MaxTime = m_runLength;
    h.pnum = m_n;
    storeFields(h);
    fillFromCell(h);
}

TrackHeader MeasurementModel::runHeader()
{
    TrackStore &store = m_context.app.store;
    TrackHeader h = store[m_targetTrack];
    // Storing notes the run's point range in the Koutecky-Levich choices; a look must not.
    const KLSettings kl = store.kl;
    fillRunHeader(h);
    store.kl = kl;
    return h;
}

double MeasurementModel::storedRpm() const
{
    if (traits().sweepsRotationRate)
        return parseDecimal(rpmField);
    if (const std::optional<double> measured = measuredMeanRpm())
        return roundHalfEven(*measured);
    return m_rpmChanged ? *m_runRpm : parseDecimal(rpmField);
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
        rpmField = formatShort(h.RPM);
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

double MeasurementModel::setSamplingRate(double value)
{
    if (traits().keepsAcquisitionAsGiven)
        return m_acquisition.samplingRate = value;
    if (!(value > 0))
        value = 0.1;
    else if (traits().capsSamplingRate && value > kMaxSamplingRate)
        value = kMaxSamplingRate;
    m_acquisition.samplingRate = value;
    updateTimerInterval();
    return value;
}

double MeasurementModel::setAccumulation(double value)
{
    if (traits().keepsAcquisitionAsGiven)
        return m_acquisition.accum = value;
    return m_acquisition.accum = value >= 1 ? std::min(value, kMaxAccumulation) : 1;
}

double MeasurementModel::setRetainTime(double seconds)
{
    return m_acquisition.retainTime = seconds < 0 ? 0 : seconds;
}

void MeasurementModel::RetainTime(std::int32_t &seconds)
{
    ensureOpen();
    seconds = static_cast<std::int32_t>(setRetainTime(seconds));
}

void MeasurementModel::SamplingRate(double rate)
{
    ensureOpen();
    setSamplingRate(rate);
}

void MeasurementModel::Accumlation(std::int32_t count)
{
    ensureOpen();
    setAccumulation(count);
}

int MeasurementModel::readingCount(double accum)
{
    return std::max(1, roundHalfEven(accum));
}

double MeasurementModel::averagedReading(int input, double accum, double scale)
{
    const int count = readingCount(accum);
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += m_instruments.ADRead(input) * scale;
    return sum / count;
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
