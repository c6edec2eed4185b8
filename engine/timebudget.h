#pragma once

#include <chrono>
#include <functional>
#include <utility>

// A search's time: a budget from a start on a monotonic clock, which may be stretched once, to
// twice its size, where the search has found its choice worse than it thought.
class TimeBudget
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TimeBudget(Clock clock) : m_clock(std::move(clock)) {}

    // Starts a budget of `ms` milliseconds now; 0: no budget, only other limits end the search.
    void start(int ms)
    {
        m_timed = ms > 0;
        m_extended = false;
        m_ms = ms;
        if (m_timed) {
            m_start = m_clock();
            m_deadline = m_start + std::chrono::milliseconds(ms);
        }
    }
    bool timed() const { return m_timed; }
    bool spent() const { return m_timed && m_clock() >= m_deadline; }
    // Doubles the budget, once; later calls and an untimed search change nothing. True when the
    // budget grew.
    bool extend()
    {
        if (!m_timed || m_extended)
            return false;
        m_extended = true;
        m_deadline = m_start + std::chrono::milliseconds(2 * m_ms);
        return true;
    }
    bool extended() const { return m_extended; }

private:
    Clock m_clock;
    bool m_timed = false;
    bool m_extended = false;
    int m_ms = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_deadline;
};
