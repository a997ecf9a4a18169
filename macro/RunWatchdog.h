#pragma once

#include "core/Clock.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tervo {

class MacroRunner;
class MeasurementModel;

// Bounds the time of a series that runs without anyone at the Stop button. The bound is either
// given, or the series' own programmed length as it unfolds (every measurement's run length and
// hold, every Wait) plus a margin: a measurement that can only end by Stop (a step that never
// reaches its charge, a window that never gets its sweep) then no longer holds the series forever.
class RunWatchdog {
public:
    static constexpr std::uint32_t kMarginMs = 30000;

    RunWatchdog(const MsClock &clock, const MacroRunner &runner,
                std::vector<MeasurementModel *> models, std::optional<double> limitSeconds);

    // The series starts now.
    void start();
    // Notes the measurements and Waits begun since the last call; true once the series has run
    // beyond its bound.
    bool overdue();
    // The bound as it stands, and the time run so far (ms).
    double boundMs() const;
    std::uint32_t elapsed() const;
    // The message that the series was cut short.
    QString cutShortMessage() const;

private:
    const MsClock &m_clock;
    const MacroRunner &m_runner;
    std::vector<MeasurementModel *> m_models;
    std::optional<double> m_limitMs;
    std::vector<bool> m_measuring;
    std::optional<std::uint32_t> m_waitDeadline;
    std::uint32_t m_start = 0;
    double m_programmedMs = 0;
};

} // namespace tervo
