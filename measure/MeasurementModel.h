#pragma once

#include "MeasureContext.h"
#include "plot/LivePlot.h"
#include "plot/PlotRanges.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tervo {

// The pattern every measurement window follows: a sampling timer from opening to closing, a
// monitor state that shows the present potential and current, and a measuring state in which
// each tick takes one averaged sample, waits for the start condition, appends and draws the
// point and tests the end conditions; finishing stops the instruments and stores the run in the
// target track. A window supplies what differs through the hooks below.
class MeasurementModel : public QObject {
    Q_OBJECT
public:
    enum State { Monitor = 1, Measuring = 2 };
    // The highest sampling rate of the windows that cap it (Hz).
    static constexpr double kMaxSamplingRate = 1000;
    // The most readings averaged per sample: more would hold the interface for seconds per tick.
    static constexpr double kMaxAccumulation = 100000;

    explicit MeasurementModel(MeasureContext &context, QObject *parent = nullptr);
    ~MeasurementModel() override;

    // Loads the window: the target track goes back to 0, the boards are opened in order; on a
    // failure the window's message is shown and false returned (the window then closes). On
    // success the monitor timer runs.
    bool open();
    // The one entry of every public operation: a window that is not loaded (never shown, quit,
    // or its boards failed) is loaded and initialised first, as a macro expects. False when its
    // boards cannot be opened.
    bool ensureOpen() { return m_opened || open(); }
    bool isOpen() const { return m_opened; }
    // One timer tick: the monitor or the measuring step. The timer is off while it works.
    void tick();
    // How Start treats tracks the run would write that hold data.
    enum class Occupied {
        Replace, // a macro names its tracks: they are replaced
        Ask,     // the Start button asks first, before anything is programmed
    };
    // The Start button and StartMeasurement: loads the window when needed; refused (with the
    // board message) when its boards cannot be opened, and while another run is in progress
    // anywhere. MeasurementRunning is set only for a run whose timer ticks. Returns the tracks
    // holding data that the started run replaces; empty when no run started.
    QList<int> start(Occupied occupied = Occupied::Replace);
    // The Stop button: the run finishes at the next tick.
    void stop();
    // Stop followed by the finishing tick at once: a run in progress is stored now.
    void stopNow();
    // The window is closing: a run in progress is finished and stored now, the timer stops.
    void closeWindow();
    // "Clear V mon.": empties the monitor ring and its range.
    void clearMonitor();

    // The timer drives tick() when running; tests call tick() themselves instead.
    void setTimerDriven(bool driven);
    int timerIntervalMs() const;
    bool timerEnabled() const { return m_timerEnabled; }
    // True while a timer tick is at work (its changes come at the sampling rate).
    bool ticking() const { return m_inTick || m_reportingTick; }

    int state() const { return m_state; }
    bool isRecording() const { return m_recording; }
    bool stopRequested() const { return m_stopRequested; }
    int pointCount() const { return m_n; }
    std::uint32_t runLength() const { return m_runLength; }
    int targetTrack() const { return m_targetTrack; }
    // The mode code of the track a run of this window becomes.
    int runMode() const { return modeCode(); }
    // The header the run in progress would be stored with now (points and range aside).
    TrackHeader runHeader();
    // A second track that takes every sample of the run as well (SSVAll), -1 when none, and its
    // samples so far.
    virtual int companionTrack() const { return -1; }
    virtual const std::vector<std::array<double, 3>> *companionPoints() const { return nullptr; }
    const PlotRange &plotRange() const { return livePlot().range(); }
    QString remainingText() const { return m_remainingText; }
    QString monitorText() const { return m_monitorText; }
    // What the window had to say about the last run (the rotation rate it could not hold);
    // Start clears it.
    QString noticeText() const { return m_noticeText; }
    bool startEnabled() const { return m_state == Monitor; }
    // Why the run in progress can end only by Stop or by a hand at the instruments; empty when
    // it ends by itself. A series that runs unattended ends such a run at once.
    virtual QString endsOnlyByHand() const;

    // The target track: clamped to 0..20 (the caller's variable receives it) and shown.
    void SelTrack(std::int32_t &track);
    // The track up-down: wraps 0..20.
    void stepTargetTrack(int delta);
    // Fields that showing the target track fills: title and rotation rate of an occupied track.
    QString titleField;
    QString rpmField;
    QString targetModeCaption() const;

    // The sampling fields every window has (a window without a retain time ignores it).
    struct Acquisition {
        double samplingRate = 1;
        double accum = 1;
        double retainTime = 0;
    };
    const Acquisition &acquisition() const { return m_acquisition; }

    // The one way into each field, for the boxes and the macros alike; each returns the value
    // it kept.
    double setSamplingRate(double value);
    double setAccumulation(double value);
    double setRetainTime(double seconds);

    // Shared public operations of the measurement windows.
    void Title(const QString &text);
    void rpm(QString &text);
    void RetainTime(std::int32_t &seconds);
    void SamplingRate(double rate);
    void Accumlation(std::int32_t count);

signals:
    // Labels, fields or state changed: the view refreshes.
    void changed();
    // The analog board stopped answering: a run was finished and stored, the message shown and
    // the window closed.
    void boardFailed();
    // The run was stored in this track.
    void stored(int track);
    // A notice for the operator that must not hold up the run; a macro logs it.
    void notice(const QString &text);
    // A Start was refused, or a run ended before its time: a device failed or the window was
    // closed mid-run.
    void runFailed();

protected:
    Acquisition m_acquisition;

    // The rules the windows share: a current scale <= 0 becomes 1e-05, a negative scan rate
    // 0.001 and a cycle count below 1 becomes 1.
    static double keptScale(double value) { return value > 0 ? value : 1e-05; }
    static double keptScanRate(double value) { return value < 0 ? 0.001 : value; }
    static double keptCycles(double value) { return value < 1 ? 1 : value; }

    // The readings one sample takes at an accumulation setting: the setting rounded, halves to
    // the even neighbour, at least one. An average divides by the readings it summed, never by
    // the setting, which may be a fraction.
    static int readingCount(double accum);
    // The mean of readingCount(accum) readings of an input, each times scale.
    double averagedReading(int input, double accum, double scale);

    // What sets a window's run apart, as its state stands now.
    struct RunTraits {
        // Windows that drive no function generator, output board or rotator say false.
        bool drivesInstruments = true;
        // The run's times count from the tick at which recording began, or else from Start.
        bool timesFromRecordingStart = true;
        // Recorded points are drawn as they come; otherwise only the range follows them.
        bool drawsLive = true;
        // Every recorded tick takes a new point; otherwise the window advances the point itself
        // (advancePoint()) and the ticks between overwrite the same one.
        bool advancesEachTick = true;
        // The run ends by itself at the run length (otherwise by the button), as checkEnd()
        // tests by default.
        bool endsByItself = false;
        // A run stopped before recording began is stored all the same.
        bool storesWithoutRecording = false;
        // A stored run moves the target track on by one.
        bool advancesTargetTrack = true;
        // Settings that make sampling impossible: the ticks stay idle.
        bool frozen = false;
        // During a run the rate copied at Start (runSamplingRate()) paces the timer, not the
        // field.
        bool holdsRateDuringRun = false;
        // Sampling-rate edits are capped at kMaxSamplingRate.
        bool capsSamplingRate = false;
        // Sampling rate and accumulation are kept as given, a 0 included (it freezes the
        // window); the timer follows the rate only from the next Start.
        bool keepsAcquisitionAsGiven = false;
        // The monitor draws on both graph windows.
        bool monitorsBothGraphs = false;
        // The run turns the rotator through a series of rates rather than holding one.
        bool sweepsRotationRate = false;
    };

    // The tracks a run writes or empties, and whether it may go to other tracks instead.
    struct RunTracks {
        int first = 0;
        int count = 1;
        bool movable = true;
    };

    // ---- What each window supplies
    virtual RunTraits traits() const { return {}; }
    // By default the target track alone.
    virtual RunTracks runTracks() const { return {m_targetTrack, 1, true}; }
    // Why a run cannot start as the fields stand (shown at Start); empty when it can.
    virtual QString startRefusal() const { return {}; }
    virtual int modeCode() const = 0;
    virtual QString adBoardMessage() const { return QStringLiteral("AD Board Trouble!"); }
    virtual QString gpibMessage() const { return QStringLiteral("GPIB Trouble!"); }
    virtual QString daBoardMessage() const { return QStringLiteral("DA Board Trouble!"); }
    // Copies the fields into the settings and returns the planned run length in ms.
    virtual std::uint32_t beginRun() = 0;
    virtual PlotRange initialRange() const = 0;
    // Title and formats of the result graph before the run.
    virtual void prepareResultGraph() = 0;
    // The graphs at Start; by default the result graph gets its title and formats, and the live
    // plot the initial range.
    virtual void prepareGraphs();
    virtual void programGenerator() = 0;
    virtual std::int32_t rotationRate() const = 0;
    virtual double measureReference() = 0;
    virtual void takeSample(std::array<double, 3> &record) = 0;
    // Whether the sample begins the recording. By default: with a function generator once the
    // retain time has passed, without one when sweepHasStarted() says so.
    virtual bool recordingBegins(const std::array<double, 3> &record);
    // Without a function generator: the sample's quantised potential left the reference.
    virtual bool sweepHasStarted(const std::array<double, 3> &) const { return false; }
    // Part of endsOnlyByHand(): without a function generator recording waits for the
    // potentiostat to be started by hand; empty when the run is not waiting so.
    QString waitsForHandStart() const;
    virtual void onRecordingStarted() {}
    // Range test and live drawing of a recorded point (n not yet advanced). By default the live
    // traces of the point.
    virtual void updateLive(const std::array<double, 3> &record);
    // After the point was appended (n not yet advanced).
    virtual void afterSample() {}
    // The end test after a recorded point; by default traits().endsByItself decides between
    // the run length and the button.
    virtual void checkEnd(std::uint32_t elapsed);
    virtual void showRemaining(std::uint32_t elapsed);
    // Before storing: the full redraw of the result graph.
    virtual void beforeStore() {}
    // Formats of a full redraw of the live plots.
    virtual void onFullRedraw() {}
    virtual void storeFields(TrackHeader &h) = 0;
    // The recorded points into the target track; by default the three buffer columns.
    virtual void storePoints(TrackStore &store, int track);
    // Writes the finished run into the track store.
    virtual void storeRun();
    // Header fields the run left empty, from the simulated cell.
    void fillFromCell(TrackHeader &h) const;
    // The header fields storeRun gives the run's track.
    void fillRunHeader(TrackHeader &h);
    // The rotation rate a track of this run stores: the rate the rotator was actually set to
    // (the calibration clamps the rate asked for) or, where the window measures it, the mean
    // rate over the recording when that strays from the set rate.
    double storedRpm() const;
    // The rate the rotator was set to at Start (0 where the motor was switched off); none when
    // rotation is not controlled.
    std::optional<double> runRpm() const { return m_runRpm; }
    // A window that measures the rotation rate while recording: the mean of what it measured,
    // when it strays from the rate the rotator was set to.
    virtual std::optional<double> measuredMeanRpm() const { return std::nullopt; }
    // Shows a notice in the window and hands it to a macro's log.
    void notify(const QString &text);
    // Finishing a run: by default the generator stops and the rotator goes to 0 rpm.
    virtual void stopInstruments();
    // The rotation-rate field was left (or set by rpm) with this value.
    virtual void rpmEdited(double) {}
    // Before the boards are opened (a warning of the window).
    virtual void beforeOpen() {}
    // After a run was finished and the state is back to monitor.
    virtual void afterFinish() {}
    // Monitor channels (raw volts) for the monitor step, and its display.
    virtual void monitorStep() = 0;
    virtual void resetMonitor() {}
    // The clear-monitor button; by default the monitor is reset as when the window opens.
    virtual void restartMonitor() { resetMonitor(); }

    // ---- Helpers for the windows
    // A buffer column drawn live against column 0 on one graph.
    struct LiveTrace {
        LivePlot plot;
        int column = 1;
        int colour = 0;
    };
    // By default one trace: column 1 in light red on the result graph.
    void setLiveTraces(std::vector<LiveTrace> traces) { m_traces = std::move(traces); }
    LivePlot &livePlot(std::size_t trace = 0) { return m_traces[trace].plot; }
    const LivePlot &livePlot(std::size_t trace = 0) const { return m_traces[trace].plot; }
    // A live trace's graph prepared at Start: title, y format, cleared, the view over range,
    // shown.
    void prepareLiveGraph(std::size_t trace, const QString &title, const PlotRange &range);
    // What a figure of a live graph names its curves by: the title of the run's track.
    virtual LivePlot::Legend liveLegend(std::size_t trace) const;
    QString legendTitle(const QString &title, int track) const;
    // Draws buffer point index on every trace, redrawing a trace whose range grew.
    void drawLivePoint(int index, bool forceRedraw = false);
    // Every trace drawn again from the recorded points.
    void redrawLive();
    // The rate as copied at Start, which paces a run that holds it.
    double runSamplingRate() const { return m_run.samplingRate; }
    void setRunSamplingRate(double rate) { m_run.samplingRate = rate; }
    // Takes the next point: n advances, and a full buffer ends the run.
    void advancePoint();
    // Ends the run at the next tick; sound when it ended by itself.
    void requestStop(bool playSound);
    void setRunLength(std::uint32_t ms) { m_runLength = ms; }
    void setStartTick(std::uint32_t tick) { m_startTick = tick; }
    void setRemainingText(const QString &text) { m_remainingText = text; }
    void setMonitorText(const QString &text) { m_monitorText = text; }
    bool generatorControlled() const;
    double referencePotential() const { return m_reference; }
    std::uint32_t nowTick() const { return m_nowTick; }
    std::uint32_t startTick() const { return m_startTick; }
    std::array<double, 3> &record(int i)
    {
        return m_context.app.AcquisitionBuffer[static_cast<std::size_t>(i)];
    }
    void updateTimerInterval();
    // A device failed during a run: the run ends as at Stop (what was recorded is stored, the
    // instruments are stopped, the one-run flag is cleared) and the operator is told why.
    void endRunOnFault(const QString &message);

    MeasureContext &m_context;
    Settings &m_settings;
    Instruments &m_instruments;

private:
    void measuringStep();
    void finishRun();
    // Claims the graphs the run draws on, or lets them go when it ends (its curves stay).
    void holdGraphs(bool drawing);
    // The analog board stopped answering.
    void failBoard();
    // A command the generator's route did not deliver ends the run.
    void checkGeneratorRoute();
    void setTargetTrack(int track);
    void redrawTrace(LiveTrace &trace);
    void setTimerEnabled(bool enabled);
    void showTargetTrack();
    // The rotator was asked for one rate at Start and RpmSet set it to another.
    void noteRotatorRate(std::int32_t asked, std::int32_t set);

    QTimer m_timer;
    bool m_timerDriven = true;
    bool m_timerEnabled = false;
    bool m_inTick = false;
    bool m_reportingTick = false;
    std::uint32_t m_due = 0; // clock tick at which the timer's next tick is due
    bool m_opened = false;
    int m_state = Monitor;
    bool m_stopRequested = false;
    bool m_recording = false;
    bool m_endedByRunLength = false;
    bool m_drewLast = false;
    std::uint32_t m_startTick = 0;
    std::uint32_t m_nowTick = 0;
    std::uint32_t m_runLength = 0;
    int m_n = 0;
    double m_reference = 0;
    int m_targetTrack = 0;
    Acquisition m_run;
    std::vector<LiveTrace> m_traces;
    QString m_remainingText;
    QString m_monitorText;
    QString m_noticeText;
    std::optional<double> m_runRpm;
    bool m_rpmChanged = false; // the rotator could not be set to the rate the field asks for
};

// 1000 / rate in whole ms, halves to the even neighbour (at least 1 ms).
int timerIntervalFor(double samplingRate);

} // namespace tervo
