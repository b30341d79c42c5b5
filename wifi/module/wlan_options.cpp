#include "wifi/module/wlan_options.h"

namespace setrion::wifi {

std::array<uint8_t, 4> encodeWlanOptions(const WlanOptionsValue& v) {
    return {
        static_cast<uint8_t>((v.mode & 0x0F) | ((v.channel & 0x0F) << 4)),
        static_cast<uint8_t>(((v.authentication & 3) << 6) | ((v.keyInUse & 3) << 2) |
                             (v.wepEncryption & 3)),
        static_cast<uint8_t>(((v.wpaCipher & 3) << 3) | (v.wpaMode & 7)),
        0x00,
    };
}

WlanOptionsValue decodeWlanOptions(std::span<const uint8_t> value) {
    auto at = [&](std::size_t i) -> int { return i < value.size() ? value[i] : 0; };
    WlanOptionsValue v;
    v.mode = at(0) & 0x0F;
    v.channel = (at(0) >> 4) & 0x0F;
    v.wepEncryption = at(1) & 3;
    v.keyInUse = (at(1) >> 2) & 3;
    v.authentication = (at(1) >> 6) & 3;
    v.wpaMode = at(2) & 7;
    v.wpaCipher = (at(2) >> 3) & 3;
    return v;
}

WlanOptionsValue wlanOptionsFromSelections(int mode, int channel, int encryption, int keyInUse,
                                           int authentication, int wpaAuthentication,
                                           int wpaEncryption) {
    WlanOptionsValue v{mode, channel, encryption, keyInUse, authentication, 0, 0};
    if (encryption == 3) {
        v.wepEncryption = 0;
        v.keyInUse = 0;
        v.wpaMode = wpaAuthentication == 1 ? 2 : wpaAuthentication == 2 ? 4 : wpaAuthentication;
        v.wpaCipher = wpaEncryption;
    } else if (encryption == 0) {
        v.authentication = 1;
    }
    return v;
}

}  // namespace setrion::wifi
