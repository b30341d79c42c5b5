#include "wifi/settings/settings_diff.h"

#include <gtest/gtest.h>

using namespace setrion::wifi;

namespace {

SettingsPatch profile(const char* json) {
    ProfileResult r = parseJsonProfile(json);
    EXPECT_TRUE(r.ok()) << r.error.message;
    return r.patch.value_or(SettingsPatch{});
}

WifiSettings record() {
    WifiSettings r;
    r.setText(field::kSsid, "Office AP");
    r.setChoice(field::kDhcp, 0);
    r.setAddress(field::kIp, {192, 168, 1, 10});
    r.setChoice(field::kMode, 1);
    r.setChannel(6);
    r.setText(field::kChannelText, "6");
    r.setChoice(field::kEncryption, 3);
    r.setChoice(field::kWpa, 2);
    r.setChoice(field::kWpaEnc, 1);
    r.setChoice(field::kUseKey, 1);
    r.setTcpPort(9100);
    return r;
}

}  // namespace

TEST(SettingsDiff, ListsOnlyKeysThatDifferWithOldAndNewTexts) {
    SettingsPatch reported = reportedSettings(record(), false);
    auto changes = diffSettings(
        profile(R"({"ssid":"Office AP2","ip":"192.168.1.10","mode":"adhoc","tcp_port":9100,
                    "wpa_authentication":"WPA2-PSK","wpa_encryption":"TKIP","wpa_key":"my secret",
                    "wep_keys":["6162636465","","",""],"key_formats":["HEX","HEX","HEX","HEX"]})"),
        reported);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0].key, "ssid");
    EXPECT_EQ(changes[0].oldText(), "Office AP");
    EXPECT_EQ(changes[0].newValue, "Office AP2");
    EXPECT_FALSE(changes[0].secret);
    EXPECT_EQ(changes[1].key, "mode");
    EXPECT_EQ(changes[1].oldText(), "infrastructure");
    EXPECT_EQ(changes[1].newValue, "adhoc");
    EXPECT_EQ(changes[2].key, "wpa_encryption");
    EXPECT_EQ(changes[2].oldText(), "AES");
    EXPECT_EQ(changes[3].key, "wpa_key");  // write-only on this module
    EXPECT_EQ(changes[3].oldValue, std::nullopt);
    EXPECT_EQ(changes[3].oldText(), "unknown");
    EXPECT_TRUE(changes[3].secret);
    EXPECT_EQ(changes[4].key, "wep_keys");
    EXPECT_TRUE(changes[4].secret);
    EXPECT_EQ(describeChanges(changes),
              "ssid: Office AP -> Office AP2; mode: infrastructure -> adhoc; wpa_encryption: AES "
              "-> TKIP; wpa_key: unknown -> ********; wep_keys: unknown -> ********");
    EXPECT_EQ(verifiableChanges(changes).size(), 3u);
}

TEST(SettingsDiff, ComparesWholeTextsAndKeysInTheirHexForm) {
    SettingsPatch reported;
    reported.ssid = "Office";
    reported.wepKeys = std::array<std::string, 4>{"6162636465", "0A0B0C0D0E", "", ""};
    EXPECT_EQ(diffSettings(profile(R"({"ssid":"Office AP"})"), reported).size(), 1u);
    EXPECT_EQ(diffSettings(profile(R"({"ssid":"Office"})"), reported).size(), 0u);
    EXPECT_TRUE(diffSettings(profile(R"({"wep_keys":["abcde","0a0b0c0d0e","",""],
                                         "key_formats":["ASCII","HEX","HEX","HEX"]})"),
                             reported)
                    .empty());
}

TEST(SettingsDiff, RefusesKeySecurityWithoutTheKeyTheModuleDoesNotReport) {
    SettingsPatch unreported = reportedSettings(record(), false);  // WPA2-PSK in place
    SettingsPatch none = reportedSettings(WifiSettings{}, false);
    EXPECT_TRUE(missingKeyRefusal(profile(R"({"ssid":"x"})"), unreported));
    EXPECT_TRUE(missingKeyRefusal(profile(R"({"encryption":"WPA"})"), none));
    EXPECT_FALSE(missingKeyRefusal(profile(R"({"ssid":"x","wpa_key":"12345678"})"), unreported));
    EXPECT_FALSE(missingKeyRefusal(profile(R"({"encryption":"None"})"), unreported));
    EXPECT_FALSE(missingKeyRefusal(profile(R"({"wpa_authentication":"WPA2-ENT"})"), unreported));
    EXPECT_FALSE(missingKeyRefusal(profile(R"({"ssid":"x"})"), reportedSettings(record(), true)));
    EXPECT_EQ(missingKeyRefusal(profile("{}"), unreported)->substr(0, 8), "wpa_key:");
    // WEP the same way: the key in use would be written blank.
    EXPECT_EQ(missingKeyRefusal(profile(R"({"encryption":"WEP64"})"), none)->substr(0, 9),
              "wep_keys:");
    EXPECT_FALSE(missingKeyRefusal(
        profile(R"({"encryption":"WEP128","wep_keys":["0102030405060708090A0B0C0D","","",""]})"),
        none));
}

TEST(SettingsDiff, ReadBackNamesEachFieldWrittenAndRead) {
    SettingsPatch readBack;
    readBack.ssid = "Office";
    readBack.tcpPort = 9100;
    auto d = readBackDifferences(
        profile(R"({"ssid":"Office AP","tcp_port":9100,"wpa_key":"kkkkkkkk"})"), readBack);
    EXPECT_EQ(readBackMessage(d), std::string(kReadBackDiffersText) +
                                      ": ssid: written \"Office AP\", read back \"Office\"");
}
