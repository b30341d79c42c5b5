#pragma once
// A scripted datagram socket on a manual clock: queued datagrams become readable at
// their due time, waits advance the clock, every send is recorded.
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "common/clock.h"
#include "wifi/net/udp_socket.h"

namespace setrion::net::testing {

struct SentDatagram {
    std::vector<uint8_t> bytes;
    SocketAddress to;
    uint64_t atMs;
};

struct QueuedDatagram {
    uint64_t dueMs;
    std::vector<uint8_t> bytes;
    SocketAddress from;
};

struct FakeNetwork {
    explicit FakeNetwork(ManualClock& c) : clock(c) {}
    ManualClock& clock;
    std::deque<QueuedDatagram> inbox;
    std::vector<SentDatagram> sent;
    std::vector<UdpOptions> opened;
    int openError = 0;          // nonzero: opening fails with it
    int failSendNumber = 0;     // 1-based send that fails, 0 none
    int sendError = 0;
    int receiveError = 0;       // nonzero: receives fail
    // Called after every send (a scripted peer answers here).
    std::function<void(const SentDatagram&)> onSend;

    void deliver(std::vector<uint8_t> bytes, SocketAddress from, uint64_t delayMs = 5) {
        inbox.push_back({clock.nowMs() + delayMs, std::move(bytes), from});
    }
    SocketOpener opener();
};

class FakeSocket final : public DatagramSocket {
public:
    explicit FakeSocket(FakeNetwork& net) : m_net(net) {}
    int sendTo(std::span<const uint8_t> bytes, const SocketAddress& to) override {
        int number = static_cast<int>(m_net.sent.size()) + 1;
        m_net.sent.push_back({{bytes.begin(), bytes.end()}, to, m_net.clock.nowMs()});
        if (number == m_net.failSendNumber) return -m_net.sendError;
        if (m_net.onSend) m_net.onSend(m_net.sent.back());
        return static_cast<int>(bytes.size());
    }
    int receiveFrom(std::span<uint8_t> buffer, SocketAddress& from) override {
        if (m_net.receiveError) return -m_net.receiveError;
        if (m_net.inbox.empty() || m_net.inbox.front().dueMs > m_net.clock.nowMs()) return -11;
        auto d = std::move(m_net.inbox.front());
        m_net.inbox.pop_front();
        size_t n = std::min(d.bytes.size(), buffer.size());
        std::copy_n(d.bytes.begin(), n, buffer.begin());
        from = d.from;
        return static_cast<int>(n);
    }
    int waitReadable(uint32_t timeoutMs) override {
        uint64_t now = m_net.clock.nowMs();
        if (!m_net.inbox.empty() && m_net.inbox.front().dueMs <= now + timeoutMs) {
            if (m_net.inbox.front().dueMs > now) m_net.clock.advance(m_net.inbox.front().dueMs - now);
            return 1;
        }
        m_net.clock.advance(timeoutMs);
        return 0;
    }

private:
    FakeNetwork& m_net;
};

inline SocketOpener FakeNetwork::opener() {
    return [this](const UdpOptions& o, int& error, UdpOpenStep* step) -> std::unique_ptr<DatagramSocket> {
        opened.push_back(o);
        if (openError) {
            error = openError;
            if (step) *step = UdpOpenStep::Bind;
            return nullptr;
        }
        error = 0;
        return std::make_unique<FakeSocket>(*this);
    };
}

}  // namespace setrion::net::testing
