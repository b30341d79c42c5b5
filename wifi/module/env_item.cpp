#include "wifi/module/env_item.h"

#include "common/crc16.h"
#include "common/hex.h"

namespace setrion::wifi {

std::vector<uint8_t> EnvItem::build() const {
    const std::size_t length = envItemLength(value.size());
    std::vector<uint8_t> out;
    out.reserve(length);
    out.push_back(type);
    out.push_back(index);
    out.push_back(static_cast<uint8_t>(length & 0xFF));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.insert(out.end(), value.begin(), value.end());
    out.resize(length - 2, 0x00);
    const uint16_t crc = crc16(out);
    out.push_back(static_cast<uint8_t>(crc & 0xFF));
    out.push_back(static_cast<uint8_t>(crc >> 8));
    return out;
}

std::string envItemRecordText(std::span<const uint8_t> item) { return toHex(item, " "); }

std::optional<ParsedEnvItem> parseEnvItem(std::span<const uint8_t> bytes) {
    if (bytes.size() < 6) return std::nullopt;
    const std::size_t length = bytes[2] | (static_cast<std::size_t>(bytes[3]) << 8);
    if (length < 6 || length > bytes.size()) return std::nullopt;
    ParsedEnvItem p;
    p.item.type = bytes[0];
    p.item.index = bytes[1];
    p.item.value.assign(bytes.begin() + 4, bytes.begin() + static_cast<long>(length - 2));
    p.length = length;
    const uint16_t stored = static_cast<uint16_t>(bytes[length - 2] | (bytes[length - 1] << 8));
    p.crcValid = crc16(bytes.first(length - 2)) == stored;
    return p;
}

}  // namespace setrion::wifi
