#pragma once
// Builders for literal management datagrams used across the tests.
#include <cstring>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "wifi/net/env_items.h"
#include "wifi/net/management_header.h"

namespace setrion::net::testing {

inline std::vector<uint8_t> item(uint8_t type, uint8_t index, std::vector<uint8_t> data) {
    std::vector<uint8_t> out;
    appendItem(out, type, index, data);
    return out;
}

inline std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline std::vector<uint8_t> textData(const std::string& s, size_t width) {
    std::vector<uint8_t> d(width, 0);
    std::copy_n(s.begin(), std::min(s.size(), width), d.begin());
    return d;
}

// A reply datagram: header with the flags and MAC, the payload enciphered.
inline std::vector<uint8_t> reply(const ProtocolKeyPrefix& key, const MacAddress& mac,
                                  std::vector<uint8_t> payload, uint8_t flags = kFlagReply,
                                  uint8_t command = kCommandSearchAll, uint8_t status = 0,
                                  uint8_t product = 0x15) {
    ManagementHeader h;
    h.flags = flags;
    h.command = command;
    h.status = status;
    h.mac = mac;
    h.productCode = product;
    h.versionV1 = 1;
    h.versionV2 = 1;
    h.versionV3 = 6;
    h.payloadCheck = payload.empty() ? 0 : crc16(payload);
    applyPayloadCipher(key, h.payloadCheck, payload);
    auto head = h.encode();
    std::vector<uint8_t> out(head.size() + payload.size());
    std::memcpy(out.data(), head.data(), head.size());
    if (!payload.empty()) std::memcpy(out.data() + head.size(), payload.data(), payload.size());
    return out;
}

// Deciphers the payload of a sent request.
inline std::vector<uint8_t> plainPayload(const ProtocolKeyPrefix& key, const std::vector<uint8_t>& d) {
    auto h = ManagementHeader::decode(d);
    std::vector<uint8_t> p(d.begin() + 32, d.end());
    applyPayloadCipher(key, h->payloadCheck, p);
    return p;
}

}  // namespace setrion::net::testing
