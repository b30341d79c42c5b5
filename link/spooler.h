#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace setrion {

// One print queue the system's spooler knows, with the device it prints to.
struct SpoolerQueue {
    std::string name;
    std::string deviceUri;  // e.g. "serial:/dev/ttyS0?baud=9600"
    std::string driverName = {};  // the queue's driver (make and model), for traces
};

// The system's print spooler, asked only which queues it has.
class Spooler {
public:
    virtual ~Spooler() = default;
    // Every local queue in the spooler's order; an empty list when there is no spooler to
    // ask (not installed, not running); nullopt when the spooler answered with a failure.
    virtual std::optional<std::vector<SpoolerQueue>> queues() = 0;
};

// No spooler: never any queue.
class NullSpooler final : public Spooler {
public:
    std::optional<std::vector<SpoolerQueue>> queues() override { return std::vector<SpoolerQueue>{}; }
};

// A fixed answer, for tests and for callers that already know the queues.
class FixedSpooler final : public Spooler {
public:
    explicit FixedSpooler(std::optional<std::vector<SpoolerQueue>> answer = std::vector<SpoolerQueue>{})
        : m_answer(std::move(answer)) {}
    void setAnswer(std::optional<std::vector<SpoolerQueue>> answer) { m_answer = std::move(answer); }
    std::optional<std::vector<SpoolerQueue>> queues() override {
        ++m_calls;
        return m_answer;
    }
    int calls() const { return m_calls; }

private:
    std::optional<std::vector<SpoolerQueue>> m_answer;
    int m_calls = 0;
};

// CUPS (the server named by CUPS_SERVER / client.conf) when built with libcups, otherwise a
// NullSpooler.
std::unique_ptr<Spooler> makeSystemSpooler();
// Whether makeSystemSpooler() asks CUPS.
bool systemSpoolerIsCups();

}  // namespace setrion
