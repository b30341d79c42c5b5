#include "wifi/net/udp_text_sock.h"

#include <gtest/gtest.h>

#include "common/trace.h"
#include "fake_socket.h"
#include "wifi/net/text_frame.h"

using namespace setrion;
using namespace setrion::net;
using namespace setrion::net::testing;

namespace {

struct Owner : CUdpSockOwner {
    void addTextPrinter(std::span<const uint8_t> frame) override { frames.emplace_back(frame.begin(), frame.end()); }
    void setRemoteAddress(const std::string& a) override { remote = a; }
    void enableSave() override { saveEnabled = true; }
    void setSaveConfirmed(bool c) override { confirmed = c; }
    void showMessage(const std::string& t) override { messages.push_back(t); }
    std::vector<std::vector<uint8_t>> frames;
    std::string remote;
    bool saveEnabled = false;
    std::optional<bool> confirmed;
    std::vector<std::string> messages;
};

std::vector<uint8_t> answer(const std::string& mac12) {
    std::vector<uint8_t> f(1024, 0);
    f[0] = 0x02;
    f[1] = 'V';
    f[2] = '1';
    std::copy(mac12.begin(), mac12.end(), f.begin() + 3);
    f[1021] = 0x0D;
    f[1022] = 0x0A;
    f[1023] = 0x03;
    return f;
}

struct TextSock : ::testing::Test {
    ManualClock clock;
    FakeNetwork net{clock};
    Owner owner;
    NetConfig config;
    std::unique_ptr<CUdpSock> sock;
    void SetUp() override {
        config.broadcast = 0x7FFFFFFF;
        config.textPort = 47100;
        config.textLocalPort = 47110;
        auto created = CUdpSock::create(owner, config, net.opener());
        ASSERT_TRUE(created.sock);
        sock = std::move(created.sock);
    }
    void receive(std::vector<uint8_t> d) {
        net.deliver(std::move(d), {0x7F000001, 47100}, 0);
        sock->onReadable();
    }
};

}  // namespace

TEST(TextFrame, SearchAndSaveFrameBytes) {
    auto s = buildTextSearchFrame();
    ASSERT_EQ(s.size(), 1024u);
    EXPECT_EQ(std::string(s.begin(), s.begin() + 6), "\x02" "11111");
    EXPECT_EQ(s[6], 0);
    EXPECT_EQ(s[1020], 0);
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + 1021, s.end()), (std::vector<uint8_t>{0x0D, 0x0A, 0x03}));
    wifi::WifiSettings record;
    record.bytes()[0] = 'A';
    record.bytes()[1012] = 'Z';
    auto v = buildTextSaveFrame(record);
    ASSERT_EQ(v.size(), 1024u);
    EXPECT_EQ(std::string(v.begin(), v.begin() + 9), "\x02" "00000\r\nA");
    EXPECT_EQ(v[1020], 'Z');
    EXPECT_EQ(std::vector<uint8_t>(v.begin() + 1021, v.end()), (std::vector<uint8_t>{0x0D, 0x0A, 0x03}));
}

TEST_F(TextSock, SendsTheWholeFrameToTheBroadcastPort) {
    EXPECT_EQ(net.opened.at(0).localPort, 47110);
    EXPECT_TRUE(net.opened[0].verifyBroadcast);
    sock->load(buildTextSearchFrame());
    sock->sendPending();
    ASSERT_EQ(net.sent.size(), 1u);
    EXPECT_EQ(net.sent[0].bytes, buildTextSearchFrame());
    EXPECT_EQ(net.sent[0].to, (SocketAddress{0x7FFFFFFF, 47100}));
    EXPECT_FALSE(sock->wantsWritable());
}

TEST_F(TextSock, WouldBlockLeavesTheRestForWritable) {
    net.failSendNumber = 1;
    net.sendError = 11;  // EAGAIN
    sock->load(buildTextSearchFrame());
    sock->sendPending();
    EXPECT_TRUE(sock->wantsWritable());
    EXPECT_EQ(sock->pendingBytes(), 1024u);
    sock->onWritable();
    EXPECT_FALSE(sock->wantsWritable());
    ASSERT_EQ(net.sent.size(), 2u);
    EXPECT_EQ(net.sent[1].bytes.size(), 1024u);
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(TextSock, OtherSendFailureClosesWithItsMessage) {
    net.failSendNumber = 1;
    net.sendError = 101;
    sock->load(buildTextSearchFrame());
    sock->sendPending();
    EXPECT_FALSE(sock->isOpen());
    EXPECT_EQ(owner.messages, (std::vector<std::string>{"Sever Socket failed to send: 101"}));
}

TEST_F(TextSock, SearchModeAnswers) {
    std::vector<std::string> traces;
    setTraceSink([&](std::string_view l) { traces.emplace_back(l); });
    receive(buildTextSearchFrame());  // our own frame heard back
    EXPECT_TRUE(owner.frames.empty());
    EXPECT_EQ(traces.front(), "Receive the Search Command[시작].");
    auto shortAnswer = answer("0200000000A1");
    shortAnswer.pop_back();  // 1023 bytes: not a framed answer
    receive(shortAnswer);
    EXPECT_TRUE(owner.frames.empty());
    EXPECT_FALSE(owner.saveEnabled);
    receive(answer("0200000000A1"));
    ASSERT_EQ(owner.frames.size(), 1u);
    EXPECT_TRUE(owner.saveEnabled);
    EXPECT_EQ(owner.remote, "127.0.0.1");
    receive({});  // an empty datagram does not end the socket
    EXPECT_TRUE(sock->isOpen());
    setTraceSink(nullptr);
    EXPECT_NE(std::find(traces.begin(), traces.end(), "검색에 대한 응답 시작입니다."), traces.end());
}

TEST_F(TextSock, SaveModeConfirmsByMac) {
    sock->setMode(CUdpSock::Mode::Save);
    sock->setExpectedMac("0200000000A1");
    wifi::WifiSettings record;
    receive(buildTextSaveFrame(record));  // own frame
    EXPECT_FALSE(owner.confirmed.has_value());
    receive(answer("0200000000B2"));
    EXPECT_EQ(owner.confirmed, false);
    receive(answer("0200000000A1"));
    EXPECT_EQ(owner.confirmed, true);
}

TEST(TextSockCreate, FailureMessages) {
    ManualClock clock;
    Owner owner;
    NetConfig config;
    for (auto [step, text] :
         {std::pair{UdpOpenStep::Bind, "Fail to create UDP socket: GetLastError=98\n Close and restart app."},
          {UdpOpenStep::SetBroadcast, "SetSockOpt failed to set SO_BROADCAST: 98"},
          {UdpOpenStep::GetBroadcast, "GetSockOpt failed to get SO_BROADCAST: 98"}}) {
        SocketOpener opener = [step = step](const UdpOptions&, int& error, UdpOpenStep* s) {
            error = 98;
            *s = step;
            return std::unique_ptr<DatagramSocket>{};
        };
        auto created = CUdpSock::create(owner, config, opener);
        EXPECT_FALSE(created.sock);
        EXPECT_EQ(created.message, text);
    }
}

TEST_F(TextSock, ExtraPeersGetTheFrameAfterTheMainPeer) {
    sock->setExtraPeers({{0x0A0000FF, 47100}});
    sock->load(buildTextSearchFrame());
    sock->sendPending();
    ASSERT_EQ(net.sent.size(), 2u);
    EXPECT_EQ(net.sent[0].to, (SocketAddress{0x7FFFFFFF, 47100}));
    EXPECT_EQ(net.sent[1].to, (SocketAddress{0x0A0000FF, 47100}));
    EXPECT_EQ(net.sent[1].bytes.size(), 1024u);
}
