#include "wifi/module/settings_block_exchange.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_link.h"

namespace setrion::wifi {
namespace {

using setrion::test::bytes;
using setrion::test::text;

std::string blockReply(const WifiSettings& rec) {
    return "\x02" "00000\r\n" + std::string(rec.bytes().begin(), rec.bytes().end()) + "\r\n\x03";
}

class SettingsBlock : public ::testing::Test {
protected:
    setrion::test::ScriptedLink serial, usb;
    LinkPair links{&serial, &usb, LinkKind::Serial};
    ManualClock clock;
    ModuleConnection conn{links, clock};
    WifiSettings moduleRecord;

    void SetUp() override {
        moduleRecord.overwriteStart(field::kVersion, "V2");
        moduleRecord.setText(field::kSsid, "Block");
        moduleRecord.fill(field::kKey1, 'K');
        moduleRecord.setText(field::kWpaKey, "secretsecret");
        moduleRecord.fill(field::kReserved2, 'r');
    }
};

TEST_F(SettingsBlock, ReadCopiesRecordAndBlanksKeys) {
    serial.queueRead(blockReply(moduleRecord).substr(0, 600));
    serial.queueRead(blockReply(moduleRecord).substr(600));
    WifiSettings rec;
    auto r = readSettingsBlock(conn, rec);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(rec.text(field::kSsid), "Block");
    EXPECT_EQ(rec.text(field::kVersion), "V2");
    EXPECT_EQ(rec.raw(field::kReserved2)[339], 'r');
    for (uint8_t b : rec.raw(field::kKey1)) EXPECT_EQ(b, 0);
    for (uint8_t b : rec.raw(field::kWpaKey)) EXPECT_EQ(b, 0);
    EXPECT_EQ(serial.writes()[0].size(), 1026u);
    EXPECT_EQ(clock.sleptMs(), 0u);  // no pause before polling
}

TEST_F(SettingsBlock, ReadFailures) {
    WifiSettings rec;
    auto r = readSettingsBlock(conn, rec);
    EXPECT_EQ(r.message, "Reading Error!!!");
    EXPECT_EQ(r.caption, "");
    EXPECT_EQ(clock.sleptMs(), 5000u);

    std::string bad = blockReply(moduleRecord);
    bad[6] = ' ';
    bad[7] = ' ';
    serial.queueRead(bad);
    r = readSettingsBlock(conn, rec);
    EXPECT_EQ(r.message, "Syntex Error!!!");
}

TEST_F(SettingsBlock, WriteSendsRecordAndTakesTheReply) {
    WifiSettings rec = moduleRecord;
    rec.setText(field::kSsid, "Changed");
    serial.setResponder([](setrion::test::ScriptedLink& l, std::span<const uint8_t> d) {
        std::string reply = "\x02" "00000\r\n" + std::string(d.begin() + 10, d.begin() + 1023) + "\r\n\x03";
        l.queueRead(reply);
    });
    auto r = writeSettingsBlock(conn, rec);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message, "Save Completed !!!");
    EXPECT_EQ(text(std::span(serial.writes()[0]).first(10)), "\x1b[\x02" "00000\r\n");
    EXPECT_EQ(rec.text(field::kSsid), "Changed");
    EXPECT_EQ(rec.raw(field::kKey1)[0], 0);
}

TEST_F(SettingsBlock, WriteWithoutAnswerTakes40SecondsWithProgress) {
    WifiSettings rec;
    int lastProgress = -1;
    auto r = writeSettingsBlock(conn, rec, [&](int p) { lastProgress = p; });
    EXPECT_EQ(r.message, "Saving Error!!!");
    EXPECT_EQ(clock.sleptMs(), 40000u);
    EXPECT_EQ(lastProgress, 100);
}

TEST(SettingsBlockValidation, Messages) {
    BlockWriteInput in;
    in.ssid = std::string(32, 's');
    EXPECT_EQ(validateBlockWrite(in, false)->message, "SSID Key length should be less than 32");
    in.ssid = std::string(31, 's');
    EXPECT_FALSE(validateBlockWrite(in, false));
    in.lpdQueue = std::string(35, 'q');
    EXPECT_FALSE(validateBlockWrite(in, false));
    EXPECT_EQ(validateBlockWrite(in, true)->message, "LPD Queue Name is too long");
    in.lpdQueue = "q";
    in.encryption = 2;
    in.keyTexts[0] = std::string(25, 'A');
    EXPECT_EQ(validateBlockWrite(in, true)->message, "Key Length is not matched");
    in.encryption = 3;
    in.wpaKey = std::string(64, 'a');
    EXPECT_FALSE(validateBlockWrite(in, true));
    EXPECT_EQ(validateBlockWrite(in, true), std::nullopt);
    in.wpaKey += "a";
    EXPECT_TRUE(validateBlockWrite(in, true));
}

TEST(SettingsBlockFill, FieldsFromDialogValues) {
    WifiSettings rec;
    rec.fill(field::kReserved1, 'x');
    rec.fill(field::kKey2, 'o');
    BlockWriteInput in;
    in.macText = "00:30:f9:0a:bc:de";
    in.ssid = "Net";
    in.dhcp = true;
    in.ip = {192, 168, 0, 10};
    in.mode = 1;
    in.channel = 6;
    in.encryption = 1;
    in.authentication = 2;
    in.keyInUse = 0;
    in.keyFormats[0] = KeyFormat::Ascii;
    in.keyTexts[0] = "abcde";
    in.wpaAuthentication = 1;
    in.wpaEncryption = 1;
    in.wpaKey = "12345678";
    in.tcpPort = 9100;
    in.lpdEnable = true;
    in.lpdQueue = "lp0";
    in.channelText = "6";
    fillRecordFromInput(rec, in, true);
    auto s = [&](std::size_t o, std::size_t n) {
        return std::string(rec.bytes().begin() + static_cast<long>(o), rec.bytes().begin() + static_cast<long>(o + n));
    };
    EXPECT_EQ(s(2, 12), "0030F90ABCDE");
    EXPECT_EQ(s(14, 5), "Net\r\n");
    EXPECT_EQ(s(48, 9), "1C0A8000A");
    EXPECT_EQ(s(81, 6), "106121");
    EXPECT_EQ(s(87, 10), "6162636465");
    EXPECT_EQ(s(113, 26), std::string(26, 'o'));
    EXPECT_EQ(s(191, 2), "21");
    EXPECT_EQ(s(193, 9), std::string("12345678\0", 9));
    EXPECT_EQ(s(257, 4), "238C");
    EXPECT_EQ(s(261, 41), std::string(41, 'x'));
    EXPECT_EQ(s(635, 6), "1lp0\r\n");
    EXPECT_EQ(s(670, 3), "6  ");
}

}  // namespace
}  // namespace setrion::wifi
