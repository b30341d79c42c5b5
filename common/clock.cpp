#include "common/clock.h"

#include <chrono>
#include <thread>

namespace setrion {

uint64_t SystemClock::nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
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
