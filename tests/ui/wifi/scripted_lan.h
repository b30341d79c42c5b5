#pragma once
// A scripted LAN on a manual clock: sockets by local port, the simulator's modules and
// text-frame printers answering in-process, every datagram sent recorded.
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "common/clock.h"
#include "sim/lan/lan_devices.h"
#include "wifi/net/management_header.h"
#include "wifi/net/udp_socket.h"

namespace setrion::testing {

struct ScriptedLan {
    static constexpr uint16_t kMgmtPeer = 41005, kMgmtLocal = 41006, kTextPeer = 41011, kTextLocal = 41012;
    struct Sent {
        std::vector<uint8_t> bytes;
        net::SocketAddress to;
    };
    struct Queued {
        uint64_t dueMs;
        std::vector<uint8_t> bytes;
        net::SocketAddress from;
    };

    ScriptedLan(ManualClock& c, size_t modules, size_t printers)
        : clock(c), devices(modules, printers, net::kDefaultProtocolKeyPrefix) {}

    net::NetConfig config() const {
        net::NetConfig n;
        n.broadcast = 0x7FFFFFFF;
        n.mgmtPort = kMgmtPeer;
        n.mgmtLocalPort = kMgmtLocal;
        n.textPort = kTextPeer;
        n.textLocalPort = kTextLocal;
        return n;
    }
    size_t sentTo(uint16_t port) const {
        size_t n = 0;
        for (const auto& s : sent) n += s.to.port == port;
        return n;
    }
    void deliver(uint16_t localPort, std::vector<uint8_t> bytes, uint32_t fromIp, uint64_t delayMs = 5) {
        inbox[localPort].push_back({clock.nowMs() + delayMs, std::move(bytes), {fromIp, 0}});
    }
    net::SocketOpener opener();

    ManualClock& clock;
    sim::lan::LanDevices devices;
    std::vector<Sent> sent;
    std::map<uint16_t, std::deque<Queued>> inbox;
    bool textAnswers = true;  // the text-frame printers answer
    uint32_t moduleSender = 0;  // every module answers from this address when not 0
};

class ScriptedLanSocket final : public net::DatagramSocket {
public:
    ScriptedLanSocket(ScriptedLan& lan, uint16_t port) : m_lan(lan), m_port(port) {}
    int sendTo(std::span<const uint8_t> bytes, const net::SocketAddress& to) override {
        m_lan.sent.push_back({{bytes.begin(), bytes.end()}, to});
        if (to.port == ScriptedLan::kMgmtPeer) {
            auto answers = m_lan.devices.onManagement(bytes);
            for (size_t i = 0; i < answers.size(); ++i) {
                // Each module answers from its own address, 192.168.1.20 + its MAC's last byte - 1.
                auto h = net::ManagementHeader::decode(answers[i].bytes);
                uint32_t ip = 0xC0A80114u + (h ? h->mac[5] - 1u : 0u);
                if (m_lan.moduleSender != 0) ip = m_lan.moduleSender;
                m_lan.deliver(m_port, std::move(answers[i].bytes), ip, 5 + i);
            }
        } else if (to.port == ScriptedLan::kTextPeer && m_lan.textAnswers) {
            for (auto& a : m_lan.devices.onText(bytes)) m_lan.deliver(m_port, std::move(a.bytes), 0xC0A80164u);
        }
        return static_cast<int>(bytes.size());
    }
    int receiveFrom(std::span<uint8_t> buffer, net::SocketAddress& from) override {
        auto& q = m_lan.inbox[m_port];
        if (q.empty() || q.front().dueMs > m_lan.clock.nowMs()) return -11;
        auto d = std::move(q.front());
        q.pop_front();
        size_t n = std::min(d.bytes.size(), buffer.size());
        std::copy_n(d.bytes.begin(), n, buffer.begin());
        from = d.from;
        return static_cast<int>(n);
    }
    int waitReadable(uint32_t timeoutMs) override {
        auto& q = m_lan.inbox[m_port];
        uint64_t now = m_lan.clock.nowMs();
        if (!q.empty() && q.front().dueMs <= now + timeoutMs) {
            if (q.front().dueMs > now) m_lan.clock.advance(q.front().dueMs - now);
            return 1;
        }
        m_lan.clock.advance(timeoutMs);
        return 0;
    }
    SocketHandle fd() const override { return 10000u + m_port; }

private:
    ScriptedLan& m_lan;
    uint16_t m_port;
};

inline net::SocketOpener ScriptedLan::opener() {
    return [this](const net::UdpOptions& o, int& error, net::UdpOpenStep*) -> std::unique_ptr<net::DatagramSocket> {
        error = 0;
        inbox[o.localPort].clear();  // what a closed socket had queued is gone
        return std::make_unique<ScriptedLanSocket>(*this, o.localPort);
    };
}

}  // namespace setrion::testing
