#pragma once
// The simulator's Wi-Fi module in-process: a PrinterLink whose writes the simulated printer
// takes and whose reads return its answers once their latency has passed on a manual
// clock, so a whole read or write runs without real sleeps.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "common/clock.h"
#include "link/printer_link.h"
#include "sim/sim_printer.h"

namespace setrion::bench {

class SimulatedModuleLink final : public PrinterLink {
public:
    // `simArgs`: the simulator's own options, e.g. {"--module", "command", "--generation", "3"}.
    SimulatedModuleLink(ManualClock& clock, std::vector<std::string> simArgs) : m_clock(clock) {
        m_printer.handlers() = sim::createHandlers();
        CLI::App app{"simulated module"};
        for (auto& h : m_printer.handlers()) h->addOptions(app);
        std::reverse(simArgs.begin(), simArgs.end());  // CLI11 takes a reversed argument list
        try {
            app.parse(simArgs);
        } catch (const CLI::ParseError& e) {
            m_error = e.what();
        }
        for (auto& h : m_printer.handlers()) h->start(m_printer);
    }

    // Empty when the simulator took its options.
    const std::string& error() const { return m_error; }

    int write(std::span<const uint8_t> data) override {
        if (!m_open) return 0;
        m_printer.setNow(m_clock.nowMs());
        // The serial link purges its input after each write: what had arrived unread goes.
        deliverDue();
        m_inbox.clear();
        m_printer.feed(data);
        m_bytesSent += data.size();
        ++m_writes;
        return static_cast<int>(data.size());
    }

    int read(std::span<uint8_t> buffer) override {
        if (!m_open) return 0;
        m_printer.setNow(m_clock.nowMs());
        deliverDue();
        const size_t n = std::min(buffer.size(), m_inbox.size());
        std::copy_n(m_inbox.begin(), n, buffer.begin());
        m_inbox.erase(m_inbox.begin(), m_inbox.begin() + static_cast<long>(n));
        m_bytesReceived += n;
        return static_cast<int>(n);
    }

    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void reopen() { m_open = true; }

    uint64_t bytesSent() const { return m_bytesSent; }
    uint64_t bytesReceived() const { return m_bytesReceived; }
    uint64_t writes() const { return m_writes; }
    sim::SimPrinter& printer() { return m_printer; }

private:
    void deliverDue() {
        auto& pending = m_printer.pending();
        while (!pending.empty() && pending.front().dueMs <= m_clock.nowMs()) {
            m_inbox.insert(m_inbox.end(), pending.front().bytes.begin(), pending.front().bytes.end());
            pending.pop_front();
        }
    }

    ManualClock& m_clock;
    sim::SimPrinter m_printer;
    std::deque<uint8_t> m_inbox;
    std::string m_error;
    bool m_open = true;
    uint64_t m_bytesSent = 0;
    uint64_t m_bytesReceived = 0;
    uint64_t m_writes = 0;
};

}  // namespace setrion::bench
