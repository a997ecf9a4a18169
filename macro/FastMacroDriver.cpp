#include "FastMacroDriver.h"

#include "MacroRunner.h"
#include "measure/MeasurementModel.h"

#include <optional>

namespace tervo {

FastMacroDriver::FastMacroDriver(MacroRunner &runner, FakeMsClock &clock,
                                 std::vector<MeasurementModel *> models)
    : m_runner(runner), m_clock(clock), m_models(std::move(models))
{
    m_runner.setTimerDriven(false);
    for (MeasurementModel *m : m_models)
        m->setTimerDriven(false);
}

bool FastMacroDriver::runToEnd(bool waitForMeasurement)
{
    std::vector<std::optional<std::uint32_t>> due(m_models.size());
    for (;;) {
        if (m_hook)
            m_hook();
        if (m_interrupted && m_interrupted())
            return true;
        m_runner.poll();
        // Mail takes real time, whatever the clock says.
        if (m_runner.mailPending()) {
            m_runner.waitForMail();
            continue;
        }
        const std::uint32_t now = m_clock.tickCount();
        bool measuring = false;
        std::optional<std::uint32_t> next;
        std::size_t which = m_models.size(); // the model due next; size() for the Wait
        for (std::size_t i = 0; i < m_models.size(); ++i) {
            MeasurementModel &m = *m_models[i];
            if (m.state() != MeasurementModel::Measuring || !m.timerEnabled()) {
                due[i].reset();
                continue;
            }
            measuring = true;
            if (!due[i])
                due[i] = now + static_cast<std::uint32_t>(m.timerIntervalMs());
            if (!next || static_cast<std::int32_t>(*due[i] - *next) < 0) {
                next = due[i];
                which = i;
            }
        }
        if (m_runner.waiting()) {
            const std::uint32_t end = m_runner.waitDeadline();
            if (!next || static_cast<std::int32_t>(end - *next) < 0) {
                next = end;
                which = m_models.size();
            }
        }
        if (!m_runner.isRunning() && !m_runner.waiting() && !(waitForMeasurement && measuring))
            return true;
        if (!next)
            return false;
        if (static_cast<std::int32_t>(*next - now) > 0)
            m_clock.set(*next);
        if (which == m_models.size()) {
            m_runner.waitTick();
            continue;
        }
        MeasurementModel &m = *m_models[which];
        m.tick();
        // The next tick is due one interval after this one was due, as the timer keeps it.
        due[which] = *next + static_cast<std::uint32_t>(m.timerIntervalMs());
    }
}

} // namespace tervo
