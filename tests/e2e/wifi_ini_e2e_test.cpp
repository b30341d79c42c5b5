// setrion-cli wifi write with a Wi-Fi INI file: the dialog's reading rules, then the module.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {

constexpr const char* kProfile =
    "[Other]\r\nSSID=not-this\r\n"
    "[WiFiInfo]\r\n"
    "MacAddress=0011aabbccdd\r\n"
    "SSID=Depot\r\n"
    "IP=10.0.0\r\n"
    "SUBNET=255.255.0.0\r\n"
    "CHANNEL=3\r\n"
    "ENCRYPTION=0\r\n"
    "WPA=1\r\n"
    "WPAENC=1\r\n"
    "WPAKEY=depot-passphrase\r\n"
    "TCPPORT=8080\r\n";

json readWifi(const SimProcess& sim) {
    ProcessResult r = sim.cli({"--json", "wifi", "read"}, 60000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return json::parse(r.out, nullptr, false);
}

}  // namespace

TEST(WifiIniEndToEnd, ProfileIniIsAppliedWithTheDialogsRules) {
    for (const char* kind : {"block", "command"}) {
        SimProcess sim({"--module", kind, "--generation", "3"});
        ASSERT_TRUE(sim.running());
        const json before = readWifi(sim);
        const std::string path = (sim.dir() / "profile.ini").string();
        std::ofstream(path, std::ios::binary) << kProfile;

        ProcessResult w = sim.cli({"wifi", "write", path}, 90000);
        ASSERT_EQ(w.exitCode, 0) << kind << ": " << w.err;
        EXPECT_NE(w.err.find("IP: value not in the key's form, ignored"), std::string::npos)
            << w.err;
        EXPECT_NE(w.err.find("MacAddress: identifies one device, ignored"), std::string::npos);
        const json after = readWifi(sim);
        EXPECT_EQ(after["ssid"], "Depot") << kind;
        EXPECT_EQ(after["netmask"], "255.255.0.0") << kind;
        // WPA 1 shows "WPA" encryption with the list's second entry, whatever ENCRYPTION says.
        EXPECT_EQ(after["encryption"], "WPA") << kind;
        EXPECT_EQ(after["wpa_authentication"], "WPA2-PSK") << kind;
        EXPECT_EQ(after["wpa_encryption"], "AES") << kind;
        EXPECT_EQ(after["tcp_port"], 8080) << kind;
        // Ignored: a three-part IP, a one-character CHANNEL, the MAC of another module.
        for (const char* key : {"ip", "channel", "mac"})
            EXPECT_EQ(after[key], before[key]) << kind << " " << key;
    }
}

TEST(WifiIniEndToEnd, InvalidValuesAreRefusedBeforeThePortOpens) {
    SimProcess sim({"--module", "block"});
    ASSERT_TRUE(sim.running());
    const std::string path = (sim.dir() / "bad.INI").string();
    struct Case {
        std::string content;
        std::string error;
    };
    const Case cases[] = {
        {"[WiFiInfo]\nTCPPORT=0\n", "tcp_port"},
        // Longer than its field: refused naming the key and its width, never cut.
        {"[WiFiInfo]\nSSID=" + std::string(39, 's') + "\n",
         "SSID: expected a text of at most 32 bytes (39 given)"},
        {"[WiFiInfo]\nWPAKEY=" + std::string(65, 'k') + "\n",
         "WPAKEY: expected a text of at most 64"},
        // Nothing usable: unknown keys, values outside their forms, only the module's identity.
        {"[WiFiInfo]\njunk=1\nCHANNEL=6\n", "has no key that sets a value\n  junk: not a key"},
        {"[WiFiInfo]\nMacAddress=0011aabbccdd\n", "has no key that sets a value"},
        {"[Other]\nSSID=Lab\n", "has no key that sets a value"},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << c.content;
        ProcessResult w = sim.cli({"wifi", "write", path});
        EXPECT_EQ(w.exitCode, 1) << c.content;
        EXPECT_NE(w.err.find(c.error), std::string::npos) << w.err;
    }
    EXPECT_EQ(sim.recorded(), "");
}
