#include "common/interrupt.h"

#include <atomic>

namespace setrion {
namespace {

// -1: no request; otherwise the signal (0 for the program's own request).
std::atomic<int> g_signal{-1};
std::atomic<int> g_shields{0};

}  // namespace

bool interruptRequested() {
    return g_signal.load() >= 0;
}

int interruptSignal() {
    const int s = g_signal.load();
    return s > 0 ? s : 0;
}

int interruptExitCode() {
    const int s = interruptSignal();
    return s > 0 ? 128 + s : 130;
}

// The first signal is kept; a signal replaces the program's own request.
void requestInterrupt(int signal) {
    int seen = g_signal.load();
    while ((seen < 0 || (seen == 0 && signal > 0)) &&
           !g_signal.compare_exchange_weak(seen, signal)) {
    }
}

void clearInterrupt() {
    g_signal.store(-1);
}

bool interruptPending() {
    return interruptRequested() && g_shields.load() == 0;
}

InterruptShield::InterruptShield() {
    ++g_shields;
}
InterruptShield::~InterruptShield() {
    --g_shields;
}

}  // namespace setrion
