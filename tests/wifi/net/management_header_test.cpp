#include "wifi/net/management_header.h"

#include <gtest/gtest.h>

#include "common/rc4.h"

using namespace setrion;
using namespace setrion::net;

TEST(ManagementHeader, ReplyFieldsAtTheirOffsets) {
    std::vector<uint8_t> d = {0x2A, 0x76, 0x4E, 0x01, 0x10, 0x82, 0x03, 0x02, 0x34, 0x12,
                              0x02, 0x00, 0x00, 0x00, 0x00, 0x07, 0x15, 0x01, 0x02, 0x03};
    d.resize(32, 0);
    auto h = ManagementHeader::decode(d);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->hasMagic());
    EXPECT_EQ(h->flags, 0x82);
    EXPECT_EQ(h->command, 3);
    EXPECT_EQ(h->status, 2);
    EXPECT_EQ(h->payloadCheck, 0x1234);
    EXPECT_EQ(h->mac, (MacAddress{2, 0, 0, 0, 0, 7}));
    EXPECT_EQ(h->productCode, 0x15);
    EXPECT_EQ(h->versionV1, 1);
    EXPECT_EQ(h->versionV2, 2);
    EXPECT_EQ(h->versionV3, 3);
    auto back = h->encode();
    EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.end()), d);
    EXPECT_FALSE(ManagementHeader::decode(std::vector<uint8_t>(31, 0)));
}

TEST(PayloadCipher, KeyIsPrefixThenCheckLowByteFirst) {
    ProtocolKeyPrefix prefix = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    std::vector<uint8_t> data = {'p', 'a', 'y', 'l', 'o', 'a', 'd'};
    auto ciphered = data;
    applyPayloadCipher(prefix, 0xBEEF, ciphered);
    const std::array<uint8_t, 16> key = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0xEF, 0xBE};
    auto expected = data;
    Rc4(key).apply(expected);
    EXPECT_EQ(ciphered, expected);
    applyPayloadCipher(prefix, 0xBEEF, ciphered);
    EXPECT_EQ(ciphered, data);
}

TEST(ProtocolKey, ParsesExactly28HexDigits) {
    auto key = parseProtocolKey("000102030405060708090A0B0c0d");
    ASSERT_TRUE(key);
    EXPECT_EQ((*key)[0], 0);
    EXPECT_EQ((*key)[13], 0x0D);
    EXPECT_FALSE(parseProtocolKey("000102030405060708090A0B0C"));
    EXPECT_FALSE(parseProtocolKey("000102030405060708090A0B0C0G"));
}
