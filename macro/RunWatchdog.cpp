#include "RunWatchdog.h"

#include "MacroRunner.h"
#include "measure/MeasurementModel.h"

namespace tervo {

RunWatchdog::RunWatchdog(const MsClock &clock, const MacroRunner &runner,
                         std::vector<MeasurementModel *> models, std::optional<double> limitSeconds)
    : m_clock(clock), m_runner(runner), m_models(std::move(models)),
      m_measuring(m_models.size(), false)
{
    if (limitSeconds)
        m_limitMs = *limitSeconds * 1000.0;
}

void RunWatchdog::start()
{
    m_start = m_clock.tickCount();
    m_programmedMs = 0;
    m_waitDeadline.reset();
    m_measuring.assign(m_models.size(), false);
}

bool RunWatchdog::overdue()
{
    const std::uint32_t now = m_clock.tickCount();
    for (std::size_t i = 0; i < m_models.size(); ++i) {
        const MeasurementModel &m = *m_models[i];
        const bool measuring = m.state() == MeasurementModel::Measuring;
        // A run's length is its programmed one only at its start: a run that ends by Stop
        // counts its length up as it goes.
        if (measuring && !m_measuring[i])
            m_programmedMs +=
                static_cast<double>(m.runLength()) + m.acquisition().retainTime * 1000;
        m_measuring[i] = measuring;
    }
    if (m_runner.waiting()) {
        const std::uint32_t deadline = m_runner.waitDeadline();
        if (m_waitDeadline != deadline) {
            m_programmedMs += static_cast<double>(elapsedMs(now, deadline));
            m_waitDeadline = deadline;
        }
    }
    return static_cast<double>(elapsed()) > boundMs();
}

double RunWatchdog::boundMs() const
{
    return m_limitMs ? *m_limitMs : m_programmedMs * 1.1 + kMarginMs;
}

std::uint32_t RunWatchdog::elapsed() const
{
    return elapsedMs(m_start, m_clock.tickCount());
}

QString RunWatchdog::cutShortMessage() const
{
    return QStringLiteral("The run was cut short after %1 s: it ran beyond %2 s (%3).")
        .arg(elapsed() / 1000)
        .arg(qRound64(boundMs() / 1000))
        .arg(m_limitMs ? QStringLiteral("--max-run-time")
                       : QStringLiteral("its programmed length and a margin"));
}

} // namespace tervo
