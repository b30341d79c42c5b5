// The UDP socket on Winsock 2. WSA codes become the errno values the exchanges compare with
// for a blocked call, an interrupted call and a cut datagram; any other keeps its WSA number,
// which is what the messages show as the socket's error.
// windows.h (winsock2.h) first: the other headers rely on its types.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <mstcpip.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <climits>

#include "wifi/net/udp_socket.h"

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace setrion::net {
namespace {

int fromWsa(int code) {
    switch (code) {
        case WSAEWOULDBLOCK:
            return EAGAIN;
        case WSAEINTR:
            return EINTR;
        case WSAEMSGSIZE:
            return EMSGSIZE;
        case 0:
            return EIO;
        default:
            return code;
    }
}

int lastError() {
    return fromWsa(WSAGetLastError());
}

// Winsock is started once for the process and left running: stopping it at exit would race
// sockets other threads are still closing. 0, or the WSAStartup error.
int startWinsock() {
    static const int result = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return result;
}

sockaddr_in toSockaddr(const SocketAddress& a) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(a.port);
    sin.sin_addr.s_addr = htonl(a.ip);
    return sin;
}

int clampLength(size_t n) {
    return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

class WinsockUdpSocket final : public DatagramSocket {
  public:
    explicit WinsockUdpSocket(SOCKET s) : m_socket(s) {}
    ~WinsockUdpSocket() override { closesocket(m_socket); }
    WinsockUdpSocket(const WinsockUdpSocket&) = delete;
    WinsockUdpSocket& operator=(const WinsockUdpSocket&) = delete;

    int sendTo(std::span<const uint8_t> bytes, const SocketAddress& to) override {
        sockaddr_in sin = toSockaddr(to);
        for (int attempt = 0; attempt < 8; ++attempt) {
            int n = ::sendto(m_socket, reinterpret_cast<const char*>(bytes.data()),
                             clampLength(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&sin),
                             sizeof sin);
            if (n != SOCKET_ERROR) return n;
            if (WSAGetLastError() != WSAEINTR) return -lastError();
        }
        return -EINTR;
    }

    int receiveFrom(std::span<uint8_t> buffer, SocketAddress& from) override {
        for (int attempt = 0; attempt < 8; ++attempt) {
            sockaddr_in sin{};
            int len = sizeof sin;
            int n =
                ::recvfrom(m_socket, reinterpret_cast<char*>(buffer.data()),
                           clampLength(buffer.size()), 0, reinterpret_cast<sockaddr*>(&sin), &len);
            const int code = n == SOCKET_ERROR ? WSAGetLastError() : 0;
            // Winsock reports a datagram longer than the buffer as an error after filling it:
            // the buffer holds its first part, as a POSIX socket would return it.
            if (n == SOCKET_ERROR && code == WSAEMSGSIZE) n = clampLength(buffer.size());
            if (n != SOCKET_ERROR) {
                from.ip = ntohl(sin.sin_addr.s_addr);
                from.port = ntohs(sin.sin_port);
                return n;
            }
            // A port-unreachable answer to an earlier send is no datagram.
            if (code == WSAECONNRESET) return -EAGAIN;
            if (code != WSAEINTR) return -fromWsa(code);
        }
        return -EINTR;
    }

    int waitReadable(uint32_t timeoutMs) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval tv{static_cast<long>(timeoutMs / 1000),
                   static_cast<long>((timeoutMs % 1000) * 1000)};
        const int rc = ::select(0, &readable, nullptr, nullptr, &tv);
        if (rc == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? 0 : -lastError();
        return rc > 0 ? 1 : 0;
    }

    // Socket handles are kernel handles, whose values fit 32 bits.
    SocketHandle fd() const override { return static_cast<SocketHandle>(m_socket); }

    uint16_t localPort() const override {
        sockaddr_in sin{};
        int len = sizeof sin;
        if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&sin), &len) != 0) return 0;
        return ntohs(sin.sin_port);
    }

  private:
    SOCKET m_socket;
};

}  // namespace

std::unique_ptr<DatagramSocket> openUdpSocket(const UdpOptions& options, int& error,
                                              UdpOpenStep* failedStep) {
    error = 0;
    if (failedStep) *failedStep = UdpOpenStep::None;
    if (int rc = startWinsock(); rc != 0) {
        error = rc;
        if (failedStep) *failedStep = UdpOpenStep::Create;
        return nullptr;
    }
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        error = lastError();
        if (failedStep) *failedStep = UdpOpenStep::Create;
        return nullptr;
    }
    auto fail = [&](UdpOpenStep step) {
        error = lastError();
        if (failedStep) *failedStep = step;
        closesocket(s);
        return nullptr;
    };
    // Not inherited by child processes, as SOCK_CLOEXEC does on POSIX.
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    if (options.nonBlocking) {
        u_long on = 1;
        if (::ioctlsocket(s, FIONBIO, &on) != 0) return fail(UdpOpenStep::Create);
    }
    // An ICMP port-unreachable would otherwise fail the next receive with WSAECONNRESET.
    BOOL reset = FALSE;
    DWORD returned = 0;
    (void)WSAIoctl(s, SIO_UDP_CONNRESET, &reset, sizeof reset, nullptr, 0, &returned, nullptr,
                   nullptr);
    const BOOL one = TRUE;
    if (options.broadcast) {
        if (::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&one),
                         sizeof one) != 0)
            return fail(UdpOpenStep::SetBroadcast);
        if (options.verifyBroadcast) {
            BOOL value = FALSE;
            int len = sizeof value;
            if (::getsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&value), &len) !=
                0)
                return fail(UdpOpenStep::GetBroadcast);
            if (!value) {
                WSASetLastError(WSAEINVAL);
                return fail(UdpOpenStep::GetBroadcast);
            }
        }
    }
    if (options.reuseAddress && ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR,
                                             reinterpret_cast<const char*>(&one), sizeof one) != 0)
        return fail(UdpOpenStep::SetReuse);
    if (options.receiveBufferBytes > 0)
        (void)::setsockopt(s, SOL_SOCKET, SO_RCVBUF,
                           reinterpret_cast<const char*>(&options.receiveBufferBytes),
                           sizeof options.receiveBufferBytes);
    sockaddr_in sin = toSockaddr({INADDR_ANY, options.localPort});
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) != 0)
        return fail(UdpOpenStep::Bind);
    return std::make_unique<WinsockUdpSocket>(s);
}

SocketOpener systemSocketOpener() {
    return [](const UdpOptions& options, int& error, UdpOpenStep* failedStep) {
        return openUdpSocket(options, error, failedStep);
    };
}

std::vector<uint32_t> interfaceBroadcasts() {
    std::vector<uint32_t> out;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(
            AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (rc != NO_ERROR) return out;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
        if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next) {
            const sockaddr* sa = u->Address.lpSockaddr;
            if (!sa || sa->sa_family != AF_INET) continue;
            const unsigned prefix = u->OnLinkPrefixLength;
            if (prefix == 0 || prefix >= 31) continue;  // no broadcast on /31 and /32 links
            const uint32_t ip = ntohl(reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr);
            const uint32_t mask = ~uint32_t{0} << (32 - prefix);
            const uint32_t b = ip | ~mask;
            if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
        }
    }
    return out;
}

}  // namespace setrion::net
