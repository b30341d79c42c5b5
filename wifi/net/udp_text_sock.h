#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "wifi/net/net_config.h"
#include "wifi/net/udp_socket.h"

namespace setrion::net {

// The side that owns a CUdpSock (the Wi-Fi dialog, or the CLI's search and save).
class CUdpSockOwner {
public:
    virtual ~CUdpSockOwner() = default;
    // A framed answer to a search.
    virtual void addTextPrinter(std::span<const uint8_t> frame) = 0;
    // The sender of the last datagram received.
    virtual void setRemoteAddress(const std::string& /*address*/) {}
    virtual void enableSave() {}
    // A save answer: true when its MAC is the expected one.
    virtual void setSaveConfirmed(bool /*confirmed*/) {}
    // A message box.
    virtual void showMessage(const std::string& /*text*/) {}
    virtual void updateControls() {}
};

// The text-frame socket: sends one loaded frame by broadcast and hands the answers to its
// owner. It does not wait itself: whoever watches its descriptor (a Shell's socket watch,
// or a poll loop) calls onReadable() when it is readable and, while wantsWritable(),
// onWritable() when it is writable.
class CUdpSock {
public:
    enum class Mode { Search = 0, Save = 1 };

    struct Created {
        std::unique_ptr<CUdpSock> sock;
        std::string message;  // the message box text when creation failed
    };
    // Creates the socket on the local text port with the broadcast option set and read
    // back, non-blocking; frames go to the broadcast address's text port.
    static Created create(CUdpSockOwner& owner, const NetConfig& config,
                          const SocketOpener& opener = systemSocketOpener());

    CUdpSock(CUdpSockOwner& owner, std::unique_ptr<DatagramSocket> socket, SocketAddress peer);

    void setMode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    // Loads the whole frame to send (the 1024 bytes, record and end mark included).
    void load(std::span<const uint8_t> frame);
    // The first 12 characters are compared with a save answer's MAC text.
    void setExpectedMac(std::string_view macText);
    void setText(std::string text) { m_text = std::move(text); }
    // Further destinations of each frame (directed broadcasts of the interfaces); sent
    // best effort once the frame has gone to the main peer.
    void setExtraPeers(std::vector<SocketAddress> peers) { m_extraPeers = std::move(peers); }
    const std::string& text() const { return m_text; }

    // Sends what is loaded and not yet sent. A send that would block leaves the rest
    // loaded (onWritable sends it); any other failure closes the socket with a message.
    void sendPending();
    void onReadable();
    void onWritable() { sendPending(); }
    bool wantsWritable() const { return isOpen() && m_sent < m_toSend; }
    bool isOpen() const { return m_socket != nullptr; }
    SocketHandle fd() const { return m_socket ? m_socket->fd() : kNoSocket; }
    void close() { m_socket.reset(); }
    // Waits up to `timeoutMs` for a datagram and handles it; false when none came.
    bool pollOnce(uint32_t timeoutMs);

    // Notifications a stream socket would get; traced only.
    void onAccept();
    void onClose();
    void onConnect();
    void onOutOfBandData();

    size_t pendingBytes() const { return m_toSend - m_sent; }

private:
    CUdpSockOwner& m_owner;
    std::unique_ptr<DatagramSocket> m_socket;
    SocketAddress m_peer;
    std::vector<SocketAddress> m_extraPeers;
    Mode m_mode = Mode::Search;
    std::vector<uint8_t> m_sendBuffer;
    size_t m_toSend = 0;
    size_t m_sent = 0;
    std::string m_expectedMac;
    std::string m_text;
};

}  // namespace setrion::net
