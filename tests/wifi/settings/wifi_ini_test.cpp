#include "wifi/settings/wifi_ini.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"
#include "wifi/settings/ini_profile.h"

namespace setrion::wifi {
namespace {

std::string recordBytes(const WifiSettings& s, std::size_t offset, std::size_t len) {
    return std::string(s.bytes().begin() + static_cast<long>(offset),
                       s.bytes().begin() + static_cast<long>(offset + len));
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WifiIniLoad, TakesValuesOfTheirExactFormRefusesLongTextsAndListsTheRest) {
    const auto v = readWifiIni(IniFile::parse(
        "[WiFiInfo]\n"
        "Version=V2\nMacAddress=0011aabbccdd\nSSID=" +
        std::string(40, 'S') +
        "\n"
        "DHCP=1\nIP=10.0.0\nSUBNET=255.255.255.0\nGATEWAY=10.0.0.300\nDNS=008.8.8.08\njunk=1\n"
        "MODE=1\nCHANNEL=6\nENCRYPTION=7\nAUTHENTICATION=2\nUSEKEY=3\n"
        "KEY1=" +
        std::string(30, 'A') +
        "\nKEY3=1234567890\n"
        "WPA=2\nWPAENC=1\nWPAKEY=" +
        std::string(70, 'w') + "\nTCPPORT=9100\n"));
    const WifiSettings& r = v.record;
    EXPECT_EQ(recordBytes(r, 0, 2), "V2");
    EXPECT_EQ(recordBytes(r, 2, 12), "0011AABBCCDD");
    EXPECT_EQ(v.macText, "00:11:AA:BB:CC:DD");
    // Texts longer than their field are refused whole, never cut.
    EXPECT_EQ(recordBytes(r, 14, 34), std::string(34, ' '));
    EXPECT_EQ(v.ssid, "");
    ASSERT_EQ(v.refused.size(), 3u);
    EXPECT_EQ(v.refused[0].message(), "SSID: expected a text of at most 32 bytes (40 given)");
    EXPECT_EQ(v.refused[1].key + " " + std::to_string(v.refused[1].limit), "KEY1 26");
    EXPECT_EQ(v.refused[2].key + " " + std::to_string(v.refused[2].limit), "WPAKEY 64");
    EXPECT_EQ(v.ignored,
              (std::vector<std::string>{
                  "IP: value not in the key's form", "GATEWAY: value not in the key's form",
                  "junk: not a key of the Wi-Fi INI file", "CHANNEL: value not in the key's form",
                  "ENCRYPTION: value not in the key's form"}));
    EXPECT_EQ(recordBytes(r, 48, 1), "1");
    EXPECT_EQ(recordBytes(r, 49, 8), "        ");  // IP=10.0.0: three parts
    EXPECT_FALSE(v.ip);
    EXPECT_EQ(recordBytes(r, 57, 8), "FFFFFF00");
    EXPECT_FALSE(v.gateway);                 // 300 is no octet
    EXPECT_EQ(v.dns, (Octets{8, 8, 8, 8}));  // leading zeros allowed
    EXPECT_EQ(recordBytes(r, 81, 6), "1   23");       // MODE, CHANNEL=6 and ENCRYPTION=7 ignored
    EXPECT_FALSE(v.channel);
    EXPECT_FALSE(v.encryption);
    EXPECT_EQ(v.useKey, 3);
    EXPECT_EQ(recordBytes(r, 87, 26), std::string(26, ' '));
    EXPECT_EQ(recordBytes(r, 139, 26), "1234567890" + std::string(16, ' '));
    EXPECT_EQ(recordBytes(r, 191, 2), "21");
    EXPECT_EQ(v.wpaKey, "");
    EXPECT_EQ(recordBytes(r, 257, 4), "238C");
    EXPECT_EQ(v.tcpPort, 9100);
    EXPECT_EQ(recordBytes(r, 261, 41), std::string(41, ' '));
}

TEST(WifiIniLoad, PortsOutsideSixteenBitsAndMissingKeysLeaveTheBase) {
    WifiSettings base;
    base.setTcpPort(0x1234);
    base.setText(field::kSsid, "Kept");
    const auto v = readWifiIni(IniFile::parse("[WiFiInfo]\nTCPPORT=70000\nCHANNEL=11\n"), base);
    EXPECT_EQ(recordBytes(v.record, 257, 4), "1234");
    EXPECT_EQ(recordBytes(v.record, 261, 1), " ");
    EXPECT_EQ(v.record.text(field::kSsid), "Kept");
    EXPECT_EQ(v.channel, 11);
    EXPECT_EQ(recordBytes(v.record, 82, 2), "11");
}

// The controls of a WEP64 dialog closed with a HEX key of `key`.
WifiIniControls wep64Controls(std::string key) {
    WifiIniControls c;
    c.macText = "00:11:aa:bb:cc:dd";
    c.ssid = "Shop";
    c.dhcp = true;
    c.ip = {192, 168, 0, 10};
    c.subnet = {255, 255, 255, 0};
    c.mode = 1;
    c.channelPosition = 5;
    c.encryption = 1;
    c.authentication = 1;
    c.keyInUse = 1;
    c.keyTexts[1] = std::move(key);
    c.wpaAuthentication = 1;
    c.wpaEncryption = 1;
    c.wpaKey = "newpassphrase";
    return c;
}

constexpr const char* kBefore =
    "; provisioning profile\r\n"
    "[Site]\r\nName=Depot 4\r\n"
    "[WiFiInfo]\r\n"
    "Version=V2\r\nSSID=Old\r\nNote=keep me\r\n"
    "WPA=0\r\nWPAENC=0\r\nWPAKEY=oldkey\r\nTCPPORT=80\r\n";

TEST(WifiIniWrite, WritesTheDialogValuesInPlace) {
    test::TempDir dir("wifiini");
    const auto path = dir.write(kWifiIniFileName, kBefore);
    WifiSettings entry0 =
        readWifiIni(IniFile::parse("[WiFiInfo]\nVersion=V2\nTCPPORT=9100\n")).record;
    const auto r = writeWifiIni(path, 2, entry0, wep64Controls("0a1b2c3d4e"));
    EXPECT_TRUE(r.written) << r.error;
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(slurp(path),
              "; provisioning profile\r\n"
              "[Site]\r\nName=Depot 4\r\n"
              "[WiFiInfo]\r\n"
              "Version=V2\r\nSSID=Shop\r\nNote=keep me\r\n"
              "WPA=1\r\nWPAENC=1\r\nWPAKEY=newpassphrase\r\nTCPPORT=9100\r\n"
              "MacAddress=0011AABBCCDD\r\nDHCP=1\r\nIP=192.168.0.10\r\nSUBNET=255.255.255.0\r\n"
              "GATEWAY=0.0.0.0\r\nDNS=0.0.0.0\r\nMODE=1\r\nCHANNEL=06\r\nENCRYPTION=1\r\n"
              "AUTHENTICATION=1\r\nUSEKEY=2\r\nKEY2=0a1b2c3d4e\r\n");
}

TEST(WifiIniWrite, KeyLengthFaultsStopBeforeTheWpaKeys) {
    struct Case {
        int encryption;
        KeyFormat format;
        std::string key, wpaKey, message;
    };
    const Case cases[] = {
        {1, KeyFormat::Hex, "0a1b2c3d4", "", "Key Length is not matched"},
        {1, KeyFormat::Ascii, "abcdef", "", "Key Length is too long"},
        {2, KeyFormat::Hex, std::string(25, '1'), "", "Key Length is not matched"},
        {2, KeyFormat::Ascii, std::string(14, 'a'), "", "Key Length is too long"},
        {3, KeyFormat::Hex, "", std::string(33, 'p'), "WPA Key Length is not long"},
    };
    for (const auto& c : cases) {
        auto file = IniFile::parse(kBefore);
        auto controls = wep64Controls(c.key);
        controls.encryption = c.encryption;
        controls.keyFormats[1] = c.format;
        if (!c.wpaKey.empty()) controls.wpaKey = c.wpaKey;
        EXPECT_EQ(applyWifiIniWrite(file, WifiSettings(), controls), c.message);
        EXPECT_EQ(file.value("WiFiInfo", "SSID"), "Shop");
        EXPECT_EQ(file.value("WiFiInfo", "USEKEY"), "2");
        EXPECT_FALSE(file.value("WiFiInfo", "KEY2"));
        for (auto [key, old] :
             {std::pair{"WPA", "0"}, {"WPAENC", "0"}, {"WPAKEY", "oldkey"}, {"TCPPORT", "80"}})
            EXPECT_EQ(file.value("WiFiInfo", key), old) << key << " " << c.message;
    }
    auto file = IniFile::parse(kBefore);
    auto ascii = wep64Controls("abc");
    ascii.keyFormats[1] = KeyFormat::Ascii;
    EXPECT_EQ(applyWifiIniWrite(file, WifiSettings(), ascii), "");
    EXPECT_EQ(file.value("WiFiInfo", "KEY2"), "616263");
}

TEST(WifiIniWrite, NothingIsWrittenWithoutTheFileOrForACommandModeModule) {
    test::TempDir dir("wifiini");
    const auto path = dir.write(kWifiIniFileName, kBefore);
    EXPECT_FALSE(writeWifiIni(path, 1, WifiSettings(), wep64Controls("0a1b2c3d4e")).written);
    EXPECT_EQ(slurp(path), kBefore);
    std::filesystem::remove(path);
    const auto r = writeWifiIni(path, 2, WifiSettings(), wep64Controls("0a1b2c3d4e"));
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_FALSE(loadWifiIni(path));
    EXPECT_EQ(defaultWifiIniPath(), std::filesystem::path("./Tessun_WIFI.ini"));
}

TEST(WifiIniFile, LoadsIntoARecordAndSetsKeysInPlaceWhileTheFileExists) {
    test::TempDir dir("wifiini");
    const WifiIniFile ini(dir.path() / kWifiIniFileName);
    WifiSettings record;
    EXPECT_FALSE(ini.exists());
    EXPECT_FALSE(ini.load(record));
    EXPECT_FALSE(ini.write({{"SSID", "x"}}));
    EXPECT_TRUE(dir.entries().empty());

    dir.write(kWifiIniFileName, kBefore);
    ASSERT_TRUE(ini.load(record));
    EXPECT_EQ(recordBytes(record, 0, 2), "V2");
    EXPECT_EQ(recordBytes(record, 257, 4), "0050");
    ASSERT_TRUE(ini.write({{"SSID", "Shop"}, {"TCPPORT", "9100"}}));
    EXPECT_EQ(slurp(ini.path()),
              "; provisioning profile\r\n[Site]\r\nName=Depot 4\r\n[WiFiInfo]\r\n"
              "Version=V2\r\nSSID=Shop\r\nNote=keep me\r\n"
              "WPA=0\r\nWPAENC=0\r\nWPAKEY=oldkey\r\nTCPPORT=9100\r\n");
}

TEST(WifiIniProfile, EncryptionAndWpaFollowTheDialogsLoad) {
    using A = WpaAuthentication;
    struct Case {
        const char* keys;
        std::optional<int> encryption;
        std::optional<A> wpa;
    };
    const Case cases[] = {
        {"ENCRYPTION=1\nWPA=0\n", 1, A::None},
        {"ENCRYPTION=3\nWPA=0\n", 3, A::WpaPsk},
        {"ENCRYPTION=0\nWPA=1\n", 3, A::Wpa2Psk},  // WPA not 0 shows "WPA"
        {"WPA=2\n", 3, std::nullopt},              // no third entry: nothing selected
        {"WPA=0\n", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto p =
            wifiIniPatch(readWifiIni(IniFile::parse(std::string("[WiFiInfo]\n") + c.keys)));
        EXPECT_EQ(p.encryption, c.encryption) << c.keys;
        EXPECT_EQ(p.wpaAuthentication, c.wpa) << c.keys;
    }
    const auto p = wifiIniPatch(readWifiIni(IniFile::parse(
        "[WiFiInfo]\nMacAddress=0011aabbccdd\nWPAENC=1\nKEY2=0a1b2c3d4e\nTCPPORT=9100\n")));
    EXPECT_EQ(p.wpaEncryption, WpaEncryption::Aes);
    EXPECT_EQ(p.wepKeys, (std::array<std::string, 4>{"", "0a1b2c3d4e", "", ""}));
    EXPECT_EQ(p.tcpPort, 9100);
    EXPECT_FALSE(p.ssid);
    EXPECT_TRUE(isIniProfilePath("site/Profile.INI"));
    EXPECT_FALSE(isIniProfilePath("profile.json"));
}

}  // namespace
}  // namespace setrion::wifi
