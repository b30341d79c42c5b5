#pragma once
#include "common/clock.h"

namespace setrion::gui {

// The desktop program's clock. Operations run on the user-interface thread and pause
// through sleepMs(); while they do, the windows keep painting: pending paint and other
// posted events are processed, but no user input, timers or socket notifications, so
// no dialog handler runs in the middle of another one.
class PaintingClock final : public Clock {
public:
    uint64_t nowMs() override;
    void sleepMs(uint32_t ms) override;
    // Longest stretch slept between two rounds of event processing.
    static constexpr uint32_t kSliceMs = 5;
};

}  // namespace setrion::gui
