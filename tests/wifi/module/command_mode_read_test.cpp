#include "wifi/module/command_mode_read.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_link.h"
#include "tests/wifi/module/fake_module.h"

namespace setrion::wifi {
namespace {

class CommandModeRead : public ::testing::Test {
protected:
    setrion::test::ScriptedLink serial, usb;
    LinkPair links{&serial, &usb, LinkKind::None};
    ManualClock clock;
    ModuleConnection conn{links, clock};
    test::FakeModule module;
    CommandModeSettings values;

    void SetUp() override {
        module.attach(serial);
        ASSERT_EQ(conn.openPort(LinkKind::Serial, [](LinkKind) { return true; }),
                  OpenPortResult::Ok);
        module.commands.clear();
    }
    void setPassphrase(const std::string& s) {
        std::vector<uint8_t> a(32, 0), b(32, 0);
        for (std::size_t i = 0; i < s.size(); ++i) (i < 32 ? a[i] : b[i - 32]) = static_cast<uint8_t>(s[i]);
        module.values[Parameter::WpaKey] = a;
        module.values[Parameter::WpaKeyExtended] = b;
    }
};

TEST_F(CommandModeRead, FullReadFillsEveryStore) {
    std::vector<std::pair<ReadStep, int>> steps;
    auto r = readCommandModeSettings(conn, values, [&](ReadStep s, const CommandModeSettings&, int p) {
        steps.emplace_back(s, p);
    });
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "Read Completed !!!");
    EXPECT_EQ(values.ip, (Octets{192, 168, 1, 20}));
    EXPECT_EQ(values.netmask, (Octets{255, 255, 255, 0}));
    EXPECT_EQ(values.dns, (Octets{8, 8, 4, 4}));
    EXPECT_EQ(values.ssid, "Office");
    EXPECT_EQ(values.options.channel, 6);
    EXPECT_EQ(values.options.wpaMode, 4);
    EXPECT_EQ(values.wep40.hex[3], "1111111111");
    EXPECT_EQ(values.wep104.hex[0], std::string(26, '2'));
    EXPECT_EQ(values.wep104.bytes[2], std::vector<uint8_t>(13, 0x22));
    EXPECT_EQ(values.passphrase, "passphrase");
    EXPECT_EQ(values.tcpPort, 9100);
    EXPECT_EQ(values.tcpIpPortGroup[0], 0x5A);
    EXPECT_EQ(values.encryptionCapability, 2);
    EXPECT_TRUE(values.dhcp);
    EXPECT_EQ(values.macText, "00:30:f9:0a:bc:de");
    ASSERT_EQ(steps.size(), 13u);  // no extended key for a 10-character passphrase
    EXPECT_EQ(steps[0], std::make_pair(ReadStep::IpAddress, 16));
    EXPECT_EQ(steps[4], std::make_pair(ReadStep::Ssid, 83));
    EXPECT_EQ(steps[5].second, -1);
    EXPECT_EQ(module.commands.front(), "r 03 00\r");
    EXPECT_EQ(module.commands.back(), "c 0\r");
}

TEST_F(CommandModeRead, ModuleRejectingWpaPskSkipsTcpOptionsAndMac) {
    module.rejectRead.insert(Parameter::WpaPsk);
    values.dhcp = false;
    auto r = readCommandModeSettings(conn, values);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(values.encryptionCapability, 1);
    EXPECT_FALSE(values.dhcp);
    EXPECT_TRUE(values.macText.empty());
    EXPECT_EQ(module.commands.back(), "r 09 05\r");
}

TEST_F(CommandModeRead, ExtendedKeyOnlyForA32CharacterPassphrase) {
    setPassphrase(std::string(31, 'a'));
    ASSERT_TRUE(readCommandModeSettings(conn, values).ok);
    EXPECT_EQ(std::count(module.commands.begin(), module.commands.end(), "r 09 15\r"), 0);

    module.commands.clear();
    setPassphrase(std::string(32, 'a') + "bcd");
    ASSERT_TRUE(readCommandModeSettings(conn, values).ok);
    EXPECT_EQ(std::count(module.commands.begin(), module.commands.end(), "r 09 15\r"), 1);
    EXPECT_EQ(values.passphrase, std::string(32, 'a') + "bcd");
}

TEST_F(CommandModeRead, RejectedExtendedKeyIsSilentAndKeeps32Characters) {
    setPassphrase(std::string(32, 'z'));
    module.rejectRead.insert(Parameter::WpaKeyExtended);
    auto r = readCommandModeSettings(conn, values);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(values.passphrase, std::string(32, 'z'));
}

struct FailCase {
    Parameter parameter;
    const char* noReply;
    const char* rejected;  // nullptr: rejection is not a failure
};

TEST_F(CommandModeRead, SilentModuleGivesEachStepsReadFailedWithinItsBound) {
    const FailCase cases[] = {
        {Parameter::IpAddress, "Get IP Read Failed", "Get IP Information Failed"},
        {Parameter::SubnetMask, "Get Netmask Read Failed", "Get Netmask Information Failed"},
        {Parameter::Gateway, "Get Gateway Read Failed", "Get Gateway Information Failed"},
        {Parameter::Dns, "Get DNS Read Failed", "Get DNS Information Failed"},
        {Parameter::Ssid, "Get SSID Read Failed", "Get SSID Information Failed"},
        {Parameter::WlanOptions, "Get Wi-Fi Options Read Failed",
         "Get Wi-Fi Options Information Failed"},
        {Parameter::WepKeys40, "Get Wi-Fi 40-Bit WEP Key Read Failed",
         "Get Wi-Fi 40-Bit WEP Key Information Failed"},
        {Parameter::WepKeys104, "Get Wi-Fi 104-Bit WEP Key Read Failed",
         "Get Wi-Fi 104-Bit WEP Key Information Failed"},
        {Parameter::WpaKey, "Get Wi-Fi WPA Options Read Failed",
         "Get Wi-Fi WPA Options Information Failed"},
        {Parameter::TcpIpPort, "Get TCP/IP Port Read Failed", "Get TCP/IP Port Information Failed"},
        {Parameter::WpaPsk, "Get Wi-Fi WPA PSK Options Read Failed", nullptr},
        {Parameter::TcpActiveOptions, "Get TCP Active Options Read Failed",
         "Get TCP Active Options Failed"},
    };
    for (const auto& c : cases) {
        test::FakeModule fresh;
        fresh.attach(serial);
        fresh.silentRead.insert(c.parameter);
        int lastStep = 0;
        uint64_t stepStart = clock.nowMs();
        uint64_t failStart = 0;
        auto r = readCommandModeSettings(conn, values, [&](ReadStep s, const CommandModeSettings&, int) {
            lastStep = static_cast<int>(s);
            stepStart = clock.nowMs();
        });
        failStart = stepStart;
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.noReply);
        EXPECT_EQ(r.caption, "ERROR");
        EXPECT_EQ(r.failedStep, lastStep + 1 + (c.parameter == Parameter::TcpIpPort ? 1 : 0));
        EXPECT_EQ(clock.nowMs() - failStart, 200u + 1500u) << c.noReply;

        test::FakeModule rejecting;
        rejecting.attach(serial);
        rejecting.rejectRead.insert(c.parameter);
        auto rr = readCommandModeSettings(conn, values);
        if (c.rejected) {
            EXPECT_FALSE(rr.ok);
            EXPECT_EQ(rr.message, c.rejected);
        } else {
            EXPECT_TRUE(rr.ok);
        }
    }
}

TEST_F(CommandModeRead, FailedReadKeepsEarlierStepsValues) {
    module.rejectRead.insert(Parameter::Ssid);
    std::vector<ReadStep> applied;
    auto r = readCommandModeSettings(conn, values, [&](ReadStep s, const CommandModeSettings&, int) {
        applied.push_back(s);
    });
    EXPECT_EQ(r.message, "Get SSID Information Failed");
    EXPECT_EQ(r.failedStep, 5);
    EXPECT_EQ(applied.size(), 4u);
    EXPECT_EQ(values.dns, (Octets{8, 8, 4, 4}));
}

TEST_F(CommandModeRead, MacAddressFailures) {
    module.infoReply = "704\r\n";
    auto r = readCommandModeSettings(conn, values);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Get Mac Address Failed");
    EXPECT_EQ(r.failedStep, 14);
    module.infoReply = "-";  // silent
    r = readCommandModeSettings(conn, values);
    EXPECT_EQ(r.message, "Get Mac Address Read Failed");
}

}  // namespace
}  // namespace setrion::wifi
