#include "sim/sim_printer.h"

#include <algorithm>
#include <map>

#include "common/device_text.h"

namespace setrion::sim {
namespace {

std::multimap<int, HandlerFactory>& handlerRegistry() {
    static std::multimap<int, HandlerFactory> registry;
    return registry;
}

}  // namespace

HandlerRegistrar::HandlerRegistrar(int order, HandlerFactory factory) {
    handlerRegistry().emplace(order, factory);
}

std::vector<std::unique_ptr<SimHandler>> createHandlers() {
    std::vector<std::unique_ptr<SimHandler>> out;
    for (auto& [order, factory] : handlerRegistry()) out.push_back(factory());
    return out;
}

void SimPrinter::reply(std::span<const uint8_t> bytes) {
    if (silent || bytes.empty()) return;
    m_pending.push_back({m_nowMs + latencyMs, {bytes.begin(), bytes.end()}});
}

void SimPrinter::reply(std::string_view text) {
    reply(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void SimPrinter::feed(std::span<const uint8_t> bytes) {
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    m_received.insert(m_received.end(), bytes.begin(), bytes.end());
    while (!m_input.empty()) {
        bool waiting = false;
        bool consumed = false;
        for (auto& h : m_handlers) {
            Match m = h->match(m_input, *this);
            if (m.kind == Match::Consumed) {
                size_t n = std::clamp<size_t>(m.length, 1, m_input.size());
                m_input.erase(m_input.begin(), m_input.begin() + static_cast<long>(n));
                consumed = true;
                break;
            }
            if (m.kind == Match::NeedMore) {
                waiting = true;
                break;
            }
        }
        if (waiting) break;
        if (!consumed) {
            // Nothing knows this byte (wake-up zeros, stray bytes): drop it.
            m_input.erase(m_input.begin());
            ++m_ignoredBytes;
        }
    }
}

nlohmann::json SimPrinter::stateJson() const {
    nlohmann::json j;
    j["emulation"] = emulationName(emulation);
    j["silent"] = silent;
    j["received_bytes"] = m_received.size();
    j["ignored_bytes"] = m_ignoredBytes;
    for (auto& h : m_handlers) {
        nlohmann::json s = h->state();
        if (!s.is_null()) j[h->name()] = std::move(s);
    }
    // Written keys and SSIDs are bytes: kept as the CLI's JSON keeps device texts.
    applyDeviceTextRuleDeep(j);
    return j;
}

const char* emulationName(Emulation e) {
    switch (e) {
        case Emulation::EscPos:
            return "escpos";
        case Emulation::Cpcl:
            return "cpcl";
        case Emulation::Mpcl:
            return "mpcl";
        case Emulation::Zpl:
            return "zpl";
        case Emulation::Epl:
            return "epl";
        case Emulation::Dpl:
            return "dpl";
    }
    return "unknown";
}

std::optional<Emulation> emulationFromName(const std::string& name) {
    for (int i = 0; i <= 5; ++i) {
        auto e = static_cast<Emulation>(i);
        if (name == emulationName(e)) return e;
    }
    return std::nullopt;
}

}  // namespace setrion::sim
