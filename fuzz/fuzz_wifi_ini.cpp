// Any bytes as a Wi-Fi INI file: read into a record, written back with the dialog's values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wifi/settings/wifi_ini.h"

using namespace setrion::wifi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile file = IniFile::parse(text);
    if (file.text() != text) __builtin_trap();  // an unchanged file is kept byte for byte
    const WifiIniValues v = readWifiIni(file);
    if (v.ssid.size() > 32 || v.wpaKey.size() > 64) __builtin_trap();
    for (const auto& k : v.keys)
        if (k.size() > 26) __builtin_trap();

    WifiIniControls c;
    c.ssid = v.ssid;
    c.macText = v.macText.value_or("");
    c.encryption = v.encryption.value_or(-1);
    c.keyInUse = v.useKey.value_or(0) - 1;
    if (c.keyInUse >= 0) c.keyTexts[static_cast<size_t>(c.keyInUse)] = v.keys[static_cast<size_t>(c.keyInUse)];
    c.wpaKey = v.wpaKey;
    applyWifiIniWrite(file, v.record, c);
    // What was written reads back to the same SSID (unless the cut left blanks at its end,
    // it holds a byte that ends a value or it is itself wrapped in quotes).
    const WifiIniValues again = readWifiIni(IniFile::parse(file.text()));
    const bool plain = v.ssid.find('\0') == std::string::npos &&
                       (v.ssid.empty() || (v.ssid.back() != ' ' && v.ssid.back() != '\t')) &&
                       !(v.ssid.size() >= 2 && (v.ssid[0] == '"' || v.ssid[0] == '\'') &&
                         v.ssid.back() == v.ssid[0]);
    if ((plain && again.ssid != v.ssid) || again.wpaKey.size() > 64) __builtin_trap();
    return 0;
}
