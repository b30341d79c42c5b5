#include "common/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/interrupt.h"

namespace setrion {

uint64_t SystemClock::nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Sleeps in short slices and ends early on an interrupt request, so a sequence reaches its
// next step boundary within one slice of a signal.
void SystemClock::sleepMs(uint32_t ms) {
    constexpr uint64_t kSliceMs = 20;
    const uint64_t end = nowMs() + ms;
    for (;;) {
        if (interruptPending()) return;
        const uint64_t now = nowMs();
        if (now >= end) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(end - now, kSliceMs)));
    }
}

void ManualClock::sleepMs(uint32_t ms) {
    m_now += ms;
    m_slept += ms;
    if (m_hook) m_hook(ms);
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace setrion
