#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace setrion::wifi {

// The choice fields carried by the WlanOptions parameter.
struct WlanOptionsValue {
    int mode = 0;            // 0 adhoc, 1 infrastructure
    int channel = 1;         // 1-14
    int wepEncryption = 0;   // 0 none, 1 40-bit, 2 104-bit
    int keyInUse = 0;        // 0-3 = KEY ID 1-4
    int authentication = 0;  // 0 None, 1 Open System, 2 Shared Key, 3 Both
    int wpaMode = 0;         // 0 none, 2 WPA-PSK, 4 WPA2-PSK
    int wpaCipher = 0;       // 0 none, 1 TKIP, 2 AES, 3 TKIP+AES

    bool operator==(const WlanOptionsValue&) const = default;
};

// Byte 0: mode (bits 0-3), channel (4-7); byte 1: WEP encryption (0-1), key in use (2-3),
// reserved (4-5, written 0), authentication (6-7); byte 2: WPA mode (0-2), cipher (3-4);
// byte 3: 0.
std::array<uint8_t, 4> encodeWlanOptions(const WlanOptionsValue& v);
// Missing bytes read as zero.
WlanOptionsValue decodeWlanOptions(std::span<const uint8_t> value);

// What the selections of the save write. encryption: 0 None, 1 WEP64, 2 WEP128, 3 WPA,
// 4 802.1x; wpaAuthentication: 0 "None Use", 1 "WPA-PSK", 2 "WPA2-PSK". With WPA the WEP
// fields become 0 and the WPA mode 2 or 4; without encryption the authentication is written
// as Open System; every choice other than WPA writes no WPA mode or cipher.
WlanOptionsValue wlanOptionsFromSelections(int mode, int channel, int encryption, int keyInUse,
                                           int authentication, int wpaAuthentication,
                                           int wpaEncryption);

}  // namespace setrion::wifi
