// The system's UDP sockets on the loopback broadcast, the way the LAN exchanges use them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "wifi/net/udp_socket.h"
#ifndef _WIN32
#include "tests/support/loopback_ports.h"
#endif

using namespace setrion::net;

namespace {

constexpr uint32_t kBroadcastAll = 0x7FFFFFFF;  // 127.255.255.255

// Ports of this test process's own, so tests may run side by side.
uint16_t basePort() {
#ifdef _WIN32
    return static_cast<uint16_t>(25000 + (::getpid() % 1000) * 4);
#else
    return setrion::test::loopbackPortBlock();
#endif
}

std::unique_ptr<DatagramSocket> open(uint16_t port, bool nonBlocking = false) {
    UdpOptions o;
    o.localPort = port;
    o.verifyBroadcast = true;
    o.nonBlocking = nonBlocking;
    int error = 0;
    auto s = openUdpSocket(o, error);
    EXPECT_TRUE(s) << "port " << port << " error " << error;
    return s;
}

}  // namespace

TEST(UdpLoopback, BroadcastReachesTheBoundPortAndLongDatagramsAreCut) {
    const uint16_t a = basePort(), b = static_cast<uint16_t>(basePort() + 1);
    auto sender = open(a);
    auto receiver = open(b);
    ASSERT_TRUE(sender && receiver);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receiver->waitReadable(150), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

    std::vector<uint8_t> frame(1024);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(sender->sendTo(frame, {kBroadcastAll, b}), 1024);
    ASSERT_EQ(receiver->waitReadable(2000), 1);
    std::vector<uint8_t> buffer(2048);
    SocketAddress from;
    ASSERT_EQ(receiver->receiveFrom(buffer, from), 1024);
    EXPECT_EQ(from.port, a);
    EXPECT_EQ(from.ip >> 24, 127u);
    ASSERT_EQ(receiver->waitReadable(2000), 1);
    buffer.resize(100);
    ASSERT_EQ(receiver->receiveFrom(buffer, from), 100);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 100), buffer);
    EXPECT_NE(receiver->fd(), setrion::kNoSocket);
    EXPECT_EQ(receiver->localPort(), b);
    auto chosen = open(0);  // the system picks the port
    ASSERT_TRUE(chosen);
    EXPECT_NE(chosen->localPort(), 0);
}

TEST(UdpLoopback, EmptyNonBlockingReceiveAndTakenPort) {
    const uint16_t p = static_cast<uint16_t>(basePort() + 2);
    auto first = open(p, true);
    ASSERT_TRUE(first);
    std::vector<uint8_t> buffer(16);
    SocketAddress from;
    EXPECT_EQ(first->receiveFrom(buffer, from), -EAGAIN);

    UdpOptions o;
    o.localPort = p;
    o.reuseAddress = false;
    int error = 0;
    UdpOpenStep step = UdpOpenStep::None;
    EXPECT_FALSE(openUdpSocket(o, error, &step));
    EXPECT_EQ(step, UdpOpenStep::Bind);
    EXPECT_NE(error, 0);
}
