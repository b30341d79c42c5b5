#include "wifi/module/parameter_reply.h"

#include "common/hex.h"

namespace setrion::wifi {

std::vector<uint8_t> ParameterReply::value(std::size_t offset, std::size_t length) const {
    std::vector<uint8_t> out(length, 0);
    for (std::size_t i = 0; i < length; ++i) {
        std::size_t at = kDecodedValueOffset + offset + i;
        if (at < decoded.size()) out[i] = decoded[at];
    }
    return out;
}

std::vector<uint8_t> decodeReplyText(std::span<const uint8_t> reply) {
    if (reply.size() < 13) return {};
    auto text = reply.subspan(5, reply.size() - 13);
    std::vector<uint8_t> out = decodeHexSkipping(
        std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    if (out.size() > kDecodeBufferSize) out.resize(kDecodeBufferSize);
    return out;
}

ParameterReply parseParameterReply(std::span<const uint8_t> reply, bool decode) {
    ParameterReply r;
    const bool has701 = reply.size() >= 3 && reply[0] == '7' && reply[1] == '0' && reply[2] == '1';
    if (!decode) {
        r.accepted = has701;
        return r;
    }
    if (!has701 || reply.size() < 5 || reply[3] != '\r' || reply[4] != '\n') return r;
    r.accepted = true;
    r.decoded = decodeReplyText(reply);
    return r;
}

}  // namespace setrion::wifi
