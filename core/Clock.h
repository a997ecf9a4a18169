#pragma once

#include <QElapsedTimer>
#include <cstdint>

namespace tervo {

// The millisecond tick counter. It wraps after 2^32 ms, so callers compare differences
// (now - start as uint32) rather than absolute values.
class MsClock {
public:
    virtual ~MsClock() = default;
    virtual std::uint32_t tickCount() const = 0;
};

// The monotonic system clock.
class SystemMsClock final : public MsClock {
public:
    SystemMsClock() { m_timer.start(); }
    std::uint32_t tickCount() const override
    {
        return static_cast<std::uint32_t>(m_timer.elapsed() + m_offset);
    }

private:
    QElapsedTimer m_timer;
    // Starts away from zero so that a wrap-around mistake shows up early rather than after 49 days.
    qint64 m_offset = 1000;
};

// A clock that only moves when told to; tests and the simulated rig's replay use it.
class FakeMsClock final : public MsClock {
public:
    explicit FakeMsClock(std::uint32_t start = 0) : m_now(start) {}
    std::uint32_t tickCount() const override
    {
        const std::uint32_t t = m_now;
        m_now += m_advanceOnRead;
        return t;
    }
    void advance(std::uint32_t ms) { m_now += ms; }
    void set(std::uint32_t ms) { m_now = ms; }
    // Time that passes with every reading, as work between readings takes on a real clock.
    void setAdvanceOnRead(std::uint32_t ms) { m_advanceOnRead = ms; }

private:
    mutable std::uint32_t m_now;
    std::uint32_t m_advanceOnRead = 0;
};

// Milliseconds from start to now across a wrap of the 32-bit counter.
inline std::uint32_t elapsedMs(std::uint32_t start, std::uint32_t now)
{
    // A start read a moment after now (a later reading in the same tick) is no time at all,
    // not a wrapped 49 days.
    const auto d = static_cast<std::int32_t>(now - start);
    return d < 0 ? 0u : static_cast<std::uint32_t>(d);
}

} // namespace tervo
