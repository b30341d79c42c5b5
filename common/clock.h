#pragma once
#include <cstdint>
#include <functional>

namespace setrion {

// Every fixed pause and poll goes through a Clock, so tests can run long sequences
// with a manual clock and the desktop program can keep painting while it waits.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale; only differences are meaningful.
    virtual uint64_t nowMs() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
};

// Monotonic wall time and real sleeps; a sleep ends early on an interrupt request
// (common/interrupt.h).
class SystemClock final : public Clock {
public:
    uint64_t nowMs() override;
    void sleepMs(uint32_t ms) override;
};

// Time moves only when told to: sleepMs() advances it at once, as does advance().
// An optional hook runs on every sleep (tests use it to let a peer "answer").
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startMs = 1'000'000) : m_now(startMs) {}
    uint64_t nowMs() override { return m_now; }
    void sleepMs(uint32_t ms) override;
    void advance(uint64_t ms) { m_now += ms; }
    uint64_t sleptMs() const { return m_slept; }
    void setSleepHook(std::function<void(uint32_t)> hook) { m_hook = std::move(hook); }

private:
    uint64_t m_now;
    uint64_t m_slept = 0;
    std::function<void(uint32_t)> m_hook;
};

// A wait of `polls` polls `stepMs` apart, measured on the clock rather than counted: it is
// over once (polls - 1) * stepMs have passed since it began or was restarted, however many
// polls a loaded (or idle) host managed in that time. On a manual clock whose sleeps are the
// steps this is exactly the count of polls.
class QuietWindow {
public:
    QuietWindow(Clock& clock, int polls, uint32_t stepMs)
        : m_clock(clock),
          m_spanMs(static_cast<uint64_t>(polls > 1 ? polls - 1 : 0) * stepMs),
          m_stepMs(stepMs ? stepMs : 1),
          m_start(clock.nowMs()) {}
    void restart() { m_start = m_clock.nowMs(); }
    bool over() const { return elapsed() >= m_spanMs; }
    // The polls the nominal pace would have made by now, the first counted as one.
    int pollsSoFar() const { return static_cast<int>(elapsed() / m_stepMs) + 1; }

private:
    uint64_t elapsed() const { return m_clock.nowMs() - m_start; }
    Clock& m_clock;
    uint64_t m_spanMs;
    uint64_t m_stepMs;
    uint64_t m_start;
};

// The process-wide system clock.
Clock& systemClock();

}  // namespace setrion
