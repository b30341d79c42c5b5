#pragma once
#include <functional>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/clock.h"
#include "wifi/net/discovered_printer.h"
#include "wifi/net/env_items.h"
#include "wifi/net/item_blocks.h"
#include "wifi/net/management_header.h"
#include "wifi/net/net_config.h"
#include "wifi/net/udp_socket.h"

namespace setrion::net {

inline constexpr size_t kModuleTableCapacity = 256;
inline constexpr uint32_t kSearchWindowMs = 2000;
inline constexpr uint32_t kWriteWindowMs = 3000;
inline constexpr uint32_t kResendPauseMs = 10;

// One accepted module: its reply header and its settings.
struct ModuleEntry {
    ManagementHeader header;
    DiscoveredPrinter record;
};

// The state of one exchange, discarded at its end.
struct ExchangeState {
    ExchangeState(uint8_t command, uint8_t flags, const ProtocolKeyPrefix& key,
                  ItemBlockStore& blocks);

    uint8_t command;
    uint8_t flags;  // 0 or kFlagDirected
    bool found = false;
    std::vector<ModuleEntry> table;  // at most `capacity`
    size_t capacity = kModuleTableCapacity;
    std::vector<MacAddress> leftOut;  // modules that answered a full table, each once
    ModuleEntry scratch;
    ModuleEntry request;  // header, and for a write the record to write
    std::vector<uint8_t> output;
    ItemExtras extras;
    ProtocolKeyPrefix key;
    ItemBlockStore& blocks;
};

// Everything an exchange needs from outside.
struct ManagementContext {
    NetConfig config;
    Clock* clock = &systemClock();
    SocketOpener openSocket = systemSocketOpener();
    ItemBlockStore* blocks = nullptr;  // required; kept by the caller across exchanges
    // Further broadcast destinations of a search (directed broadcasts of the interfaces).
    std::vector<uint32_t> extraBroadcasts;
};

// Opens the management socket: broadcast and address reuse on, bound to the local
// management port on every address. Null with the socket error code on failure.
std::unique_ptr<DatagramSocket> openManagementSocket(const ManagementContext& ctx, int& error);

void buildSearchRequest(ExchangeState& state);

// Fills the output buffer with a write of state.request.record. Returns 0, or
// kCodeNoBlock when no block is kept for the MAC in the list, or kCodeMergeTooLarge.
int buildWriteRequest(int list, ExchangeState& state);

// Examines one received datagram; never fails.
void acceptReply(ExchangeState& state, const SocketAddress& sender,
                 std::span<const uint8_t> datagram);

struct SearchOutcome {
    std::vector<DiscoveredPrinter> records;  // in the order they answered
    std::vector<MacAddress> leftOut;         // answered after the table was full
    int error = 0;                           // socket error code, 0 when none
};

struct ModuleSearchOptions {
    size_t capacity = kModuleTableCapacity;  // modules kept; the rest go to leftOut
    // Ends the window early once true: asked after each answer and every 50 ms with the
    // modules so far (a search for a known set stops when all have answered).
    std::function<bool(const std::vector<ModuleEntry>&)> done;
};

// Mode 0 broadcasts a search of all modules; mode 1 asks the module at `address`.
SearchOutcome searchModules(ManagementContext& ctx, int mode, uint32_t address = 0,
                            const ModuleSearchOptions& options = {});

// Writes one module (checks of a network save first). Returns 1 on success, else the
// negative result code or a positive socket error code. On a reply from the target,
// `record` becomes the module's answer.
int writeModuleConfig(ManagementContext& ctx, int list, DiscoveredPrinter& record,
                      const std::array<uint8_t, 10>& password);

}  // namespace setrion::net
