#include "wifi/module/command_mode_write.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scripted_link.h"
#include "tests/wifi/module/fake_module.h"

namespace setrion::wifi {
namespace {

class CommandModeWrite : public ::testing::Test {
protected:
    setrion::test::ScriptedLink serial, usb;
    LinkPair links{&serial, &usb, LinkKind::None};
    ManualClock clock;
    ModuleConnection conn{links, clock};
    test::FakeModule module;
    CommandModeSettings lastRead;
    CommandModeWriteInput in;

    void SetUp() override {
        module.attach(serial);
        ASSERT_EQ(conn.openPort(LinkKind::Serial, [](LinkKind) { return true; }),
                  OpenPortResult::Ok);
        ASSERT_TRUE(readCommandModeSettings(conn, lastRead).ok);
        module.commands.clear();
        in.ip = {10, 1, 2, 3};
        in.netmask = {255, 255, 0, 0};
        in.gateway = {10, 1, 0, 1};
        in.dns = {10, 1, 0, 2};
        in.ssid = "IEEE";
        in.mode = 1;
        in.channelSelection = 5;
        in.encryption = 3;
        in.wpaAuthentication = 2;
        in.wpaEncryption = 2;
        in.wpaKey = "password";
        in.tcpPort = 9101;
        in.dhcp = true;
    }
    int count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(module.commands.begin(), module.commands.end(),
                                              [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }
};

TEST_F(CommandModeWrite, WritesEveryParameterInOrderAndStores) {
    in.wpaKey = std::string(33, 'k');
    std::vector<int> progress;
    auto r = writeCommandModeSettings(conn, in, lastRead, nullptr,
                                      [&](WriteStep, int p) { progress.push_back(p); });
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "Save Completed !!!");
    const std::vector<Parameter> expected{
        Parameter::IpAddress, Parameter::SubnetMask, Parameter::Gateway, Parameter::Dns,
        Parameter::Ssid, Parameter::WlanOptions, Parameter::WepKeys40, Parameter::WepKeys104,
        Parameter::WpaKey, Parameter::WpaKeyExtended, Parameter::TcpIpPort, Parameter::WpaPsk,
        Parameter::TcpActiveOptions};
    EXPECT_EQ(module.written, expected);
    EXPECT_EQ(module.commands.front(), "u d1e7 6c8e\r");
    EXPECT_EQ(module.commands.back(), "f b7d3\r");
    EXPECT_EQ(progress.front(), 16);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(module.values[Parameter::IpAddress], (std::vector<uint8_t>{10, 1, 2, 3}));
    EXPECT_EQ(module.values[Parameter::WlanOptions], (std::vector<uint8_t>{0x61, 0x40, 0x14, 0x00}));
    EXPECT_EQ(module.values[Parameter::TcpActiveOptions], (std::vector<uint8_t>{0x2A, 0x00, 0x02, 0x00}));
    auto port = module.values[Parameter::TcpIpPort];
    EXPECT_EQ(port[8], 0x8D);
    EXPECT_EQ(port[9], 0x23);
    EXPECT_EQ(port[0], 0x5A);  // the rest written back as read
    EXPECT_EQ(module.values[Parameter::WpaKeyExtended][0], 'k');
    EXPECT_EQ(module.values[Parameter::WpaKeyExtended][1], 0);
}

TEST_F(CommandModeWrite, WpaPskIsTheIeeeDerivation) {
    ASSERT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    // IEEE 802.11i test vector: passphrase "password", SSID "IEEE".
    const std::vector<uint8_t> expected{
        0xf4, 0x2c, 0x6f, 0xc5, 0x2d, 0xf0, 0xeb, 0xef, 0x9e, 0xbb, 0x4b, 0x90, 0xb3, 0x8a, 0x5f, 0x90,
        0x2e, 0x83, 0xfe, 0x1b, 0x13, 0x5a, 0x70, 0xe2, 0x3a, 0xed, 0x76, 0x2e, 0x97, 0x10, 0xa1, 0x2e};
    EXPECT_EQ(module.values[Parameter::WpaPsk], expected);
}

TEST_F(CommandModeWrite, TheExtendedKeyIsClearedWhenTheKeyEndsInTheFirstHalf) {
    in.wpaKey = std::string(32, 'p');
    module.values[Parameter::WpaKeyExtended] = std::vector<uint8_t>(32, 'o');
    ASSERT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    EXPECT_EQ(count("w 09 04 "), 1);
    EXPECT_EQ(count("w 09 15 "), 1);
    EXPECT_EQ(module.values[Parameter::WpaKeyExtended], std::vector<uint8_t>(32, 0));
}

TEST_F(CommandModeWrite, WpaKeyLengthLimit) {
    in.wpaKey = std::string(64, 'a');
    EXPECT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    module.commands.clear();
    in.wpaKey = std::string(65, 'a');
    auto r = writeCommandModeSettings(conn, in, lastRead);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "WPA Key Length is too long");
    EXPECT_EQ(r.caption, "Error");
    EXPECT_TRUE(module.commands.empty());  // nothing sent
}

TEST_F(CommandModeWrite, WepKeyLengthRules) {
    in.encryption = 1;
    in.keyInUse = 1;
    in.keyFormats[1] = KeyFormat::Ascii;
    in.keyTexts[1] = "abcd";  // an ASCII key shorter than 5 is refused, not padded
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Key Length is not matched");
    in.keyTexts[1] = "abcde";
    EXPECT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    in.keyTexts[1] = "abcdef";
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Key Length is too long");
    in.keyFormats[1] = KeyFormat::Hex;
    in.keyTexts[1] = "123456789";
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Key Length is not matched");
    in.encryption = 2;
    in.keyTexts[1] = std::string(26, 'A');
    EXPECT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    in.keyFormats[1] = KeyFormat::Ascii;
    in.keyTexts[1] = std::string(14, 'x');
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Key Length is too long");
    in.keyInUse = 4;  // outside 0-3: no key check
    EXPECT_FALSE(validateCommandModeWrite(in).has_value());
}

TEST_F(CommandModeWrite, WepKeyBytesFromEditForKeyInUseElseFromLastRead) {
    in.encryption = 1;
    in.keyInUse = 2;
    in.keyFormats = {KeyFormat::Hex, KeyFormat::Ascii, KeyFormat::Ascii, KeyFormat::Hex};
    in.keyTexts = {"zz", "zz", "Ab1!z", "zz"};
    lastRead.wep40.hex = {"0102030405", "", "", "0A0B0C"};
    lastRead.wep40.bytes = {};
    lastRead.wep40.bytes[1] = {0x61, 0x62};
    auto v = wepKeyRecordValue(in, lastRead.wep40, 5);
    EXPECT_EQ(v, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0x61, 0x62, 0, 0, 0, 'A', 'b', '1', '!', 'z',
                                        0x0A, 0x0B, 0x0C, 0, 0}));
    // The 104-bit record does not take the edit while WEP64 is in force.
    lastRead.wep104.bytes[2] = std::vector<uint8_t>(13, 0x33);
    auto w = wepKeyRecordValue(in, lastRead.wep104, 13);
    EXPECT_EQ(w.size(), 52u);
    EXPECT_EQ(w[26], 0x33);
}

TEST_F(CommandModeWrite, WpaSelectedWritesNoWepFields) {
    in.keyInUse = 3;
    WlanOptionsValue written;
    ASSERT_TRUE(writeCommandModeSettings(conn, in, lastRead, &written).ok);
    EXPECT_EQ(written.wepEncryption, 0);
    EXPECT_EQ(written.keyInUse, 0);
    EXPECT_EQ(module.values[Parameter::WlanOptions][1], 0x40);
}

TEST_F(CommandModeWrite, NoneSkipsWpaStepsAndWritesOpenSystem) {
    in.encryption = 0;
    in.authentication = 2;
    ASSERT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    EXPECT_EQ(count("w 09 04 "), 0);
    EXPECT_EQ(count("w 09 05 "), 0);
    EXPECT_EQ(count("w 05 00 "), 1);
    EXPECT_EQ(module.values[Parameter::WlanOptions][1] >> 6, 1);
}

TEST_F(CommandModeWrite, WepOnlyModuleGetsNeitherPskNorDhcp) {
    lastRead.encryptionCapability = 1;
    in.dhcp = false;
    ASSERT_TRUE(writeCommandModeSettings(conn, in, lastRead).ok);
    EXPECT_EQ(count("w 09 05 "), 0);
    EXPECT_EQ(count("w 05 00 "), 0);
}

TEST_F(CommandModeWrite, FailuresStopBeforeTheStore) {
    module.rejectWrite.insert(Parameter::IpAddress);
    auto r = writeCommandModeSettings(conn, in, lastRead);
    EXPECT_EQ(r.message, "Set IP Write Syntex Error");
    EXPECT_EQ(r.caption, "ERROR");
    EXPECT_EQ(count("f b7d3"), 0);

    module.rejectWrite.clear();
    module.silentWrite.insert(Parameter::TcpActiveOptions);
    r = writeCommandModeSettings(conn, in, lastRead);
    EXPECT_EQ(r.message, "Set DHCP and Read Failed");
    EXPECT_EQ(r.failedStep, 13);
    EXPECT_EQ(count("f b7d3"), 0);

    module.silentWrite = {Parameter::WlanOptions};
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Set WLAN Options and Read Failed");
    module.silentWrite.clear();
    module.rejectWrite = {Parameter::WpaPsk};
    EXPECT_EQ(writeCommandModeSettings(conn, in, lastRead).message, "Set WPA-PSK KEY Syntex Error");
}

TEST_F(CommandModeWrite, SilentStoreIsAFlashWriteError) {
    module.silentStore = true;
    auto r = writeCommandModeSettings(conn, in, lastRead);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Flash Write Error");
    EXPECT_EQ(r.caption, "ERROR");
    EXPECT_EQ(r.failedStep, 14);
}

TEST_F(CommandModeWrite, OverlongFieldsStopAfterUnlock) {
    in.ssid = std::string(33, 's');
    auto r = writeCommandModeSettings(conn, in, lastRead);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(module.commands, (std::vector<std::string>{"u d1e7 6c8e\r"}));
    in.ssid = "ok";
    in.tcpPort = 70000;
    EXPECT_FALSE(writeCommandModeSettings(conn, in, lastRead).ok);
}

}  // namespace
}  // namespace setrion::wifi
