#include "common/wpa_psk.h"

#include <openssl/evp.h>

namespace setrion {

WpaPsk deriveWpaPsk(std::string_view passphrase, std::string_view ssid) {
    WpaPsk psk{};
    PKCS5_PBKDF2_HMAC_SHA1(passphrase.data(), static_cast<int>(passphrase.size()),
                           reinterpret_cast<const unsigned char*>(ssid.data()),
                           static_cast<int>(ssid.size()), 4096, static_cast<int>(psk.size()),
                           psk.data());
    return psk;
}

}  // namespace setrion
