#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/printer_link.h"

namespace setrion::test {

inline std::vector<uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }
inline std::string text(std::span<const uint8_t> b) { return {b.begin(), b.end()}; }

// A PrinterLink for exchange tests: records every write, and answers from a queue of
// scripted reads or from a responder called with each write.
class ScriptedLink final : public PrinterLink {
public:
    // Called with each written block; may queue replies with queueRead().
    using Responder = std::function<void(ScriptedLink&, std::span<const uint8_t>)>;

    int write(std::span<const uint8_t> data) override;
    int read(std::span<uint8_t> buffer) override;
    void close() override { m_open = false; ++m_closes; }
    bool isOpen() const override { return m_open; }

    void setOpen(bool open) { m_open = open; }
    void setResponder(Responder r) { m_responder = std::move(r); }
    // Each queued block is returned by one read (cut to the reader's capacity, the rest
    // stays queued). An empty block stands for one read that returns nothing.
    void queueRead(std::vector<uint8_t> block) { m_reads.push_back(std::move(block)); }
    void queueRead(std::string_view s) { queueRead(bytes(s)); }
    // Makes write() fail (return 0) from now on.
    void setWriteFails(bool fails) { m_writeFails = fails; }

    const std::vector<std::vector<uint8_t>>& writes() const { return m_writes; }
    std::vector<uint8_t> allWritten() const;
    int readCalls() const { return m_readCalls; }
    int closes() const { return m_closes; }
    void clearWrites() { m_writes.clear(); }

private:
    bool m_open = true;
    bool m_writeFails = false;
    int m_readCalls = 0;
    int m_closes = 0;
    Responder m_responder;
    std::deque<std::vector<uint8_t>> m_reads;
    std::vector<std::vector<uint8_t>> m_writes;
};

}  // namespace setrion::test
