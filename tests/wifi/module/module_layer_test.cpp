#include <gtest/gtest.h>

#include <string>

#include "tests/support/scripted_link.h"
#include "wifi/module/env_item.h"
#include "wifi/module/module_frames.h"
#include "wifi/module/parameter_reply.h"
#include "wifi/module/reply_collection.h"
#include "wifi/module/wlan_options.h"

namespace setrion::wifi {
namespace {

using setrion::test::bytes;
using setrion::test::text;

TEST(ModuleFrames, DataModeAndCommandLines) {
    EXPECT_EQ(*dataFrame("c 0\r"), (std::vector<uint8_t>{0x1B, '[', 'D', 4, 'c', ' ', '0', '\r'}));
    EXPECT_EQ(modeFrame(true), (std::vector<uint8_t>{0x1B, 0x5B, 0x4D, 0x01}));
    EXPECT_EQ(modeFrame(false), (std::vector<uint8_t>{0x1B, 0x5B, 0x4D, 0x00}));
    EXPECT_FALSE(dataFrame(std::string(256, 'x')));
    EXPECT_EQ(readCommand(Parameter::IpAddress), "r 03 00\r");
    EXPECT_EQ(readCommand(Parameter::WpaKeyExtended), "r 09 15\r");
    EXPECT_EQ(readCommand(Parameter::TcpIpPort), "r 20 00\r");
    EXPECT_EQ(readCommand(Parameter::ModuleInfo), "c 0\r");
    EXPECT_EQ(writeCommand(Parameter::TcpActiveOptions, "AB "), "w 05 00 AB ");
    EXPECT_EQ(kFactoryResetPayload.size(), 30u);
    EXPECT_EQ(kFactoryResetPayload, "u d1e7 6c8e\re 4\rl e26d\rf b7d3\r");
}

TEST(ModuleFrames, SettingsBlockRequests) {
    auto read = settingsBlockReadRequest();
    ASSERT_EQ(read.size(), 1026u);
    EXPECT_EQ(text(std::span(read).first(10)), "\x1b[\x02" "11111\r\n");
    EXPECT_EQ(read[10], ' ');
    EXPECT_EQ(read[1022], ' ');
    EXPECT_EQ(text(std::span(read).last(3)), "\r\n\x03");
    WifiSettings rec;
    rec.setText(field::kSsid, "Lab");
    auto write = settingsBlockWriteRequest(rec);
    ASSERT_EQ(write.size(), 1026u);
    EXPECT_EQ(text(std::span(write).first(8)), "\x1b[\x02" "00000");
    EXPECT_EQ(text(std::span(write).subspan(10 + 14, 5)), "Lab\r\n");
}

TEST(ModuleFrames, SettingsBlockReplyChecks) {
    std::string reply = "\x02" "xxxxx\r\n" + std::string(1013, 'A') + "\r\n\x03";
    EXPECT_TRUE(settingsBlockReplyRecord(bytes(reply)));
    std::string bad67 = reply;
    bad67[6] = 'x';
    EXPECT_FALSE(settingsBlockReplyWellFormed(bytes(bad67)));
    std::string noStx = reply;
    noStx[0] = 'x';
    EXPECT_FALSE(settingsBlockReplyWellFormed(bytes(noStx)));
    EXPECT_FALSE(settingsBlockReplyRecord(bytes(reply.substr(0, 500))));  // cut short
}

TEST(EnvItemCodec, BuildsValuePaddingAndCrcLowByteFirst) {
    EnvItem ip{0x03, 0x00, {192, 168, 0, 10}};
    EXPECT_EQ(ip.build(), (std::vector<uint8_t>{0x03, 0x00, 0x0C, 0x00, 0xC0, 0xA8, 0x00, 0x0A,
                                                0x00, 0x00, 0x39, 0x75}));
    EXPECT_EQ(envItemRecordText(ip.build()), "03 00 0C 00 C0 A8 00 0A 00 00 39 75 ");
    EXPECT_EQ(envItemPadding(4), 2u);
    EXPECT_EQ(envItemPadding(5), 1u);
    EXPECT_EQ(envItemPadding(6), 0u);
    EXPECT_EQ(envItemPadding(7), 3u);
    EnvItem wep104{0x09, 0x03, std::vector<uint8_t>(52, 0x22)};
    auto b = wep104.build();
    ASSERT_EQ(b.size(), 60u);
    EXPECT_EQ(b[2], 60);
    EXPECT_EQ(envItemRecordText(b).size(), 180u);
}

TEST(EnvItemCodec, ParseChecksLengthAndCrc) {
    auto raw = bytes(std::string("\x03\x00\x0C\x00\xC0\xA8\x00\x0A\x00\x00\x39\x75", 12));
    auto p = parseEnvItem(raw);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->crcValid);
    EXPECT_EQ(p->length, 12u);
    EXPECT_EQ(p->item.value, (std::vector<uint8_t>{0xC0, 0xA8, 0x00, 0x0A, 0x00, 0x00}));
    raw[11] ^= 1;
    EXPECT_FALSE(parseEnvItem(raw)->crcValid);
    raw[2] = 0x40;  // longer than the bytes
    EXPECT_FALSE(parseEnvItem(raw));
    raw[2] = 0x02;  // shorter than an empty item
    EXPECT_FALSE(parseEnvItem(raw));
}

TEST(ParameterReplyParse, AcceptsAndDecodesSkippingLastEightBytes) {
    auto r = parseParameterReply(bytes("701\r\n03 00 0C 00 C0 A8 00 0A 00 00 39 75 \r\n"), true);
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.decoded, (std::vector<uint8_t>{0x03, 0x00, 0x0C, 0x00, 0xC0, 0xA8, 0x00, 0x0A,
                                               0x00, 0x00}));
    EXPECT_EQ(r.value(0, 4), (std::vector<uint8_t>{0xC0, 0xA8, 0x00, 0x0A}));
    EXPECT_EQ(r.value(8, 2), (std::vector<uint8_t>{0, 0}));  // beyond the decoded bytes
}

TEST(ParameterReplyParse, ShortAndNon701Replies) {
    auto shortReply = parseParameterReply(bytes("701\r\nAB CD\r\n"), true);  // 12 bytes
    EXPECT_TRUE(shortReply.accepted);
    EXPECT_TRUE(shortReply.decoded.empty());
    EXPECT_TRUE(parseParameterReply(bytes("701\r\n41 42 43 \r\n"), true).decoded.empty() == false);
    for (const char* bad : {"702\r\n03 00 0C 00 C0 A8 00 0A 00 00 39 75 \r\n", "ERR\r\n", "70"}) {
        EXPECT_FALSE(parseParameterReply(bytes(bad), true).accepted) << bad;
        EXPECT_FALSE(parseParameterReply(bytes(bad), false).accepted) << bad;
    }
    EXPECT_TRUE(parseParameterReply(bytes("701"), false).accepted);
    EXPECT_FALSE(parseParameterReply(bytes("701 \r\n41 42 43 44\r\n"), true).accepted);
}

TEST(ParameterReplyParse, DecodeBufferIsBounded) {
    std::string longText = "701\r\n" + std::string(1200, 'A') + "\r\n";
    EXPECT_EQ(parseParameterReply(bytes(longText), true).decoded.size(), 256u);
}

TEST(WlanOptionsBytes, WpaTwoPskAesChannelSixInfrastructure) {
    auto v = wlanOptionsFromSelections(/*mode*/ 1, /*channel*/ 6, /*E*/ 3, /*K*/ 2,
                                       /*auth*/ 1, /*WPA auth*/ 2, /*WPA enc*/ 2);
    EXPECT_EQ(encodeWlanOptions(v), (std::array<uint8_t, 4>{0x61, 0x40, 0x14, 0x00}));
    EXPECT_EQ(v.keyInUse, 0);
    EXPECT_EQ(v.wepEncryption, 0);
    auto psk = wlanOptionsFromSelections(1, 6, 3, 0, 1, 1, 1);  // WPA-PSK TKIP
    EXPECT_EQ(encodeWlanOptions(psk)[2], 0x0A);
}

TEST(WlanOptionsBytes, NoneWritesOpenSystemAndNoWpa) {
    auto v = wlanOptionsFromSelections(0, 11, 0, 2, /*auth Shared Key*/ 2, 2, 2);
    EXPECT_EQ(encodeWlanOptions(v), (std::array<uint8_t, 4>{0xB0, 0x48, 0x00, 0x00}));
    auto x = wlanOptionsFromSelections(1, 1, 4, 3, 3, 0, 0);  // 802.1x is written as 0
    EXPECT_EQ(encodeWlanOptions(x), (std::array<uint8_t, 4>{0x11, 0xCC, 0x00, 0x00}));
}

TEST(WlanOptionsBytes, DecodeIgnoresReservedBits) {
    auto v = decodeWlanOptions(std::vector<uint8_t>{0x61, 0x76, 0x14, 0x00});
    EXPECT_EQ(v.mode, 1);
    EXPECT_EQ(v.channel, 6);
    EXPECT_EQ(v.wepEncryption, 2);
    EXPECT_EQ(v.keyInUse, 1);
    EXPECT_EQ(v.authentication, 1);
    EXPECT_EQ(v.wpaMode, 4);
    EXPECT_EQ(v.wpaCipher, 2);
}

class Collection : public ::testing::Test {
protected:
    setrion::test::ScriptedLink serial, usb;
    LinkPair links{&serial, &usb, LinkKind::Serial};
    ManualClock clock;
};

TEST_F(Collection, AccumulatesAcrossPollsUntilEndMark) {
    serial.queueRead("701\r\n41 ");
    serial.queueRead(std::vector<uint8_t>{});
    serial.queueRead("42 \r\n");
    serial.queueRead("junk");
    auto r = collectReply(links, clock, kParameterReadLimits);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(text(r.bytes), "701\r\n41 42 \r\n");
    EXPECT_EQ(clock.sleptMs(), 10u);
}

TEST_F(Collection, ErrorLineEndsAParameterRead) {
    serial.queueRead("702\r\n");
    auto r = collectReply(links, clock, kParameterReadLimits);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(clock.sleptMs(), 0u);
}

TEST_F(Collection, SilenceEndsAfter151EmptyPolls) {
    auto r = collectReply(links, clock, kLineReplyLimits);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_EQ(serial.readCalls(), 151);
    EXPECT_EQ(clock.sleptMs(), 1500u);
    serial.queueRead("partial");
    auto p = collectReply(links, clock, kLineReplyLimits);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(text(p.bytes), "partial");
}

TEST_F(Collection, SilenceIsTimeOnTheClockWhateverLoadDoesToThePolls) {
    // A loaded host: every 10 ms pause takes 40 ms. The quiet window still closes after
    // 1500 ms, not after 151 polls; bytes in the middle start it again.
    clock.setSleepHook([&](uint32_t) { clock.advance(30); });
    const uint64_t start = clock.nowMs();
    for (int i = 0; i < 20; ++i) serial.queueRead(std::vector<uint8_t>{});
    serial.queueRead("70");
    auto r = collectReply(links, clock, kLineReplyLimits);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(text(r.bytes), "70");
    EXPECT_EQ(clock.nowMs() - start, 20u * 40 + 1520);
    EXPECT_EQ(r.emptyPolls, 153);  // 1520 ms at the nominal 10 ms pace
}

TEST_F(Collection, BlockLimitsAndProgressObserver) {
    int last = -1;
    auto r = collectReply(links, clock, kBlockWriteLimits, [&](int n) { last = n; });
    EXPECT_EQ(last, 4001);
    EXPECT_EQ(clock.sleptMs(), 40000u);
    auto rr = collectReply(links, clock, kBlockReadLimits);
    EXPECT_EQ(rr.emptyPolls, 501);
}

TEST_F(Collection, UsbPollsTake64BytesAndLongRepliesAreCut) {
    links.kind = LinkKind::Usb;
    usb.queueRead(std::vector<uint8_t>(300, 'x'));
    auto r = collectReply(links, clock, kLineReplyLimits);
    EXPECT_EQ(r.bytes.size(), 256u);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(usb.readCalls(), 4);
    EXPECT_EQ(serial.readCalls(), 0);
}

TEST_F(Collection, NoLinkReadsNothing) {
    links.kind = LinkKind::None;
    serial.queueRead("701\r\n");
    auto r = collectReply(links, clock, kLineReplyLimits);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_EQ(serial.readCalls(), 0);
}

}  // namespace
}  // namespace setrion::wifi
