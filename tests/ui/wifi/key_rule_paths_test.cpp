// One key rule on every path that takes a key: a JSON profile, the Wi-Fi INI file, the dialog's
// save and a LAN save each accept and refuse the same keys.
#include <gtest/gtest.h>

#include "tests/ui/wifi/wifi_dialog_fixture.h"
#include "wifi/net/network_save.h"
#include "wifi/settings/ini_file.h"
#include "wifi/settings/ini_profile.h"
#include "wifi/settings/profile.h"

namespace setrion::test {
namespace {

struct KeyCase {
    bool wep;  // a WEP64 key typed as HEX, else a WPA-PSK key
    std::string key;
    bool accepted;
    bool editHolds = true;  // the dialog's key edit takes the text as it is
};

const KeyCase kCases[] = {
    {false, "password", true},
    {false, std::string(63, 'k'), true},
    {false, std::string(64, 'A'), true},
    // 64 characters that are not all hex digits (the WPA Key edit cuts them to 63)
    {false, std::string(63, 'k') + "z", false, false},
    {false, "abc", false},
    {true, "0102030405", true},
    {true, "zz12zz34zz", false},
    {true, "123456789", false},
};

std::string label(const KeyCase& c) {
    return (c.wep ? "WEP64 " : "WPA ") + c.key;
}

bool jsonAccepts(const KeyCase& c) {
    nlohmann::json j =
        c.wep ? nlohmann::json{{"encryption", "WEP64"},
                               {"key_in_use", 1},
                               {"wep_keys", {c.key, "", "", ""}}}
              : nlohmann::json{
                    {"encryption", "WPA"}, {"wpa_authentication", "WPA-PSK"}, {"wpa_key", c.key}};
    return wifi::parseJsonProfile(j.dump()).ok();
}

bool iniAccepts(const KeyCase& c) {
    const std::string text = c.wep ? "[WiFiInfo]\nENCRYPTION=1\nUSEKEY=1\nKEY1=" + c.key + "\n"
                                   : "[WiFiInfo]\nWPA=1\nWPAENC=1\nWPAKEY=" + c.key + "\n";
    const wifi::WifiIniValues values = wifi::readWifiIni(wifi::IniFile::parse(text));
    return values.refused.empty() && !wifi::validatePatch(wifi::wifiIniPatch(values));
}

// A LAN module under WPA2-PSK; WEP keys are never part of a network save.
bool lanAccepts(const KeyCase& c) {
    net::DiscoveredPrinter module;
    module.wifiFlags = 1u | (6u << 4) | (4u << 16) | (2u << 19);
    net::NetworkEdit edit;
    edit.wpaKey = c.key;
    return net::applyModuleEdit(module, edit).empty();
}

struct KeyRulePaths : WifiDialogFixture {
    // The command-mode dialog's save: the key reaches the module, or a message refuses it.
    bool dialogAccepts(const KeyCase& c) {
        make();
        openAndGet();
        shell.clearMessages();
        if (c.wep) {
            dlg->select(kEncryption, 1);
            dlg->select(kUsingKeyId, 0);
            dlg->select(kKeyFormat1, 0);
            dlg->editText(kKey1, c.key);
        } else {
            dlg->editText(kWpaKey, c.key);
        }
        dlg->click(kSave);
        const bool saved = lastModalTitle() == "Save Wi-Fi information" && lastText().empty();
        dlg->click(kClosePort);
        return saved;
    }
};

TEST_F(KeyRulePaths, EveryPathTakesTheSameKeys) {
    for (const KeyCase& c : kCases) {
        EXPECT_EQ(jsonAccepts(c), c.accepted) << "JSON " << label(c);
        EXPECT_EQ(iniAccepts(c), c.accepted) << "INI " << label(c);
        if (c.editHolds)
            EXPECT_EQ(dialogAccepts(c), c.accepted) << "dialog " << label(c) << ": " << lastText();
        if (!c.wep) EXPECT_EQ(lanAccepts(c), c.accepted) << "LAN " << label(c);
    }
}

TEST_F(KeyRulePaths, TheDialogNamesWhatIsWrongWithAKey) {
    const std::pair<KeyCase, std::string> cases[] = {
        {{true, "zz12zz34zz", false}, "Key must be hexadecimal digits only"},
        {{true, "123456789", false}, "Key Length is not matched"},
        {{false, "abc", false}, "WPA Key must be 8 to 63 ASCII or 64 hex characters"},
    };
    for (const auto& [c, text] : cases) {
        EXPECT_FALSE(dialogAccepts(c));
        EXPECT_EQ(lastText(), text) << label(c);
        EXPECT_EQ(lastCaption(), "Error");
    }
}

}  // namespace
}  // namespace setrion::test
