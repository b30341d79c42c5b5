#pragma once
#include <sys/socket.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "wifi/net/net_types.h"

struct sockaddr;

namespace setrion::net {

// The socket system calls, one table, so fault tests can inject EINTR, EAGAIN and
// failures without a network. Each member returns what the POSIX call returns and
// leaves errno set on failure.
struct SocketSys {
    int (*socket)(int domain, int type, int protocol) = nullptr;
    int (*setsockopt)(int fd, int level, int name, const void* value, socklen_t len) = nullptr;
    int (*getsockopt)(int fd, int level, int name, void* value, socklen_t* len) = nullptr;
    int (*bind)(int fd, const sockaddr* addr, socklen_t len) = nullptr;
    ssize_t (*sendto)(int fd, const void* buf, size_t len, int flags, const sockaddr* addr,
                      socklen_t alen) = nullptr;
    ssize_t (*recvfrom)(int fd, void* buf, size_t len, int flags, sockaddr* addr,
                        socklen_t* alen) = nullptr;
    int (*poll)(int fd, short events, int timeoutMs, short* revents) = nullptr;
    int (*close)(int fd) = nullptr;
};

// The real calls.
const SocketSys& posixSocketSys();

// One IPv4 datagram socket. Errors are positive errno values ("socket error codes").
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
    // The descriptor a readiness watch can poll, or -1.
    virtual int fd() const { return -1; }
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

// Creates, sets SO_BROADCAST (and reads it back when asked), then SO_REUSEADDR, binds.
// On failure returns null, stores the error code in `error` and the step in `failedStep`;
// the descriptor, if one was made, is closed.
std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              const SocketSys& sys = posixSocketSys(),
                                              UdpOpenStep* failedStep = nullptr);

// How exchanges get their socket; tests substitute scripted sockets.
using SocketOpener = std::function<std::unique_ptr<DatagramSocket>(
    const UdpOptions& options, int& error, UdpOpenStep* failedStep)>;
SocketOpener posixSocketOpener();

}  // namespace setrion::net
