#include "wifi/net/udp_socket_posix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace setrion::net {
namespace {

int sysPoll(int fd, short events, int timeoutMs, short* revents) {
    pollfd p{fd, events, 0};
    int rc = ::poll(&p, 1, timeoutMs);
    if (revents) *revents = p.revents;
    return rc;
}

sockaddr_in toSockaddr(const SocketAddress& a) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(a.port);
    sin.sin_addr.s_addr = htonl(a.ip);
    return sin;
}

class PosixUdpSocket final : public DatagramSocket {
public:
    PosixUdpSocket(int fd, const SocketSys& sys) : m_fd(fd), m_sys(sys) {}
    ~PosixUdpSocket() override {
        if (m_fd >= 0) m_sys.close(m_fd);
    }

    int sendTo(std::span<const uint8_t> bytes, const SocketAddress& to) override {
        sockaddr_in sin = toSockaddr(to);
        for (int attempt = 0; attempt < 8; ++attempt) {
            ssize_t n = m_sys.sendto(m_fd, bytes.data(), bytes.size(), 0,
                                     reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
            if (n >= 0) return static_cast<int>(n);
            if (errno != EINTR) return -errno;
        }
        return -EINTR;
    }

    int receiveFrom(std::span<uint8_t> buffer, SocketAddress& from) override {
        for (int attempt = 0; attempt < 8; ++attempt) {
            sockaddr_in sin{};
            socklen_t len = sizeof sin;
            ssize_t n = m_sys.recvfrom(m_fd, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&sin), &len);
            if (n >= 0) {
                from.ip = ntohl(sin.sin_addr.s_addr);
                from.port = ntohs(sin.sin_port);
                return static_cast<int>(n);
            }
            if (errno != EINTR) return errno == EWOULDBLOCK ? -EAGAIN : -errno;
        }
        return -EINTR;
    }

    int waitReadable(uint32_t timeoutMs) override {
        // An interrupted wait is retried once with the full time: bounded either way.
        for (int attempt = 0; attempt < 2; ++attempt) {
            short revents = 0;
            int rc = m_sys.poll(m_fd, POLLIN, static_cast<int>(timeoutMs), &revents);
            if (rc > 0) return (revents & (POLLIN | POLLERR)) ? 1 : -EIO;
            if (rc == 0) return 0;
            if (errno != EINTR) return -errno;
        }
        return 0;
    }

    SocketHandle fd() const override { return static_cast<SocketHandle>(m_fd); }

    uint16_t localPort() const override {
        sockaddr_in sin{};
        socklen_t len = sizeof sin;
        if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sin), &len) != 0) return 0;
        return ntohs(sin.sin_port);
    }

private:
    int m_fd;
    const SocketSys& m_sys;
};

}  // namespace

const SocketSys& posixSocketSys() {
    static const SocketSys sys{
        ::socket,
        ::setsockopt,
        ::getsockopt,
        ::bind,
        ::sendto,
        ::recvfrom,
        sysPoll,
        ::close,
    };
    return sys;
}

std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              const SocketSys& sys, UdpOpenStep* failedStep) {
    error = 0;
    if (failedStep) *failedStep = UdpOpenStep::None;
    errno = 0;
    int type = SOCK_DGRAM | SOCK_CLOEXEC | (options.nonBlocking ? SOCK_NONBLOCK : 0);
    int fd = sys.socket(AF_INET, type, 0);
    if (fd < 0) {
        error = errno != 0 ? errno : EIO;
        if (failedStep) *failedStep = UdpOpenStep::Create;
        return nullptr;
    }
    auto fail = [&](UdpOpenStep step) {
        error = errno != 0 ? errno : EIO;
        if (failedStep) *failedStep = step;
        sys.close(fd);
        return nullptr;
    };
    int one = 1;
    if (options.broadcast) {
        if (sys.setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0)
            return fail(UdpOpenStep::SetBroadcast);
        if (options.verifyBroadcast) {
            int value = 0;
            socklen_t len = sizeof value;
            if (sys.getsockopt(fd, SOL_SOCKET, SO_BROADCAST, &value, &len) != 0 || value == 0)
                return fail(UdpOpenStep::GetBroadcast);
        }
    }
    if (options.reuseAddress &&
        sys.setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0)
        return fail(UdpOpenStep::SetReuse);
    if (options.receiveBufferBytes > 0)
        (void)sys.setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &options.receiveBufferBytes,
                             sizeof options.receiveBufferBytes);
    sockaddr_in sin = toSockaddr({INADDR_ANY, options.localPort});
    if (sys.bind(fd, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) != 0)
        return fail(UdpOpenStep::Bind);
    return std::make_unique<PosixUdpSocket>(fd, sys);
}

std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              UdpOpenStep* failedStep) {
    return openUdpSocket(options, error, posixSocketSys(), failedStep);
}

SocketOpener systemSocketOpener() {
    return [](const UdpOptions& options, int& error, UdpOpenStep* failedStep) {
        return openUdpSocket(options, error, posixSocketSys(), failedStep);
    };
}

std::vector<uint32_t> interfaceBroadcasts() {
    std::vector<uint32_t> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        if (!(a->ifa_flags & IFF_BROADCAST) || !a->ifa_broadaddr) continue;
        uint32_t b = ntohl(reinterpret_cast<sockaddr_in*>(a->ifa_broadaddr)->sin_addr.s_addr);
        if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
    }
    freeifaddrs(list);
    return out;
}

}  // namespace setrion::net
