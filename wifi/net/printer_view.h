#pragma once
#include <optional>
#include <string>

#include "wifi/net/discovered_printer.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

// What the dialog shows for one line of the printer list, with the lists' texts.
struct PrinterView {
    std::string mac;   // "02:00:00:00:00:01"
    std::string kind;  // "module" or "text"
    std::string ip, netmask, gateway, dns;
    std::string ssid;
    std::string mode;
    int channel = 0;
    std::string encryption;
    std::string authentication;
    int keyInUse = 1;
    std::string wpaAuthentication;
    std::string wpaEncryption;
    std::string wpaKey;
    int tcpPort = 0;
    bool dhcp = false;
};

PrinterView describeModule(const DiscoveredPrinter& record);
PrinterView describeTextRecord(const wifi::WifiSettings& record);

// The user's changes for a save; absent values keep what the line shows. Positions are
// those of the dialog's lists.
struct NetworkEdit {
    std::optional<std::string> ssid;
    std::optional<uint32_t> ip, netmask, gateway, dns;  // host order
    std::optional<int> mode;            // 0 adhoc, 1 infrastructure
    std::optional<int> channel;         // channel number
    std::optional<int> encryption;      // None, WEP64, WEP128, WPA, 802.1x
    std::optional<int> authentication;  // None, Open System, Shared Key, Both
    std::optional<int> keyInUse;        // 1..4
    std::optional<int> wpaAuthentication;  // module: None, WPA-PSK, WPA2-PSK; text: record code
    std::optional<int> wpaEncryption;   // module: None, TKIP, AES, TKIP+AES; text: TKIP, AES
    std::optional<std::string> wpaKey;
    std::optional<uint16_t> tcpPort;
    std::optional<bool> dhcp;
};

}  // namespace setrion::net
