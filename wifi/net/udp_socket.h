#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "common/socket_handle.h"
#include "wifi/net/net_types.h"

namespace setrion::net {

// One IPv4 datagram socket. Errors are positive socket error codes: errno values, or on
// Windows the WSA codes, with EAGAIN, EINTR and EMSGSIZE standing for their WSA twins.
class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    // Bytes sent, or -error.
    virtual int sendTo(std::span<const uint8_t> bytes, const SocketAddress& to) = 0;
    // Bytes received (a longer datagram is cut to the buffer), or -error; -EAGAIN when
    // a non-blocking socket has nothing waiting.
    virtual int receiveFrom(std::span<uint8_t> buffer, SocketAddress& from) = 0;
    // 1 when a datagram waits, 0 when the time passed without one, or -error.
    virtual int waitReadable(uint32_t timeoutMs) = 0;
    // The handle a readiness watch can wait on, or kNoSocket.
    virtual SocketHandle fd() const { return kNoSocket; }
    // The local port the socket is bound to (the one the system chose for port 0), or 0.
    virtual uint16_t localPort() const { return 0; }
};

struct UdpOptions {
    uint16_t localPort = 0;  // bound on the wildcard address
    bool broadcast = true;   // SO_BROADCAST
    bool verifyBroadcast = false;  // read SO_BROADCAST back after setting it
    bool reuseAddress = true;
    bool nonBlocking = false;
    // SO_RCVBUF when nonzero, best effort (the system caps it): a search of a large fleet
    // gets hundreds of answers at once.
    int receiveBufferBytes = 0;
};

// Which step of opening a socket failed.
enum class UdpOpenStep { None, Create, SetBroadcast, GetBroadcast, SetReuse, Bind };

// Opens a socket with the system's calls (POSIX sockets or Winsock): creates it, sets
// SO_BROADCAST (and reads it back when asked), then SO_REUSEADDR, binds. On failure returns
// null, stores the error code in `error` and the step in `failedStep`; the socket, if one was
// made, is closed.
std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              UdpOpenStep* failedStep = nullptr);

// How exchanges get their socket; tests substitute scripted sockets.
using SocketOpener = std::function<std::unique_ptr<DatagramSocket>(
    const UdpOptions& options, int& error, UdpOpenStep* failedStep)>;
SocketOpener systemSocketOpener();

// The directed broadcast addresses (host order) of the IPv4 interfaces that have one, each once.
std::vector<uint32_t> interfaceBroadcasts();

}  // namespace setrion::net
