#include "wifi/net/management_header.h"

#include <algorithm>

#include "common/rc4.h"

namespace setrion::net {

std::array<uint8_t, kManagementHeaderSize> ManagementHeader::encode() const {
    std::array<uint8_t, kManagementHeaderSize> out{};
    std::copy(magic.begin(), magic.end(), out.begin());
    out[4] = protocol;
    out[5] = flags;
    out[6] = command;
    out[7] = status;
    out[8] = static_cast<uint8_t>(payloadCheck & 0xFF);
    out[9] = static_cast<uint8_t>(payloadCheck >> 8);
    std::copy(mac.begin(), mac.end(), out.begin() + 10);
    out[16] = productCode;
    out[17] = versionV1;
    out[18] = versionV2;
    out[19] = versionV3;
    std::copy(reserved.begin(), reserved.end(), out.begin() + 20);
    return out;
}

std::optional<ManagementHeader> ManagementHeader::decode(std::span<const uint8_t> d) {
    if (d.size() < kManagementHeaderSize) return std::nullopt;
    ManagementHeader h;
    std::copy_n(d.begin(), 4, h.magic.begin());
    h.protocol = d[4];
    h.flags = d[5];
    h.command = d[6];
    h.status = d[7];
    h.payloadCheck = static_cast<uint16_t>(d[8] | (d[9] << 8));
    std::copy_n(d.begin() + 10, 6, h.mac.begin());
    h.productCode = d[16];
    h.versionV1 = d[17];
    h.versionV2 = d[18];
    h.versionV3 = d[19];
    std::copy_n(d.begin() + 20, 12, h.reserved.begin());
    return h;
}

void applyPayloadCipher(const ProtocolKeyPrefix& prefix, uint16_t payloadCheck,
                        std::span<uint8_t> payload) {
    std::array<uint8_t, 16> key{};
    std::copy(prefix.begin(), prefix.end(), key.begin());
    key[14] = static_cast<uint8_t>(payloadCheck & 0xFF);
    key[15] = static_cast<uint8_t>(payloadCheck >> 8);
    Rc4 rc4(key);
    rc4.apply(payload);
}

}  // namespace setrion::net
