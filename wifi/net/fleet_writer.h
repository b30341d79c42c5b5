#pragma once
// Management writes to many modules at once: every request goes out by broadcast and
// each reply is matched to its write by the module's MAC.
#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include "wifi/net/management_exchange.h"

namespace setrion::net {

// At most this many writes wait for their reply at any time, so a real LAN is not flooded.
inline constexpr size_t kMaxOutstandingWrites = 16;

struct FleetWrite {
    DiscoveredPrinter record;  // in: the record to write; out: the module's answer, if any
    int code = 0;              // out: 1 on success, else the write's result code
};

// Called with the index of a write when its request goes out (sent = true) and when it
// has its result (sent = false).
using FleetWriteObserver = std::function<void(size_t index, bool sent)>;

// Runs the checks of a single write on every record (no block kept, address, ports,
// macros, I/O ports; the password goes in where the module has one), then sends the
// requests that passed, keeping at most `maxOutstanding` unanswered. Each request is sent
// twice 10 ms apart, as a single write is, and waits the write window from its first
// send. Every write is made once: a module that answered with an error is not sent to
// again. Bounded: each write ends within its window.
void writeModulesTogether(ManagementContext& ctx, std::vector<FleetWrite>& writes,
                          const std::array<uint8_t, 10>& password,
                          size_t maxOutstanding = kMaxOutstandingWrites,
                          const FleetWriteObserver& observer = {});

}  // namespace setrion::net
