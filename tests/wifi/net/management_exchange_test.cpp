#include "wifi/net/management_exchange.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fake_socket.h"
#include "net_test_util.h"
#include "wifi/net/save_result.h"

using namespace setrion;
using namespace setrion::net;
using namespace setrion::net::testing;

namespace {

const MacAddress kMac1{2, 0, 0, 0, 0, 1};
const MacAddress kMac2{2, 0, 0, 0, 0, 2};
const SocketAddress kFrom1{0x7F000001, 47001};
const SocketAddress kFrom2{0x7F000002, 47001};
constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF;

struct Fixture : ::testing::Test {
    ManualClock clock{5000};
    FakeNetwork net{clock};
    ItemBlockStore blocks;
    ManagementContext ctx;
    void SetUp() override {
        ctx.config.broadcast = kLoopbackBroadcast;
        ctx.config.mgmtPort = 47000;
        ctx.config.mgmtLocalPort = 47010;
        ctx.clock = &clock;
        ctx.openSocket = net.opener();
        ctx.blocks = &blocks;
    }
    const ProtocolKeyPrefix& key() const { return ctx.config.protocolKey; }
    std::vector<uint8_t> wifiPayload(const std::string& ssid) {
        return concat({item(2, 0, {0x15, 0}), item(3, 0, {192, 168, 1, 20}),
                       item(3, 1, {255, 255, 255, 0}), item(9, 1, textData(ssid, 32)),
                       item(45, 1, std::vector<uint8_t>(700, 7))});  // longer than a built list
    }
    // Answers every search request with the given datagrams.
    void answerSearch(std::vector<std::pair<std::vector<uint8_t>, SocketAddress>> replies) {
        net.onSend = [this, replies](const SentDatagram&) {
            if (net.sent.size() != 2) return;  // answer the second send only
            for (auto& [d, from] : replies) net.deliver(d, from);
        };
    }
};

}  // namespace

using ManagementSearch = Fixture;

TEST_F(ManagementSearch, RequestBytesSentTwiceTenMsApartFromTheLocalPort) {
    auto out = searchModules(ctx, 0);
    EXPECT_EQ(out.error, 0);
    ASSERT_EQ(net.opened.size(), 1u);
    EXPECT_EQ(net.opened[0].localPort, 47010);
    EXPECT_TRUE(net.opened[0].broadcast);
    EXPECT_TRUE(net.opened[0].reuseAddress);
    ASSERT_EQ(net.sent.size(), 2u);
    std::vector<uint8_t> expected(32, 0);
    expected[0] = 0x2A, expected[1] = 0x76, expected[2] = 0x4E, expected[3] = 0x01;
    expected[4] = 0x10, expected[5] = 0x01, expected[6] = 0x01;
    EXPECT_EQ(net.sent[0].bytes, expected);
    EXPECT_EQ(net.sent[1].bytes, expected);
    EXPECT_EQ(net.sent[0].to, (SocketAddress{kLoopbackBroadcast, 47000}));
    EXPECT_EQ(net.sent[1].atMs - net.sent[0].atMs, 10u);
}

TEST_F(ManagementSearch, NothingAnsweringEndsAfterTwoSeconds) {
    uint64_t start = clock.nowMs();
    auto out = searchModules(ctx, 0);
    EXPECT_TRUE(out.records.empty());
    EXPECT_EQ(clock.nowMs() - start, 10u + 2000u);
}

TEST_F(ManagementSearch, RepliesWithoutTheReplyBitAreIgnored) {
    auto own = reply(key(), kMac1, {}, kFlagRequest);
    answerSearch({{own, kFrom1}});
    EXPECT_TRUE(searchModules(ctx, 0).records.empty());
}

TEST_F(ManagementSearch, FirstReplyFromAMacWins) {
    answerSearch({{reply(key(), kMac1, wifiPayload("First")), kFrom1},
                  {reply(key(), kMac1, wifiPayload("Second")), kFrom2}});
    auto out = searchModules(ctx, 0);
    ASSERT_EQ(out.records.size(), 1u);
    EXPECT_EQ(out.records[0].ssidText(), "First");
    EXPECT_EQ(out.records[0].replyAddress, (Ipv4Octets{127, 0, 0, 1}));
    EXPECT_EQ(out.records[0].versionV2V3, 0x0106);
    EXPECT_TRUE(out.records[0].isWifiModule);
}

TEST_F(ManagementSearch, HeaderOnlyReplyIsNotAModule) {
    answerSearch(
        {{reply(key(), kMac2, {}), kFrom2}, {reply(key(), kMac1, wifiPayload("Good")), kFrom1}});
    auto out = searchModules(ctx, 0);
    ASSERT_EQ(out.records.size(), 1u);
    EXPECT_EQ(out.records[0].mac, kMac1);
    EXPECT_EQ(findBlock(blocks.broadcast, kMac2), nullptr);
}

TEST_F(ManagementSearch, ReplyFailingAnItemCheckIsDroppedOthersKept) {
    auto bad = reply(key(), kMac1, wifiPayload("Bad"));
    bad[40] ^= 0x01;  // one enciphered payload byte changed
    answerSearch({{bad, kFrom1}, {reply(key(), kMac2, wifiPayload("Good")), kFrom2}});
    auto out = searchModules(ctx, 0);
    ASSERT_EQ(out.records.size(), 1u);
    EXPECT_EQ(out.records[0].mac, kMac2);
    EXPECT_EQ(findBlock(blocks.broadcast, kMac1), nullptr);
}

TEST_F(ManagementSearch, WrongKeyOrMagicIsDropped) {
    ProtocolKeyPrefix other = key();
    other[0] ^= 1;
    auto foreign = reply(key(), kMac2, wifiPayload("F"));
    foreign[0] = 0x2B;
    answerSearch({{reply(other, kMac1, wifiPayload("X")), kFrom1}, {foreign, kFrom2}});
    EXPECT_TRUE(searchModules(ctx, 0).records.empty());
}

TEST_F(ManagementSearch, DirectedFlagChoosesTheBlockListAndSearchClearsItsList) {
    storeBlock(blocks.broadcast, kMac2, std::vector<uint8_t>{1});
    answerSearch({{reply(key(), kMac1, wifiPayload("D"), kFlagReply | kFlagDirected), kFrom1}});
    searchModules(ctx, 0);
    EXPECT_EQ(findBlock(blocks.broadcast, kMac2), nullptr);
    EXPECT_NE(findBlock(blocks.directed, kMac1), nullptr);
}

TEST_F(ManagementSearch, TableHoldsAtMost256Modules) {
    std::vector<std::pair<std::vector<uint8_t>, SocketAddress>> replies;
    for (int i = 0; i < 260; ++i) {
        MacAddress m{2, 0, 0, 0, uint8_t(i >> 8), uint8_t(i)};
        replies.push_back({reply(key(), m, wifiPayload("M")), kFrom1});
    }
    answerSearch(replies);
    EXPECT_EQ(searchModules(ctx, 0).records.size(), 256u);
}

TEST_F(ManagementSearch, SocketFailuresAreTheResult) {
    net.openError = 98;
    EXPECT_EQ(searchModules(ctx, 0).error, 98);
    EXPECT_TRUE(net.sent.empty());
    net.openError = 0;
    net.failSendNumber = 2;
    net.sendError = 101;
    EXPECT_EQ(searchModules(ctx, 0).error, 101);
}

TEST_F(ManagementSearch, ReceiveErrorKeepsWhatWasAccepted) {
    answerSearch({{reply(key(), kMac1, wifiPayload("M")), kFrom1}});
    net.onSend = [this](const SentDatagram&) {
        if (net.sent.size() == 2) net.deliver(reply(key(), kMac1, wifiPayload("M")), kFrom1);
    };
    auto out = searchModules(ctx, 0);
    ASSERT_EQ(out.records.size(), 1u);
    net.receiveError = 5;
    EXPECT_TRUE(searchModules(ctx, 0).records.empty());
}

using ManagementWrite = Fixture;

namespace {

// Searches once so a block is kept, then returns the module's record.
DiscoveredPrinter foundModule(Fixture& f, const std::vector<uint8_t>& payload) {
    f.net.sent.clear();
    f.answerSearch({{reply(f.key(), kMac1, payload), kFrom1}});
    auto out = searchModules(f.ctx, 0);
    f.net.onSend = nullptr;
    f.net.sent.clear();
    return out.records.at(0);
}

}  // namespace

TEST_F(ManagementWrite, SuccessReplacesTheRecordAndSendsTheMergedBlock) {
    auto r = foundModule(*this, wifiPayload("Old"));
    r.setSsidText("New");
    net.onSend = [this](const SentDatagram& s) {
        if (net.sent.size() != 2) return;
        auto answer = plainPayload(key(), s.bytes);
        net.deliver(reply(key(), kMac1, answer, kFlagReply, kCommandWriteConfig, 0), kFrom1);
    };
    EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), kCodeSuccess);
    ASSERT_EQ(net.sent.size(), 2u);
    EXPECT_EQ(net.sent[0].bytes[5], 0x01);
    EXPECT_EQ(std::vector<uint8_t>(net.sent[0].bytes.begin() + 10, net.sent[0].bytes.begin() + 16),
              std::vector<uint8_t>(kMac1.begin(), kMac1.end()));
    auto sent = plainPayload(key(), net.sent[0].bytes);
    DiscoveredPrinter parsed;
    ASSERT_TRUE(parseItems(sent, parsed));
    EXPECT_EQ(parsed.ssidText(), "New");
    // The item the program does not model went back as the module sent it.
    auto unknown = item(45, 1, std::vector<uint8_t>(700, 7));
    EXPECT_NE(std::search(sent.begin(), sent.end(), unknown.begin(), unknown.end()), sent.end());
    EXPECT_EQ(r.ssidText(), "New");
}

TEST_F(ManagementWrite, StatusCodes) {
    for (auto [status, code] : {std::pair{2, kCodePasswordMismatch},
                                {3, kCodeProductIdMismatch},
                                {7, kCodeUnknownError}}) {
        auto r = foundModule(*this, wifiPayload("S"));
        net.onSend = [this, status = status](const SentDatagram&) {
            if (net.sent.size() == 2)
                net.deliver(
                    reply(key(), kMac1, {}, kFlagReply, kCommandWriteConfig, uint8_t(status)),
                    kFrom1);
        };
        EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), code) << status;
    }
}

TEST_F(ManagementWrite, ReplyFromAnotherMacOrToASearchDoesNotEndIt) {
    // Another module's answer, and the target's late answer to a search (status 0 there).
    for (auto [mac, command] :
         {std::pair{kMac2, kCommandWriteConfig}, {kMac1, kCommandSearchAll}}) {
        auto r = foundModule(*this, wifiPayload("S"));
        net.onSend = [this, mac = mac, command = command](const SentDatagram&) {
            if (net.sent.size() == 2)
                net.deliver(reply(key(), mac, wifiPayload("S"), kFlagReply, command, 0), kFrom1);
        };
        uint64_t start = clock.nowMs();
        EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), kCodeNoResponse) << int(command);
        EXPECT_GE(clock.nowMs() - start, 3000u);
        EXPECT_LE(clock.nowMs() - start, 3100u);
    }
}

TEST_F(ManagementWrite, NoAnswerGivesMinus200AfterThreeSeconds) {
    auto r = foundModule(*this, wifiPayload("S"));
    uint64_t start = clock.nowMs();
    EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), kCodeNoResponse);
    EXPECT_EQ(clock.nowMs() - start, 10u + 3000u);
}

TEST_F(ManagementWrite, WithoutAKeptBlockNothingIsSent) {
    DiscoveredPrinter r;
    r.mac = kMac1;
    EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), kCodeNoBlock);
    EXPECT_TRUE(net.sent.empty());
    EXPECT_TRUE(net.opened.empty());
}

TEST_F(ManagementWrite, ChecksRunBeforeTheSocket) {
    auto r = foundModule(*this, wifiPayload("S"));
    r.ipAddress = {127, 0, 0, 5};
    EXPECT_EQ(writeModuleConfig(ctx, 0, r, {}), kCodeLocalIp);
    EXPECT_TRUE(net.sent.empty());
}

TEST_F(ManagementWrite, NonZeroPasswordIsReplacedByTheGivenOne) {
    auto payload = wifiPayload("S");
    auto withPassword = concat({payload, item(6, 0, textData("old", 10))});
    auto r = foundModule(*this, withPassword);
    std::array<uint8_t, 10> given{};
    std::copy_n("secret", 6, given.begin());
    writeModuleConfig(ctx, 0, r, given);
    ASSERT_FALSE(net.sent.empty());
    DiscoveredPrinter parsed;
    ASSERT_TRUE(parseItems(plainPayload(key(), net.sent[0].bytes), parsed));
    EXPECT_EQ(parsed.password, given);
}

TEST_F(ManagementWrite, DirectedWriteGoesToTheReplyAddress) {
    auto payload = wifiPayload("S");
    net.onSend = [&](const SentDatagram&) {
        if (net.sent.size() == 2)
            net.deliver(reply(key(), kMac1, payload, kFlagReply | kFlagDirected, kCommandSearchOne),
                        kFrom2);
    };
    auto found = searchModules(ctx, 1, kFrom2.ip);
    ASSERT_EQ(found.records.size(), 1u);
    EXPECT_EQ(net.sent[0].bytes[5], 0x03);
    EXPECT_EQ(net.sent[0].bytes[6], kCommandSearchOne);
    net.onSend = nullptr;
    net.sent.clear();
    auto r = found.records[0];
    writeModuleConfig(ctx, 1, r, {});
    ASSERT_FALSE(net.sent.empty());
    EXPECT_EQ(net.sent[0].to, (SocketAddress{kFrom2.ip, 47000}));
    EXPECT_EQ(net.sent[0].bytes[5], 0x03);
}

// The seed datagram was enciphered and checked by an independent encoder; the exchange
// must accept it as it is.
TEST(ManagementSeed, IndependentlyEncodedReplyIsAccepted) {
    std::ifstream in(SETRION_SOURCE_DIR "/fuzz/corpus/accept_reply/reply_wifi", std::ios::binary);
    std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(d.size(), 32u);
    ItemBlockStore blocks;
    ExchangeState state(kCommandSearchAll, 0, kDefaultProtocolKeyPrefix, blocks);
    acceptReply(state, {0x7F000001, 50005}, d);
    ASSERT_EQ(state.table.size(), 1u);
    const auto& r = state.table[0].record;
    EXPECT_EQ(r.ssidText(), "SimNet-1");
    EXPECT_EQ(r.wpaKeyText(), "simpass-1");
    EXPECT_EQ(r.ports[0].localPort(), 9100);
    EXPECT_EQ(r.wifiFlags, 0x00140061u);
    EXPECT_TRUE(r.isWifiModule);
}
