#pragma once
// The POSIX side of the UDP socket: its system calls as a table, for fault tests.
#include <sys/socket.h>
#include <sys/types.h>

#include "wifi/net/udp_socket.h"

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

// openUdpSocket on the given calls.
std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              const SocketSys& sys,
                                              UdpOpenStep* failedStep = nullptr);

}  // namespace setrion::net
