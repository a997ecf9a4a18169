#pragma once

#include "core/Clock.h"

#include <functional>
#include <vector>

namespace tervo {

class MacroRunner;
class MeasurementModel;

// Runs a macro as fast as the computer can on a clock that jumps straight to the next due event:
// a measuring window's next tick or the end of a Wait. Windows in the monitor state are not
// ticked; nothing they show reaches a track.
class FastMacroDriver {
public:
    FastMacroDriver(MacroRunner &runner, FakeMsClock &clock,
                    std::vector<MeasurementModel *> models);

    // Drives the run (already started) to its end and, with waitForMeasurement, on until the
    // measurement its last line started has finished. False when it stalled: the running flag
    // is held by something no tick or Wait will release.
    bool runToEnd(bool waitForMeasurement = true);
    // Asked before each step: true makes runToEnd return at once (a signal to stop arrived).
    void setInterruption(std::function<bool()> interrupted)
    {
        m_interrupted = std::move(interrupted);
    }
    // Called before every step of runToEnd, with the clock where that step finds it.
    void setStepHook(std::function<void()> hook) { m_hook = std::move(hook); }

private:
    MacroRunner &m_runner;
    FakeMsClock &m_clock;
    std::vector<MeasurementModel *> m_models;
    std::function<bool()> m_interrupted;
    std::function<void()> m_hook;
};

} // namespace tervo
