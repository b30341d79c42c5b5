#include "wifi/settings/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

using namespace setrion::wifi;

namespace {

struct Refused {
    const char* text;
    const char* key;
    const char* message;
};

}  // namespace

TEST(SettingsProfile, RefusesEveryHostileValueNamingTheKey) {
    const Refused cases[] = {
        {R"({"ssid":5})", "ssid", "ssid: expected a text of at most 32 bytes without NUL"},
        {R"({"ssid":null})", "ssid", "ssid: expected a text of at most 32 bytes without NUL"},
        {R"({"ssid":"a\u0000b"})", "ssid", "ssid: expected a text of at most 32 bytes without NUL"},
        {R"({"ssid":"123456789012345678901234567890123"})", "ssid",
         "ssid: expected a text of at most 32 bytes without NUL"},
        {R"({"ssid":{"a":1}})", "ssid", "ssid: expected a text of at most 32 bytes without NUL"},
        {R"({"dhcp":"yes"})", "dhcp", "dhcp: expected true or false"},
        {R"({"key_in_use":"1"})", "key_in_use", "key_in_use: expected an integer 1-4"},
        {R"({"key_in_use":1.5})", "key_in_use", "key_in_use: expected an integer 1-4"},
        {R"({"key_in_use":4294967297})", "key_in_use", "key_in_use: expected an integer 1-4"},
        {R"({"channel":"x"})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"channel":99999999999999999999})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"channel":0})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"channel":-5})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"channel":99})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"channel":4294967297})", "channel",
         "channel: expected an integer 1-14 or a 5 GHz channel (36, 38, ... 196)"},
        {R"({"tcp_port":"9100"})", "tcp_port", "tcp_port: expected an integer 1-65535"},
        {R"({"tcp_port":70000})", "tcp_port", "tcp_port: expected an integer 1-65535"},
        {R"({"tcp_port":-1})", "tcp_port", "tcp_port: expected an integer 1-65535"},
        {R"({"tcp_port":4294967296})", "tcp_port", "tcp_port: expected an integer 1-65535"},
        {R"({"wpa_key":7})", "wpa_key", "wpa_key: expected a text of at most 64 bytes without NUL"},
        {R"({"wep_keys":[1,2,3,4]})", "wep_keys",
         "wep_keys: expected an array of four texts of at most 26 bytes without NUL"},
        {R"({"key_formats":[1,2,3,4]})", "key_formats",
         "key_formats: expected an array of four of \"HEX\" and \"ASCII\""},
        {R"({"ip":"01.02.03.04"})", "ip",
         "ip: expected an IPv4 address \"a.b.c.d\" (numbers 0-255, no leading zeros)"},
        {R"({"dns":"1.2.3"})", "dns",
         "dns: expected an IPv4 address \"a.b.c.d\" (numbers 0-255, no leading zeros)"},
        {R"({"netmask":"255.0.255.0"})", "netmask",
         "netmask: expected a netmask \"a.b.c.d\" with contiguous one bits (no leading zeros)"},
        {R"({"mode":"mesh"})", "mode", "mode: expected one of \"adhoc\" or \"infrastructure\""},
        {R"({"channel_text":"7x"})", "channel_text",
         "channel_text: expected \"\" or a channel as the channel list shows it (\"6\", \"149\")"},
        {R"({"ssid_hex":"4"})", "ssid_hex", "ssid_hex: expected hexadecimal text, two digits a byte"},
        {R"({"ssid":"a","ssid":"b"})", "ssid", "ssid: given twice"},
        {R"({"sid":"a"})", "sid", "sid: unknown key"},
        {R"([{"ssid":"a"}])", "", "expected one JSON object"},
        {R"({"ssid":)", "", "not valid JSON (byte 9)"},
    };
    for (const auto& c : cases) {
        ProfileResult r = parseJsonProfile(c.text);
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.error.key, c.key) << c.text;
        EXPECT_EQ(r.error.message, c.message) << c.text;
    }
}

TEST(SettingsProfile, ReadOutputIsAcceptedWithItsIdentityKeysIgnored) {
    ProfileResult r = parseJsonProfile(R"({"module_kind":"settings-block","generation":0,
        "mac":"02005E7A0001","ssid":"Lab","dhcp":false,"ip":"10.1.2.3","netmask":"255.255.254.0",
        "gateway":"10.1.2.1","dns":"0.0.0.0","mode":"infrastructure","channel":149,
        "encryption":"WPA","authentication":"Open System","key_in_use":2,
        "wpa_authentication":"None Use","wpa_encryption":"TKIP+AES","wpa_key":"",
        "tcp_port":9100,"lpd_enable":true,"lpd_queue":"q1","channel_text":"149",
        "wep_keys":["1234567890","","",""],"key_formats":["HEX","ASCII","HEX","HEX"],
        "kind":"text","mac_hex":"00"})");
    ASSERT_TRUE(r.ok()) << r.error.message;
    const SettingsPatch& p = *r.patch;
    EXPECT_EQ(p.ignoredKeys,
              (std::vector<std::string>{"module_kind", "generation", "mac", "kind", "mac_hex"}));
    EXPECT_EQ(p.ssid, "Lab");
    EXPECT_EQ(p.netmask, (Octets{255, 255, 254, 0}));
    EXPECT_EQ(p.dns, (Octets{0, 0, 0, 0}));
    EXPECT_EQ(p.mode, 1);
    EXPECT_EQ(p.channel, 149);
    EXPECT_EQ(p.encryption, 3);
    EXPECT_EQ(p.keyInUse, 2);
    EXPECT_EQ(p.wpaAuthentication, WpaAuthentication::None);
    EXPECT_EQ(p.wpaEncryption, WpaEncryption::TkipAes);
    EXPECT_EQ(p.tcpPort, 9100);
    EXPECT_EQ(p.keyFormats, (KeyFormats{KeyFormat::Hex, KeyFormat::Ascii, KeyFormat::Hex, KeyFormat::Hex}));
    EXPECT_FALSE(p.dhcp.value());
    EXPECT_TRUE(p.lpdEnable.value());
}

TEST(SettingsProfile, HexCompanionCarriesTheRawDeviceBytes) {
    ProfileResult r = parseJsonProfile(R"({"ssid":"\ufffd\ufffd","ssid_hex":"FFFEC3"})");
    ASSERT_TRUE(r.ok()) << r.error.message;
    EXPECT_EQ(r.patch->ssid, std::string("\xFF\xFE\xC3"));
}

TEST(SettingsProfile, AddressRuleAndChannelList) {
    EXPECT_EQ(parseDottedAddress("10.0.0.1"), (Octets{10, 0, 0, 1}));
    for (const char* bad : {"01.2.3.4", "1.2.3.04", "1.2.3.256", "1.2.3.4.", "+1.2.3.4", " 1.2.3.4"})
        EXPECT_FALSE(parseDottedAddress(bad)) << bad;
    EXPECT_TRUE(isContiguousMask({255, 255, 255, 0}));
    EXPECT_TRUE(isContiguousMask({0, 0, 0, 0}));
    EXPECT_FALSE(isContiguousMask({255, 255, 0, 255}));
    for (int ch : {1, 14, 36, 149, 196}) EXPECT_TRUE(isChannelNumber(ch)) << ch;
    for (int ch : {0, 15, 35, 37, 150, 197}) EXPECT_FALSE(isChannelNumber(ch)) << ch;
}

TEST(SettingsProfile, OnlyRegularFilesAreRead) {
    setrion::test::TempDir dir("profile");
    std::filesystem::create_directory(dir.path() / "d.json");
#ifndef _WIN32  // FIFOs are POSIX
    ASSERT_EQ(::mkfifo((dir.path() / "fifo.json").c_str(), 0600), 0);
    EXPECT_EQ(loadJsonProfile(dir.path() / "fifo.json").error.message,
              (dir.path() / "fifo.json").string() + ": not a regular file");
#endif
    dir.write("big.json", std::string(kMaxProfileBytes + 1, ' '));
    dir.write("ok.json", R"({"ssid":"x"})");
    EXPECT_EQ(loadJsonProfile(dir.path() / "d.json").error.message,
              (dir.path() / "d.json").string() + ": is a directory, not a file");
    EXPECT_EQ(loadJsonProfile(dir.path() / "big.json").error.message,
              (dir.path() / "big.json").string() + ": larger than 65536 bytes");
    EXPECT_EQ(loadJsonProfile(dir.path() / "ok.json").patch->ssid, "x");
}
