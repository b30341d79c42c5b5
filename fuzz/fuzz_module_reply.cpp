// Replies from the Wi-Fi module behind the printer link: parameter replies (judged with and
// without decoding), the items they carry, and settings-block records.
#include <cstddef>
#include <cstdint>
#include <span>

#include "wifi/module/env_item.h"
#include "wifi/module/parameter_reply.h"
#include "wifi/settings/wifi_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> in(data, size);
    using namespace setrion::wifi;
    ParameterReply plain = parseParameterReply(in, false);
    ParameterReply decoded = parseParameterReply(in, true);
    if (plain.accepted != (size >= 3 && data[0] == '7' && data[1] == '0' && data[2] == '1'))
        __builtin_trap();
    (void)decoded.value(kDecodedValueOffset, 64);
    (void)parseEnvItem(decoded.decoded);
    (void)parseEnvItem(in);
    if (auto record = WifiSettings::fromBytes(in)) {
        (void)record->text(field::kSsid);
        (void)record->address(field::kIp);
        (void)record->tcpPort();
        (void)record->channel();
    }
    return 0;
}
