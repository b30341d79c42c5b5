// One key rule on every path that takes a key: a JSON profile, the Wi-Fi INI file, the dialog's
// save and a LAN save accept and refuse the same keys.
#include "tests/ui/wifi/wifi_dialog_fixture.h"
#include "wifi/net/network_save.h"
#include "wifi/settings/ini_file.h"
#include "wifi/settings/ini_profile.h"

namespace setrion::test {
namespace {

struct KeyRulePaths : WifiDialogFixture {
    // The command-mode dialog's save: "" when the key reached the module, else the message.
    std::string dialogSave(bool wep, const std::string& key) {
        make();
        openAndGet();
        shell.clearMessages();
        if (wep) dlg->select(kEncryption, 1);
        dlg->editText(wep ? kKey1 : kWpaKey, key);
        dlg->click(kSave);
        std::string shown = lastModalTitle() == "Save Wi-Fi information" ? "" : lastText();
        dlg->click(kClosePort);
        return shown;
    }
};

TEST_F(KeyRulePaths, EveryPathTakesTheSameKeys) {
    struct Case {
        bool wep;  // a WEP64 key typed as HEX, else a WPA-PSK key
        std::string key;
        std::string dialog;  // the dialog's message, "" when accepted; "-": the edit cuts the key
    };
    const Case cases[] = {
        {false, "password", ""},
        {false, std::string(64, 'A'), ""},
        {false, std::string(63, 'k') + "z", "-"},
        {false, "abc", "WPA Key must be 8 to 63 ASCII or 64 hex characters"},
        {true, "0102030405", ""},
        {true, "zz12zz34zz", "Key must be hexadecimal digits only"},
        {true, "123456789", "Key Length is not matched"},
    };
    for (const Case& c : cases) {
        const bool ok = c.dialog.empty();  // every path but the dialog refuses the cut key
        const bool json = wifi::parseJsonProfile(c.wep ? R"({"encryption":"WEP64","wep_keys":[")" +
                                                             c.key + R"(","","",""]})"
                                                       : R"({"wpa_key":")" + c.key + "\"}")
                              .ok();
        const auto values = wifi::readWifiIni(wifi::IniFile::parse(
            "[WiFiInfo]\n" + std::string(c.wep ? "ENCRYPTION=1\nKEY1=" : "WPA=1\nWPAKEY=") +
            c.key));
        net::DiscoveredPrinter lan;  // WPA2-PSK
        lan.wifiFlags = 1u | (4u << 16) | (2u << 19);
        net::NetworkEdit edit;
        edit.wpaKey = c.key;
        EXPECT_EQ(json, ok) << c.key;
        EXPECT_EQ(!wifi::validatePatch(wifi::wifiIniPatch(values)), ok) << c.key;
        if (!c.wep) {
            EXPECT_EQ(net::applyModuleEdit(lan, edit).empty(), ok) << c.key;
        }
        if (c.dialog != "-") {
            EXPECT_EQ(dialogSave(c.wep, c.key), c.dialog) << c.key;
        }
    }
}

}  // namespace
}  // namespace setrion::test
