#include "wifi/module/command_mode_write.h"

#include <algorithm>

#include "common/hex.h"
#include "common/interrupt.h"
#include "common/wpa_psk.h"
#include "wifi/module/parameter_reply.h"
#include "wifi/settings/key_rules.h"

namespace setrion::wifi {

namespace {

struct StepText {
    WriteStep step;
    Parameter parameter;
    const char* noReply;
    const char* rejected;
    int progress;
};

constexpr StepText kSteps[] = {
    {WriteStep::IpAddress, Parameter::IpAddress, "Set IP and Read Failed",
     "Set IP Write Syntex Error", 16},
    {WriteStep::SubnetMask, Parameter::SubnetMask, "Set Netmask and Read Failed",
     "Set Netmask Syntex Error", 33},
    {WriteStep::Gateway, Parameter::Gateway, "Set Gateway and Read Failed",
     "Set Gateway Syntex Error", 50},
    {WriteStep::Dns, Parameter::Dns, "Set DNS and Read Failed", "Set DNS Syntex Error", 66},
    {WriteStep::Ssid, Parameter::Ssid, "Set SSID and Read Failed", "Set SSID Syntex Error", 83},
    {WriteStep::WlanOptions, Parameter::WlanOptions, "Set WLAN Options and Read Failed",
     "Set WLAN Write Syntex Error", -1},
    {WriteStep::WepKeys40, Parameter::WepKeys40, "Set 40-Bits WEP Key and Read Failed",
     "Set 40-Bits WEP Key Syntex Error", -1},
    {WriteStep::WepKeys104, Parameter::WepKeys104, "Set 104-Bits WEP Key and Read Failed",
     "Set 104-Bits WEP Key Syntex Error", -1},
    {WriteStep::WpaKey, Parameter::WpaKey, "Set WPA KEY and Read Failed",
     "Set WPA KEY Syntex Error", -1},
    {WriteStep::WpaKeyExtended, Parameter::WpaKeyExtended, "Set WPA Extended KEY and Read Failed",
     "Set WPA Extended Key Syntex Error", -1},
    {WriteStep::TcpIpPort, Parameter::TcpIpPort, "Set TCP/IP Port and Read Failed",
     "Set TCP/IP Port Syntex Error", -1},
    {WriteStep::WpaPsk, Parameter::WpaPsk, "Set WPA-PSK KEY and Read Failed",
     "Set WPA-PSK KEY Syntex Error", -1},
    {WriteStep::TcpActiveOptions, Parameter::TcpActiveOptions, "Set DHCP and Read Failed",
     "Set DHCP Write Syntex Error", -1},
};

std::vector<uint8_t> padded(std::string_view text, std::size_t from, std::size_t size) {
    std::vector<uint8_t> out(size, 0);
    if (from < text.size()) {
        std::string_view part = text.substr(from, size);
        std::copy(part.begin(), part.end(), out.begin());
    }
    return out;
}

std::vector<uint8_t> keyBytes(std::string_view text, KeyFormat format) {
    if (format == KeyFormat::Ascii) return {text.begin(), text.end()};
    return decodeHexSkipping(text);
}

}  // namespace

std::optional<SequenceResult> validateCommandModeWrite(const CommandModeWriteInput& in) {
    const int e = in.encryption;
    if (e == 3)
        if (auto err = wpaKeyError(in.wpaKey))
            return SequenceResult::failure(0, *err, kCaptionError);
    if ((e == 1 || e == 2) && in.keyInUse >= 0 && in.keyInUse <= 3) {
        const auto k = static_cast<std::size_t>(in.keyInUse);
        if (auto err = wepKeyError(e, in.keyFormats[k], in.keyTexts[k]))
            return SequenceResult::failure(0, *err, kCaptionError);
    }
    for (std::size_t k = 0; k < 4; ++k)
        if (in.keysGiven[k] && !in.keyTexts[k].empty() &&
            wepKeyFault(in.keyTexts[k], in.keyFormats[k]))
            return SequenceResult::failure(0, kKeyNotMatchedText, kCaptionError);
    return std::nullopt;
}

std::optional<SequenceResult> checkCommandModeFields(const CommandModeWriteInput& in) {
    if (in.ssid.size() > 32)
        return SequenceResult::failure(0, "Please enter no more than 32 characters.", "");
    if (in.wpaKey.size() > 64)
        return SequenceResult::failure(0, "Please enter no more than 64 characters.", "");
    if (in.tcpPort < 0 || in.tcpPort > 65535)
        return SequenceResult::failure(0, "Please enter an integer between 0 and 65535.", "");
    return std::nullopt;
}

std::vector<uint8_t> wepKeyRecordValue(const CommandModeWriteInput& in,
                                       const WepKeyStore& lastRead, std::size_t size) {
    const int sizeEncryption = size == 5 ? 1 : 2;
    std::vector<uint8_t> out;
    for (std::size_t k = 0; k < 4; ++k) {
        std::vector<uint8_t> key;
        std::vector<uint8_t> given;
        if (in.keysGiven[k] && !in.keyTexts[k].empty())
            given = keyBytes(in.keyTexts[k], in.keyFormats[k]);
        if (static_cast<int>(k) == in.keyInUse && in.encryption == sizeEncryption)
            key = keyBytes(in.keyTexts[k], in.keyFormats[k]);
        else if (given.size() == size)
            key = given;
        else if (in.keyFormats[k] == KeyFormat::Ascii)
            key = lastRead.bytes[k];
        else
            key = decodeHexSkipping(lastRead.hex[k]);
        key.resize(size, 0);
        out.insert(out.end(), key.begin(), key.end());
    }
    return out;
}

SequenceResult writeCommandModeSettings(ModuleConnection& conn, const CommandModeWriteInput& in,
                                        const CommandModeSettings& lastRead,
                                        WlanOptionsValue* optionsOut, const WriteStepSink& sink) {
    if (auto failure = validateCommandModeWrite(in)) return *failure;
    conn.unlockModule();  // its answer is not judged
    if (auto failure = checkCommandModeFields(in)) return *failure;

    const WlanOptionsValue options =
        wlanOptionsFromSelections(in.mode, in.channelSelection + 1, in.encryption, in.keyInUse,
                                  in.authentication, in.wpaAuthentication, in.wpaEncryption);
    if (optionsOut) *optionsOut = options;
    const bool wpa = options.wpaMode != 0;

    for (const StepText& s : kSteps) {
        std::vector<uint8_t> value;
        switch (s.step) {
            case WriteStep::IpAddress: value.assign(in.ip.begin(), in.ip.end()); break;
            case WriteStep::SubnetMask: value.assign(in.netmask.begin(), in.netmask.end()); break;
            case WriteStep::Gateway: value.assign(in.gateway.begin(), in.gateway.end()); break;
            case WriteStep::Dns: value.assign(in.dns.begin(), in.dns.end()); break;
            case WriteStep::Ssid: value = padded(in.ssid, 0, 32); break;
            case WriteStep::WlanOptions: {
                auto b = encodeWlanOptions(options);
                value.assign(b.begin(), b.end());
                break;
            }
            case WriteStep::WepKeys40: value = wepKeyRecordValue(in, lastRead.wep40, 5); break;
            case WriteStep::WepKeys104: value = wepKeyRecordValue(in, lastRead.wep104, 13); break;
            // Both halves of the key are written, the second cleared when the key ends in the
            // first: the module reads its key up to the first zero byte across the two, so an
            // old second half would lengthen a key of 32 characters.
            case WriteStep::WpaKey:
                if (!wpa) continue;
                value = padded(in.wpaKey, 0, 32);
                break;
            case WriteStep::WpaKeyExtended:
                if (!wpa) continue;
                value = padded(in.wpaKey, 32, 32);
                break;
            case WriteStep::TcpIpPort: {
                value.assign(lastRead.tcpIpPortGroup.begin(), lastRead.tcpIpPortGroup.end());
                const auto port = static_cast<uint16_t>(in.tcpPort);
                value[8] = static_cast<uint8_t>(port & 0xFF);
                value[9] = static_cast<uint8_t>(port >> 8);
                break;
            }
            case WriteStep::WpaPsk: {
                if (lastRead.encryptionCapability != 2 || !wpa) continue;
                std::string_view key = std::string_view(in.wpaKey).substr(0, 64);
                std::string_view ssid = std::string_view(in.ssid).substr(0, 32);
                WpaPsk psk = deriveWpaPsk(key, ssid);
                value.assign(psk.begin(), psk.end());
                break;
            }
            case WriteStep::TcpActiveOptions:
                if (lastRead.encryptionCapability != 2) continue;
                value = {static_cast<uint8_t>(in.dhcp ? 0x2A : 0x02), 0x00, 0x02, 0x00};
                break;
            case WriteStep::Store: continue;
        }
        // Nothing is stored before the store: an interrupted write ends here, and leaving
        // command mode restores what the module holds.
        if (interruptRequested()) return SequenceResult::interruption(static_cast<int>(s.step));
        std::vector<uint8_t> reply = conn.writeParameter(s.parameter, value);
        if (interruptRequested()) return SequenceResult::interruption(static_cast<int>(s.step));
        if (reply.empty())
            return SequenceResult::failure(static_cast<int>(s.step), s.noReply, kCaptionUpperError);
        if (!parseParameterReply(reply, false).accepted)
            return SequenceResult::failure(static_cast<int>(s.step), s.rejected,
                                           kCaptionUpperError);
        if (sink) sink(s.step, s.progress);
    }

    // The store's own reply is read with the limits of a parameter write and judged by "701".
    if (interruptRequested())
        return SequenceResult::interruption(static_cast<int>(WriteStep::Store));
    // The store commits: once sent, its answer is awaited whole so the outcome is known.
    InterruptShield shield;
    std::vector<uint8_t> stored = conn.storeParameters();
    if (!parseParameterReply(stored, false).accepted)
        return SequenceResult::failure(static_cast<int>(WriteStep::Store), kFlashWriteErrorText,
                                       kCaptionUpperError);
    if (sink) sink(WriteStep::Store, 100);
    return SequenceResult::success(kSaveCompletedText, kSaveCompletedTitle);
}

}  // namespace setrion::wifi
