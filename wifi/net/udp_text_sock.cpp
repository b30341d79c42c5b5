#include "wifi/net/udp_text_sock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/trace.h"
#include "wifi/net/text_frame.h"

namespace setrion::net {
namespace {

constexpr size_t kReceiveBuffer = 70000;

// The datagram as a trace line: its text up to the first NUL, with the key fields of the
// record it carries from `recordAt` (the WEP keys, the WPA key, the EAP password) masked
// unless secrets are shown.
std::string datagramText(std::span<const uint8_t> d, size_t recordAt) {
    std::string s;
    for (uint8_t b : d) {
        if (b == 0) break;
        s.push_back(static_cast<char>(b));
    }
    if (traceShowsSecrets()) return s;
    namespace f = wifi::field;
    for (const wifi::RecordField& secret :
         {f::kKey1, f::kKey2, f::kKey3, f::kKey4, f::kWpaKey, f::kEapPassword}) {
        for (size_t i = recordAt + secret.offset; i < recordAt + secret.offset + secret.length;
             ++i) {
            if (i >= s.size()) break;
            if (s[i] != static_cast<char>(secret.padding) && s[i] != '\r' && s[i] != '\n')
                s[i] = '*';
        }
    }
    return s;
}

// Where the record starts: after 0x02 in an answer, after 0x02, the command and CR LF in a
// save frame.
constexpr size_t kAnswerRecordAt = 1;
constexpr size_t kSaveRecordAt = 8;

}  // namespace

CUdpSock::Created CUdpSock::create(CUdpSockOwner& owner, const NetConfig& config,
                                   const SocketOpener& opener) {
    Created out;
    UdpOptions o;
    o.localPort = config.textLocalPort;
    o.broadcast = true;
    o.verifyBroadcast = true;
    o.reuseAddress = true;
    o.nonBlocking = true;
    int error = 0;
    UdpOpenStep step = UdpOpenStep::None;
    auto socket = opener(o, error, &step);
    if (!socket) {
        switch (step) {
        case UdpOpenStep::SetBroadcast:
            out.message = "SetSockOpt failed to set SO_BROADCAST: " + std::to_string(error);
            break;
        case UdpOpenStep::GetBroadcast:
            out.message = "GetSockOpt failed to get SO_BROADCAST: " + std::to_string(error);
            break;
        default:
            out.message = "Fail to create UDP socket: GetLastError=" + std::to_string(error) +
                          "\n Close and restart app.";
            break;
        }
        return out;
    }
    out.sock = std::make_unique<CUdpSock>(owner, std::move(socket),
                                          SocketAddress{config.broadcast, config.textPort});
    return out;
}

CUdpSock::CUdpSock(CUdpSockOwner& owner, std::unique_ptr<DatagramSocket> socket,
                   SocketAddress peer)
    : m_owner(owner), m_socket(std::move(socket)), m_peer(peer), m_sendBuffer(kTextFrameSize, 0) {}

void CUdpSock::load(std::span<const uint8_t> frame) {
    size_t n = std::min(frame.size(), m_sendBuffer.size());
    std::fill(m_sendBuffer.begin(), m_sendBuffer.end(), 0);
    std::copy_n(frame.begin(), n, m_sendBuffer.begin());
    m_toSend = n;
    m_sent = 0;
}

void CUdpSock::setExpectedMac(std::string_view macText) {
    m_expectedMac.assign(macText.substr(0, 64));
}

void CUdpSock::sendPending() {
    while (m_socket && m_sent < m_toSend) {
        auto rest = std::span<const uint8_t>(m_sendBuffer).subspan(m_sent, m_toSend - m_sent);
        int rc = m_socket->sendTo(rest, m_peer);
        if (rc < 0) {
            if (rc == -EAGAIN || rc == -EWOULDBLOCK) return;  // the rest goes when writable
            std::string message = "Sever Socket failed to send: " + std::to_string(-rc);
            close();
            m_owner.showMessage(message);
            return;
        }
        m_sent += static_cast<size_t>(rc);
        if (m_sent >= m_toSend) {
            auto frame = std::span<const uint8_t>(m_sendBuffer).first(m_toSend);
            for (const auto& extra : m_extraPeers) m_socket->sendTo(frame, extra);
            m_sent = m_toSend = 0;
            m_text.clear();
        }
    }
}

void CUdpSock::onReadable() {
    if (!m_socket) return;
    std::vector<uint8_t> buffer(kReceiveBuffer, 0);
    SocketAddress from;
    int n = m_socket->receiveFrom(std::span<uint8_t>(buffer).first(kReceiveBuffer - 1), from);
    if (n < 0) {
        trace("OnReceive bytes: -1[SOCKET_ERROR]");
        if (n != -EAGAIN && n != -EWOULDBLOCK && n != -EMSGSIZE)
            trace("OnReceive error: " + std::to_string(-n));
        return;
    }
    m_owner.setRemoteAddress(formatIpv4(from.ip));
    auto d = std::span<const uint8_t>(buffer).first(static_cast<size_t>(n));
    if (n == 0) {
        // An empty datagram ends nothing on a datagram socket: traced and ignored.
        trace("OnReceive bytes[0]: 0");
        return;
    }
    if (m_mode == Mode::Search) {
        if (carriesCommand(d, kTextSearchCommand)) {
            trace("Receive the Search Command[시작].");
            trace(datagramText(d, kAnswerRecordAt));
            trace("Receive the Search Command[끄읕].");
            return;
        }
        if (isFramedAnswer(d)) {
            trace("검색에 대한 응답 시작입니다.");
            trace(datagramText(d, kAnswerRecordAt));
            m_owner.addTextPrinter(d);
            trace("검색에 대한 응답 끝입니다.");
            m_owner.enableSave();
            m_owner.updateControls();
        }
        return;
    }
    if (carriesCommand(d, kTextSaveCommand)) {
        trace("Receive the Save Command[시작].");
        trace(datagramText(d, kSaveRecordAt));
        trace("Receive the Save Command[끄읕].");
        return;
    }
    if (isFramedAnswer(d)) {
        trace("*****Result the Save Command[시작].");
        bool same = m_expectedMac.size() >= 12 && answerMacText(d) == m_expectedMac.substr(0, 12);
        trace(same ? "Save Complete-!!!!!" : "Save Failed-?????");
        m_owner.setSaveConfirmed(same);
        trace("*****Result the Save Command[끄읕].");
    }
}

bool CUdpSock::pollOnce(uint32_t timeoutMs) {
    if (!m_socket) return false;
    if (m_socket->waitReadable(timeoutMs) <= 0) return false;
    onReadable();
    return true;
}

void CUdpSock::onAccept() { trace("CUdpAsySk::OnAccept\n"); }
void CUdpSock::onClose() { trace("CUdpSock::OnClose\n"); }
void CUdpSock::onConnect() { trace("CUdpSock::OnConnect\n"); }
void CUdpSock::onOutOfBandData() { trace("CUdpSock::OnOutOfBandData\n"); }

}  // namespace setrion::net
