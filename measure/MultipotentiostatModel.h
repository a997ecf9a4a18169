#pragma once

#include "MeasurementModel.h"
#include "MonitorPlot.h"

#include <array>
#include <vector>

namespace tervo {

// The multipotentiostat window's logic: up to ten cells sampled on a common clock, each channel
// a potential and a current input chosen among 64, stored into tracks 0..9. Every input in use is
// read once per accumulation round, however many signals name it.
class MultipotentiostatModel : public MeasurementModel {
    Q_OBJECT
public:
    static constexpr int kChannels = 10;
    static constexpr int kSignals = 2 * kChannels;
    static constexpr int kMonitorLimit = 20000;
    static constexpr double kLiveDrawingRate = 20;

    enum Method { StopByTime = 0, StopByButton = 1, SamplingByButton = 2 };

    explicit MultipotentiostatModel(MeasureContext &context, QObject *parent = nullptr);

    struct Fields {
        std::array<QString, kChannels> titles;
        double maxTime = 600;
        int method = StopByTime;
        bool currentMonitor = false;
    };
    const Fields &fields() const { return m_fields; }

    // The one way into each field; each returns the value it kept.
    QString setTitle(int channel, const QString &title)
    {
        return m_fields.titles[static_cast<std::size_t>(channel)] = title;
    }
    double setMaxTime(double seconds) { return m_fields.maxTime = seconds; }
    int setMethod(int method) { return m_fields.method = method; }
    bool setCurrentMonitor(bool on) { return m_fields.currentMonitor = on; }

    // The input of signal j (2k: potential of channel k + 1, 2k + 1: its current), 0..63.
    int input(int signal) const;
    void inputChosen(int signal, int input);
    double scale(int signal) const;
    double setScale(int signal, double value);
    const std::array<bool, kMMInputs> &usedInputs() const { return m_used; }

    // The "Sampling" button: under "Sampling by button" the present point is kept.
    void sampling();

    // The channel labels of the Current Monitor ("0.00e+0"); with it off they keep their text.
    const std::array<QString, kChannels> &currentTexts() const { return m_currentTexts; }
    // Why the window does nothing, when it cannot sample.
    QString statusText() const;
    // Points of the run so far: (potential, current) of channel k at point p, time in ms.
    const std::array<double, 2> &point(int channel, int p) const
    {
        return m_points[static_cast<std::size_t>(channel * kMaxPoints + p)];
    }
    double time(int p) const { return m_time[static_cast<std::size_t>(p)]; }
    const MonitorPlot &monitor() const { return m_monitor; }

    static QRgb channelColour(int channel);

protected:
    // The inputs are only read; sampling stops by time or button, or takes a point per press.
    RunTraits traits() const override;
    // Channel k goes into track k and the ten tracks after them are emptied, whatever the
    // target.
    RunTracks runTracks() const override { return {0, 2 * kChannels, false}; }
    int modeCode() const override { return ModeMulti; }
    QString adBoardMessage() const override;
    std::uint32_t beginRun() override;
    PlotRange initialRange() const override;
    void prepareResultGraph() override;
    LivePlot::Legend liveLegend(std::size_t trace) const override;
    void programGenerator() override {}
    std::int32_t rotationRate() const override { return 0; }
    double measureReference() override { return 0; }
    void takeSample(std::array<double, 3> &record) override;
    bool recordingBegins(const std::array<double, 3> &) override { return true; }
    void updateLive(const std::array<double, 3> &record) override;
    void showRemaining(std::uint32_t) override {}
    void beforeStore() override { redraw(); }
    void storeFields(TrackHeader &) override {}
    void storeRun() override;
    void beforeOpen() override;
    void monitorStep() override;
    void resetMonitor() override;
    void restartMonitor() override;

private:
    Fields m_fields;
    void rebuildUsedInputs();
    // One accumulation of raw readings of every used input, divided by the count.
    std::array<double, kMMInputs> readInputs(double accum);
    void redraw();

    std::array<bool, kMMInputs> m_used{};
    std::vector<std::array<double, 2>> m_points;
    std::vector<double> m_time;
    std::array<QString, kChannels> m_currentTexts;
    MonitorPlot m_monitor{kChannels, kMonitorLimit};
};

} // namespace tervo
