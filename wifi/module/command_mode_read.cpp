#include "wifi/module/command_mode_read.h"

#include <cstdio>

#include "common/hex.h"
#include "common/interrupt.h"
#include "wifi/module/parameter_reply.h"

namespace setrion::wifi {

void WepKeyStore::clear() {
    for (auto& b : bytes) b.clear();
    for (auto& h : hex) h.clear();
}

namespace {

struct StepText {
    Parameter parameter;
    const char* noReply;
    const char* rejected;  // nullptr: a rejection is an answer, not a failure
    int progress;
};

constexpr StepText kSteps[] = {
    {Parameter::IpAddress, "Get IP Read Failed", "Get IP Information Failed", 16},
    {Parameter::SubnetMask, "Get Netmask Read Failed", "Get Netmask Information Failed", 33},
    {Parameter::Gateway, "Get Gateway Read Failed", "Get Gateway Information Failed", 50},
    {Parameter::Dns, "Get DNS Read Failed", "Get DNS Information Failed", 66},
    {Parameter::Ssid, "Get SSID Read Failed", "Get SSID Information Failed", 83},
    {Parameter::WlanOptions, "Get Wi-Fi Options Read Failed",
     "Get Wi-Fi Options Information Failed", -1},
    {Parameter::WepKeys40, "Get Wi-Fi 40-Bit WEP Key Read Failed",
     "Get Wi-Fi 40-Bit WEP Key Information Failed", -1},
    {Parameter::WepKeys104, "Get Wi-Fi 104-Bit WEP Key Read Failed",
     "Get Wi-Fi 104-Bit WEP Key Information Failed", -1},
    {Parameter::WpaKey, "Get Wi-Fi WPA Options Read Failed",
     "Get Wi-Fi WPA Options Information Failed", -1},
    {Parameter::WpaKeyExtended, "Get Wi-Fi WPA Key Extended Options Read Failed", nullptr, -1},
    {Parameter::TcpIpPort, "Get TCP/IP Port Read Failed", "Get TCP/IP Port Information Failed",
     -1},
    {Parameter::WpaPsk, "Get Wi-Fi WPA PSK Options Read Failed", nullptr, -1},
    {Parameter::TcpActiveOptions, "Get TCP Active Options Read Failed",
     "Get TCP Active Options Failed", -1},
    {Parameter::ModuleInfo, "Get Mac Address Read Failed", "Get Mac Address Failed", -1},
};

// Characters up to the first zero byte.
std::string textUpToZero(const std::vector<uint8_t>& v) {
    std::string s;
    for (uint8_t b : v) {
        if (b == 0) break;
        s.push_back(static_cast<char>(b));
    }
    return s;
}

void storeKeys(WepKeyStore& store, const std::vector<uint8_t>& value, std::size_t size) {
    for (std::size_t k = 0; k < 4; ++k) {
        store.bytes[k].assign(value.begin() + static_cast<long>(k * size),
                              value.begin() + static_cast<long>((k + 1) * size));
        store.hex[k] = toHex(store.bytes[k]);
    }
}

}  // namespace

SequenceResult readCommandModeSettings(ModuleConnection& conn, CommandModeSettings& v,
                                       const ReadStepSink& sink) {
    v.wep40.clear();
    v.wep104.clear();
    for (const StepText& s : kSteps) {
        const auto step = static_cast<ReadStep>(static_cast<int>(&s - kSteps) + 1);
        if (step == ReadStep::WpaKeyExtended && v.passphrase.size() != 32) continue;
        if ((step == ReadStep::TcpActiveOptions || step == ReadStep::ModuleInfo) &&
            v.encryptionCapability != 2)
            break;

        if (interruptRequested()) return SequenceResult::interruption(static_cast<int>(step));
        std::vector<uint8_t> reply = conn.readParameter(s.parameter);
        if (interruptRequested()) return SequenceResult::interruption(static_cast<int>(step));
        if (reply.empty())
            return SequenceResult::failure(static_cast<int>(step), s.noReply, kCaptionUpperError);
        ParameterReply r = parseParameterReply(reply, true);
        if (!r.accepted && s.rejected)
            return SequenceResult::failure(static_cast<int>(step), s.rejected, kCaptionUpperError);

        switch (step) {
            case ReadStep::IpAddress:
            case ReadStep::SubnetMask:
            case ReadStep::Gateway:
            case ReadStep::Dns: {
                auto b = r.value(0, 4);
                Octets o{b[0], b[1], b[2], b[3]};
                (step == ReadStep::IpAddress    ? v.ip
                 : step == ReadStep::SubnetMask ? v.netmask
                 : step == ReadStep::Gateway    ? v.gateway
                                                : v.dns) = o;
                break;
            }
            case ReadStep::Ssid: v.ssid = textUpToZero(r.value(0, 32)); break;
            case ReadStep::WlanOptions: v.options = decodeWlanOptions(r.value(0, 4)); break;
            case ReadStep::WepKeys40: storeKeys(v.wep40, r.value(0, 20), 5); break;
            case ReadStep::WepKeys104: storeKeys(v.wep104, r.value(0, 52), 13); break;
            case ReadStep::WpaKey: v.passphrase = textUpToZero(r.value(0, 32)); break;
            case ReadStep::WpaKeyExtended:
                if (r.accepted) v.passphrase += textUpToZero(r.value(0, 32));
                break;
            case ReadStep::TcpIpPort: {
                auto b = r.value(0, 20);
                std::copy(b.begin(), b.end(), v.tcpIpPortGroup.begin());
                v.tcpPort = static_cast<uint16_t>(b[8] | (b[9] << 8));
                break;
            }
            case ReadStep::WpaPsk: v.encryptionCapability = r.accepted ? 2 : 1; break;
            case ReadStep::TcpActiveOptions: v.dhcp = (r.value(0, 1)[0] & 0x08) != 0; break;
            case ReadStep::ModuleInfo: {
                // The information bytes start at decoded byte 0; the MAC is bytes 8-13.
                uint8_t m[6] = {};
                for (std::size_t i = 0; i < 6; ++i)
                    if (8 + i < r.decoded.size()) m[i] = r.decoded[8 + i];
                char buf[24];
                std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1],
                              m[2], m[3], m[4], m[5]);
                v.macText = buf;
                break;
            }
        }
        if (sink) sink(step, v, s.progress);
    }
    return SequenceResult::success(kReadCompletedText, kReadCompletedTitle);
}

}  // namespace setrion::wifi
