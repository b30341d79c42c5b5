#include "wifi/net/net_config.h"

#include <cstdlib>

#include "common/hex.h"

namespace setrion::net {

std::optional<ProtocolKeyPrefix> parseProtocolKey(std::string_view hex) {
    if (hex.size() != 28) return std::nullopt;
    ProtocolKeyPrefix key{};
    for (size_t i = 0; i < 14; ++i) {
        int hi = hexDigitValue(hex[2 * i]);
        int lo = hexDigitValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        key[i] = static_cast<uint8_t>((hi << 4) | lo);
    }
    return key;
}

ProtocolKeyPrefix protocolKeyFromEnvironment(std::string* error) {
    const char* env = std::getenv("SETRION_PROTOCOL_KEY");
    if (!env || !*env) return kDefaultProtocolKeyPrefix;
    if (auto key = parseProtocolKey(env)) return *key;
    if (error) *error = "SETRION_PROTOCOL_KEY must be 28 hexadecimal digits";
    return kDefaultProtocolKeyPrefix;
}

}  // namespace setrion::net
