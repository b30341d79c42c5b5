#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace setrion {

using WpaPsk = std::array<uint8_t, 32>;

// IEEE 802.11i pre-shared key: PBKDF2-HMAC-SHA1(passphrase, ssid, 4096 iterations, 32 bytes).
WpaPsk deriveWpaPsk(std::string_view passphrase, std::string_view ssid);

}  // namespace setrion
