#include "gui/qt/painting_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <thread>

#include "common/interrupt.h"

namespace setrion::gui {

uint64_t PaintingClock::nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PaintingClock::sleepMs(uint32_t ms) {
    constexpr auto kFlags = QEventLoop::ExcludeUserInputEvents |
                            QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
    const uint64_t end = nowMs() + ms;
    for (;;) {
        if (interruptPending()) return;  // the sequence ends at its next step
        if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(kFlags);
        const uint64_t now = nowMs();
        if (now >= end) return;
        const auto slice = std::min<uint64_t>(end - now, kSliceMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    }
}

}  // namespace setrion::gui
