// Writes to many modules at once and the plan of a fleet apply.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "fake_socket.h"
#include "net_test_util.h"
#include "wifi/net/fleet_apply.h"
#include "wifi/net/fleet_writer.h"
#include "wifi/net/save_result.h"

using namespace setrion;
using namespace setrion::net;
using namespace setrion::net::testing;

namespace {

MacAddress macOf(int n) { return {2, 0, 0, 0, 0, static_cast<uint8_t>(n)}; }

std::vector<uint8_t> modulePayload(uint8_t lastOctet) {
    return concat({item(2, 0, {0x15, 0}), item(3, 0, {192, 168, 1, lastOctet}),
                   item(3, 1, {255, 255, 255, 0}), item(9, 1, textData("Old", 32))});
}

DiscoveredPrinter moduleRecord(int n, uint8_t lastOctet) {
    DiscoveredPrinter r;
    EXPECT_TRUE(parseItems(modulePayload(lastOctet), r));
    r.mac = macOf(n);
    r.replyAddress = {192, 168, 1, lastOctet};
    return r;
}

struct FleetWriterTest : ::testing::Test {
    ManualClock clock{1000};
    FakeNetwork net{clock};
    ItemBlockStore blocks;
    ManagementContext ctx;
    void SetUp() override {
        ctx.config.broadcast = 0x7FFFFFFF;
        ctx.clock = &clock;
        ctx.openSocket = net.opener();
        ctx.blocks = &blocks;
    }
};

}  // namespace

TEST_F(FleetWriterTest, RepliesMatchedByMacAtMostSixteenInFlightEachWrittenOnce) {
    constexpr int kCount = 40;
    std::vector<FleetWrite> writes;
    for (int n = 1; n <= kCount; ++n) {
        storeBlock(blocks.list(false), macOf(n), modulePayload(static_cast<uint8_t>(n)));
        writes.push_back({moduleRecord(n, static_cast<uint8_t>(n)), 0});
    }
    std::set<int> inFlight;
    size_t mostInFlight = 0;
    std::map<int, int> requestsTo;
    net.onSend = [&](const SentDatagram& s) {
        int n = s.bytes[15];
        if (++requestsTo[n] > 1) return;  // the second copy of a request
        inFlight.insert(n);
        mostInFlight = std::max(mostInFlight, inFlight.size());
        if (n == 5) return;  // never answers
        uint8_t status = n == 3 ? 2 : 0;
        // Even MACs answer later than odd ones, so replies come back out of send order.
        net.deliver(reply(ctx.config.protocolKey, macOf(n), plainPayload(ctx.config.protocolKey, s.bytes),
                          kFlagReply, kCommandWriteConfig, status),
                    {0x7F000001, 50005}, n % 2 ? 20 : 80);
    };
    uint64_t start = clock.nowMs();
    writeModulesTogether(ctx, writes, {}, kMaxOutstandingWrites, [&](size_t i, bool sent) {
        if (!sent) inFlight.erase(static_cast<int>(i) + 1);
    });
    EXPECT_LE(mostInFlight, 16u);
    EXPECT_GT(mostInFlight, 8u);
    for (int n = 1; n <= kCount; ++n) {
        int expected = n == 3 ? kCodePasswordMismatch : n == 5 ? kCodeNoResponse : kCodeSuccess;
        EXPECT_EQ(writes[static_cast<size_t>(n - 1)].code, expected) << n;
        EXPECT_LE(requestsTo[n], 2) << n;  // one request, at most its second copy
    }
    // The silent module's window bounds the run; the others overlap it.
    EXPECT_LE(clock.nowMs() - start, kWriteWindowMs + 1000);
}

TEST_F(FleetWriterTest, ChecksRefuseBeforeAnythingIsSent) {
    std::vector<FleetWrite> writes{{moduleRecord(1, 20), 0}, {moduleRecord(2, 21), 0}};
    storeBlock(blocks.list(false), macOf(2), modulePayload(21));
    writes[1].record.ipAddress = {192, 168, 1, 255};
    writeModulesTogether(ctx, writes, {});
    EXPECT_EQ(writes[0].code, kCodeNoBlock);
    EXPECT_EQ(writes[1].code, kCodeLocalIp);
    EXPECT_TRUE(net.sent.empty());
}

namespace {

// Three targets, a fourth module outside the targets on 192.168.7.51, one text printer.
NetworkSearchResult fleetSearch() {
    NetworkSearchResult s;
    for (int n : {1, 2, 3, 4}) s.modules.push_back(moduleRecord(n, static_cast<uint8_t>(19 + n)));
    s.modules[3].ipAddress = {192, 168, 7, 51};
    for (size_t i = 0; i < s.modules.size(); ++i)
        s.lines.push_back({NetworkLine::Kind::Module, i, formatMac(s.modules[i].mac)});
    return s;
}

}  // namespace

TEST(FleetPlanTest, AddressesInMacOrderSkippingOnesInUse) {
    FleetRequest request;
    request.macs = {macOf(3), macOf(1), macOf(2), macOf(9)};
    request.ipFrom = 0xC0A80732;  // 192.168.7.50
    request.moduleEdit.ssid = "Fleet";
    FleetPlan plan = planFleet(fleetSearch(), request);
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.rows.size(), 4u);
    std::vector<std::pair<std::string, std::string>> expected{
        {"02:00:00:00:00:01", "192.168.7.50"}, {"02:00:00:00:00:02", "192.168.7.52"},
        {"02:00:00:00:00:03", "192.168.7.53"}, {"02:00:00:00:00:09", ""}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan.rows[i].mac, expected[i].first);
        EXPECT_EQ(plan.rows[i].newIp, expected[i].second);
    }
    EXPECT_EQ(plan.rows[0].oldIp, "192.168.1.20");
    EXPECT_EQ(plan.rows[0].changes, (std::vector<std::string>{"ssid", "ip"}));
    EXPECT_EQ(plan.rows[0].edit.dhcp, false);
    EXPECT_FALSE(plan.rows[3].found);
    EXPECT_EQ(plan.rows[3].message, "No printer with MAC 02:00:00:00:00:09 answered.");
}

TEST(FleetPlanTest, RefusedBeforeAnythingIsSent) {
    struct Case {
        std::optional<uint32_t> ipFrom;
        bool profileIp;
        std::string error;
    } cases[] = {
        {0xC0A807FE, false, "--ip-from: 192.168.7.255 for 02:00:00:00:00:02: Wrong Local IP address."},
        {std::nullopt, true, "The profile's ip would be given to every target: use --ip-from, or one --mac"},
        {std::nullopt, false, ""},
    };
    for (const auto& c : cases) {
        FleetRequest request;
        request.macs = {macOf(1), macOf(2), macOf(3)};
        request.ipFrom = c.ipFrom;
        if (c.profileIp) request.moduleEdit.ip = 0xC0A80A0A;
        EXPECT_EQ(planFleet(fleetSearch(), request).error, c.error);
    }
}
