#include "wifi/net/env_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/trace.h"
#include "net_test_util.h"

using namespace setrion::net;
using namespace setrion::net::testing;

namespace {

struct TraceCapture {
    TraceCapture() {
        setrion::setTraceSink([this](std::string_view l) { lines.emplace_back(l); });
    }
    ~TraceCapture() { setrion::setTraceSink(nullptr); }
    std::vector<std::string> lines;
};

std::vector<std::pair<int, int>> typesOf(const std::vector<uint8_t>& list) {
    std::vector<std::pair<int, int>> out;
    size_t off = 0;
    while (auto it = itemAt(list, off)) {
        out.emplace_back(it->type, it->index);
        off += it->length;
    }
    return out;
}

}  // namespace

TEST(EnvItem, PaddingGivesTheDocumentedItemLengths) {
    EXPECT_EQ(item(3, 0, std::vector<uint8_t>(4)).size(), 12u);
    EXPECT_EQ(item(2, 0, std::vector<uint8_t>(2)).size(), 8u);
    EXPECT_EQ(item(33, 0, std::vector<uint8_t>(6)).size(), 12u);
    EXPECT_EQ(item(6, 0, std::vector<uint8_t>(10)).size(), 16u);
    EXPECT_EQ(item(9, 3, std::vector<uint8_t>(52)).size(), 60u);
    EXPECT_EQ(item(9, 1, std::vector<uint8_t>(32)).size(), 40u);
}

TEST(EnvItem, BytesOfAnAddressItem) {
    std::vector<uint8_t> expected = {0x03, 0x00, 0x0C, 0x00, 0xC0, 0xA8, 0x01,
                                     0x14, 0x00, 0x00, 0xEF, 0x5B};
    EXPECT_EQ(item(3, 0, {0xC0, 0xA8, 0x01, 0x14}), expected);
    EXPECT_EQ(item(2, 0, {0x15, 0x00}), (std::vector<uint8_t>{2, 0, 8, 0, 0x15, 0, 0x3B, 0xC3}));
}

TEST(EnvItem, TerminatorOnlyOnMultiplesOf256) {
    std::vector<uint8_t> list512(512, 0);
    finishItemList(list512);
    ASSERT_EQ(list512.size(), 520u);
    EXPECT_EQ(std::vector<uint8_t>(list512.begin() + 512, list512.end()),
              (std::vector<uint8_t>{0, 0, 8, 0, 0, 0, 0xFD, 0xB4}));
    std::vector<uint8_t> list516(516, 0);
    finishItemList(list516);
    EXPECT_EQ(list516.size(), 516u);
}

TEST(ParseItems, FieldsFromTheirItems) {
    auto payload = concat({
        item(1, 0, {2, 0, 0, 0, 0, 9, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF}),
        item(3, 0, {192, 168, 1, 20}),
        item(3, 1, {255, 255, 255, 0}),
        item(3, 3, {8, 8}),  // a 2-byte address: upper bytes stay zero
        item(9, 0, {0x41, 0x00, 0x04, 0x00}),
        item(9, 1, textData("Office", 32)),
        item(32, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0x8C, 0x23, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}),
        item(64, 0, {0x50, 0x00}),
        item(5, 0, {0x08, 0, 0, 0}),
    });
    DiscoveredPrinter r;
    ASSERT_TRUE(parseItems(payload, r));
    EXPECT_EQ(r.mac, (MacAddress{2, 0, 0, 0, 0, 9}));
    EXPECT_EQ(r.macTail, (std::array<uint8_t, 6>{0xA, 0xB, 0xC, 0xD, 0xE, 0xF}));
    EXPECT_EQ(r.ipAddress, (Ipv4Octets{192, 168, 1, 20}));
    EXPECT_EQ(r.subnetMask, (Ipv4Octets{255, 255, 255, 0}));
    EXPECT_EQ(r.dnsServer, (Ipv4Octets{8, 8, 0, 0}));
    EXPECT_EQ(r.wifiFlags, 0x00040041u);
    EXPECT_EQ(r.ssidText(), "Office");
    EXPECT_TRUE(r.ports[1].present);
    EXPECT_FALSE(r.ports[0].present);
    EXPECT_EQ(r.ports[1].localPort(), 9100);
    EXPECT_EQ(r.ports[1].mode(), 3);
    EXPECT_EQ(r.port64, 80);
    EXPECT_EQ(r.optionFlags, 8u);
}

TEST(ParseItems, UnknownTypeIsSkippedAndParsingGoesOn) {
    auto payload = concat({item(45, 0, {1, 2, 3, 4}), item(3, 0, {10, 1, 2, 3}), item(70, 9, {})});
    DiscoveredPrinter r;
    ASSERT_TRUE(parseItems(payload, r));
    EXPECT_EQ(r.ipAddress, (Ipv4Octets{10, 1, 2, 3}));
}

TEST(ParseItems, FaultyItemsDropTheDatagramWithTheirTrace) {
    TraceCapture traces;
    DiscoveredPrinter r;
    auto bad = item(3, 0, {1, 2, 3, 4});
    bad[6] ^= 0xFF;  // data changed after the check was computed
    EXPECT_FALSE(parseItems(bad, r));
    auto truncated = item(3, 0, {1, 2, 3, 4});
    truncated.pop_back();
    EXPECT_FALSE(parseItems(truncated, r));
    std::vector<uint8_t> tiny = {3, 0, 4, 0};  // length below the item overhead
    EXPECT_FALSE(parseItems(tiny, r));
    EXPECT_FALSE(parseItems(item(16, 4, std::vector<uint8_t>(12)), r));  // port beyond 0..3
    EXPECT_FALSE(parseItems(item(36, 8, std::vector<uint8_t>(32)), r));  // macro beyond 0..7
    EXPECT_FALSE(parseItems(item(48, 0, std::vector<uint8_t>(1404)), r));  // over 1400 data bytes
    EXPECT_EQ(traces.lines, (std::vector<std::string>{"CRC fail...\n", "What ENV???\n",
                                                      "What ENV???\n", "What ENV???\n",
                                                      "What ENV???\n", "What ENV???\n"}));
}

TEST(ParseItems, ProductCodesSetTheFlags) {
    struct Case {
        uint16_t p, s;
        int countA;
        bool io, b38, wifi;
    };
    for (auto c : {Case{0x10, 0, 8, true, false, false}, Case{0, 0x21, 8, true, false, false},
                   Case{0x22, 0, 4, true, false, false}, Case{0x13, 0, 0, false, true, false},
                   Case{0x15, 0, 0, false, false, true}, Case{0, 0x28, 0, false, false, true},
                   Case{0x44, 0, 0, false, false, false}}) {
        DiscoveredPrinter r;
        auto payload = concat({item(2, 1, {uint8_t(c.s), 0}), item(2, 0, {uint8_t(c.p), 0})});
        ASSERT_TRUE(parseItems(payload, r));
        EXPECT_EQ(r.slotCountA, c.countA) << c.p << "/" << c.s;
        EXPECT_EQ(r.hasIoItems, c.io) << c.p << "/" << c.s;
        EXPECT_EQ(r.hasBlock38, c.b38) << c.p << "/" << c.s;
        EXPECT_EQ(r.isWifiModule, c.wifi) << c.p << "/" << c.s;
    }
}

TEST(VersionRules, PortDefaultAndOptionBits) {
    DiscoveredPrinter r;
    applyVersionRules(r, 16, 1, 3, 0);
    EXPECT_EQ(r.port64, 80);
    EXPECT_EQ(r.ports[0].head[2], 0x04);  // bit 18 of the first word
    EXPECT_EQ(r.ports[1].head[2], 0x04);
    EXPECT_EQ(r.versionV1, 1);
    EXPECT_EQ(r.versionV2V3, 0x0300);

    DiscoveredPrinter old;
    old.optionFlags = (1u << 25) | (1u << 19) | (1u << 18) | 1u;
    applyVersionRules(old, 17, 1, 1, 9);
    EXPECT_EQ(old.optionFlags, 1u);
    DiscoveredPrinter current;
    applyVersionRules(current, 20, 1, 3, 0);
    EXPECT_EQ(current.optionFlags, 1u << 25);
    EXPECT_EQ(current.ports[0].head[2], 0x00);  // needs V2 > 4 or V2 > 3 with V3
}

TEST(BuildItems, OptionTextIndexFollowsBits21To23) {
    for (auto [bits, expected] : {std::pair{0u, 0x80}, {1u, 0x80}, {2u, 0x81}, {3u, 0x81}, {5u, -1}}) {
        DiscoveredPrinter r;
        r.optionFlags = bits << 21;
        auto types = typesOf(buildItems(r));
        bool has80 = std::count(types.begin(), types.end(), std::pair{35, 0x80}) > 0;
        bool has81 = std::count(types.begin(), types.end(), std::pair{35, 0x81}) > 0;
        EXPECT_EQ(has80, expected == 0x80) << bits;
        EXPECT_EQ(has81, expected == 0x81) << bits;
    }
}

TEST(BuildItems, WifiModuleOrderAndDefaults) {
    DiscoveredPrinter r;
    r.productCode = 0x15;
    r.isWifiModule = true;
    r.ports[0].present = true;
    r.setSsidText("IEEE");
    r.setWpaKeyText("password");
    auto list = buildItems(r);
    std::vector<std::pair<int, int>> expected = {
        {2, 1}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {16, 0}, {32, 0}, {35, 0}, {5, 0}, {7, 0},
        {33, 0}, {34, 0}, {8, 0}, {8, 1}, {35, 0x80}, {6, 0}, {6, 1}, {39, 0}, {40, 0},
        {9, 0}, {9, 1}, {9, 2}, {9, 3}, {9, 4}, {9, 5}, {9, 6}};
    EXPECT_EQ(typesOf(list), expected);
    // The 802.11i test vector: passphrase "password", SSID "IEEE".
    const std::array<uint8_t, 32> psk = {
        0xf4, 0x2c, 0x6f, 0xc5, 0x2d, 0xf0, 0xeb, 0xef, 0x9e, 0xbb, 0x4b, 0x90, 0xb3, 0x8a, 0x5f, 0x90,
        0x2e, 0x83, 0xfe, 0x1b, 0x13, 0x5a, 0x70, 0xe2, 0x3a, 0xed, 0x76, 0x2e, 0x97, 0x10, 0xa1, 0x2e};
    EXPECT_EQ(r.wpaPsk, psk);
    EXPECT_EQ(std::string(r.wifiTail.begin(), r.wifiTail.begin() + 14), "88888888888888");
    EXPECT_EQ(r.wifiTail[14], 0);
    EXPECT_EQ(list.size(), 792u);  // 428 + 120 for the port + 244 for the Wi-Fi items
}

TEST(BuildItems, ListOf768BytesGetsTheTerminator) {
    DiscoveredPrinter r;
    r.optionFlags = 5u << 21;  // no option text: base list of 356 bytes
    r.isWifiModule = true;     // + 244
    r.hasIoItems = true;       // + 144, + 24 for one slot name
    r.slotCountA = 1;
    auto list = buildItems(r);
    ASSERT_EQ(list.size(), 776u);
    EXPECT_EQ(typesOf(list).back(), (std::pair{0, 0}));
}

TEST(BuildItems, SameSsidAndKeySameKeyOtherSsidOther) {
    DiscoveredPrinter a, b;
    for (auto* r : {&a, &b}) {
        r->productCode = 0x15;
        r->setSsidText("Office");
        r->setWpaKeyText("correct horse");
    }
    buildItems(a);
    buildItems(b);
    EXPECT_EQ(a.wpaPsk, b.wpaPsk);
    b.setSsidText("Office2");
    b.setWpaKeyText("correct horse");
    buildItems(b);
    EXPECT_NE(a.wpaPsk, b.wpaPsk);
}

TEST(WpaKeyText, LongKeysContinueIntoThePskFieldAndOver64AreRefused) {
    DiscoveredPrinter r;
    std::string k40(40, 'k');
    ASSERT_TRUE(r.setWpaKeyText(k40));
    EXPECT_EQ(r.wpaKeyText(), k40);
    EXPECT_EQ(r.wpaPassphraseText(), std::string(32, 'k'));
    EXPECT_FALSE(r.setWpaKeyText(std::string(65, 'x')));
    EXPECT_EQ(r.wpaKeyText(), k40);
    // A key of exactly 32 characters does not run on into an old pre-shared key.
    r.wpaPsk.fill(0x5A);
    ASSERT_TRUE(r.setWpaKeyText(std::string(32, 'z')));
    EXPECT_EQ(r.wpaKeyText(), std::string(32, 'z'));
}
