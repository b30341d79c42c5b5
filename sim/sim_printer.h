#pragma once
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace setrion::sim {

// The printer's command language; the values are the program's emulation codes.
enum class Emulation : int { EscPos = 0, Cpcl = 1, Mpcl = 2, Zpl = 3, Epl = 4, Dpl = 5 };

class SimPrinter;

// What a handler made of the start of the unprocessed input.
struct Match {
    enum Kind { NotMine, NeedMore, Consumed } kind = NotMine;
    size_t length = 0;  // bytes consumed, with Consumed
    static Match notMine() { return {NotMine, 0}; }
    static Match needMore() { return {NeedMore, 0}; }
    static Match consumed(size_t n) { return {Consumed, n}; }
};

// One feature of the simulated printer (probe, CPCL variables, ESC/POS records, fonts,
// the Wi-Fi module ...). Handlers are offered the unprocessed input in registration order.
class SimHandler {
public:
    virtual ~SimHandler() = default;
    // A short name; also the key of this handler's section in the state JSON.
    virtual std::string name() const = 0;
    // Looks at the start of `input`: Consumed(n) when it handled a whole command of n bytes,
    // NeedMore when the input starts one of its commands but is not complete yet,
    // NotMine otherwise.
    virtual Match match(std::span<const uint8_t> input, SimPrinter& printer) = 0;
    // Adds this handler's command-line options.
    virtual void addOptions(CLI::App& /*app*/) {}
    // Called once after the options are parsed.
    virtual void start(SimPrinter& /*printer*/) {}
    // This handler's state; null adds nothing.
    virtual nlohmann::json state() const { return nullptr; }
};

using HandlerFactory = std::unique_ptr<SimHandler> (*)();

// Static registration: `static HandlerRegistrar reg(100, [] { return make_unique<X>(); });`
// Lower order is offered the input first.
struct HandlerRegistrar {
    HandlerRegistrar(int order, HandlerFactory factory);
};

// The state every handler may read or change.
class SimPrinter {
public:
    Emulation emulation = Emulation::Cpcl;
    // Answer nothing at all (a switched-off or disconnected printer).
    bool silent = false;

    // Queues bytes to the host; they are sent after the reply latency.
    void reply(std::span<const uint8_t> bytes);
    void reply(std::string_view text);
    // Marks the state as changed; the state file is rewritten.
    void stateChanged() { m_dirty = true; }
    // Every byte received so far (also written to --record).
    const std::vector<uint8_t>& received() const { return m_received; }

    nlohmann::json stateJson() const;

    // Driven by the simulator's loop.
    std::vector<std::unique_ptr<SimHandler>>& handlers() { return m_handlers; }
    void feed(std::span<const uint8_t> bytes);
    struct Pending {
        uint64_t dueMs;
        std::vector<uint8_t> bytes;
    };
    std::deque<Pending>& pending() { return m_pending; }
    bool takeDirty() { return std::exchange(m_dirty, false); }
    void setNow(uint64_t nowMs) { m_nowMs = nowMs; }
    uint32_t latencyMs = 15;

private:
    std::vector<std::unique_ptr<SimHandler>> m_handlers;
    std::vector<uint8_t> m_input;
    std::vector<uint8_t> m_received;
    std::deque<Pending> m_pending;
    uint64_t m_nowMs = 0;
    bool m_dirty = true;
    uint64_t m_ignoredBytes = 0;
};

const char* emulationName(Emulation e);
std::optional<Emulation> emulationFromName(const std::string& name);

// Creates the registered handlers in order.
std::vector<std::unique_ptr<SimHandler>> createHandlers();

}  // namespace setrion::sim
