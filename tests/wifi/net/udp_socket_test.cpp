#include "wifi/net/udp_socket_posix.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace setrion::net;

namespace {

int g_closed = -1;
int g_sendCalls = 0;
int g_failSetsockopt = 0;

SocketSys faultySys() {
    SocketSys s = posixSocketSys();
    s.socket = [](int, int, int) { return 42; };
    s.setsockopt = [](int, int, int name, const void*, socklen_t) {
        if (name == g_failSetsockopt) {
            errno = EACCES;
            return -1;
        }
        return 0;
    };
    s.getsockopt = [](int, int, int, void* v, socklen_t*) {
        *static_cast<int*>(v) = 1;
        return 0;
    };
    s.bind = [](int, const sockaddr*, socklen_t) { return 0; };
    s.sendto = [](int, const void*, size_t len, int, const sockaddr*, socklen_t) -> ssize_t {
        if (++g_sendCalls < 3) {
            errno = EINTR;
            return -1;
        }
        return static_cast<ssize_t>(len);
    };
    s.close = [](int fd) {
        g_closed = fd;
        return 0;
    };
    return s;
}

}  // namespace

TEST(UdpSocket, InterruptedSendIsRetried) {
    static SocketSys sys = faultySys();
    g_failSetsockopt = 0;
    g_sendCalls = 0;
    int error = 0;
    auto sock = openUdpSocket({}, error, sys);
    ASSERT_TRUE(sock);
    std::vector<uint8_t> bytes(10, 1);
    EXPECT_EQ(sock->sendTo(bytes, {0x7FFFFFFF, 1}), 10);
    EXPECT_EQ(g_sendCalls, 3);
    sock.reset();
    EXPECT_EQ(g_closed, 42);
}

TEST(UdpSocket, FailedOptionClosesTheDescriptorAndNamesTheStep) {
    static SocketSys sys = faultySys();
    g_failSetsockopt = SO_REUSEADDR;
    g_closed = -1;
    int error = 0;
    UdpOpenStep step = UdpOpenStep::None;
    EXPECT_FALSE(openUdpSocket({}, error, sys, &step));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(step, UdpOpenStep::SetReuse);
    EXPECT_EQ(g_closed, 42);
    g_failSetsockopt = SO_BROADCAST;
    EXPECT_FALSE(openUdpSocket({}, error, sys, &step));
    EXPECT_EQ(step, UdpOpenStep::SetBroadcast);
}
