#include "wifi/module/settings_block_exchange.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/interrupt.h"
#include "wifi/module/module_frames.h"
#include "wifi/settings/key_rules.h"

namespace setrion::wifi {

void clearKeyFields(WifiSettings& record) {
    for (const auto& f : field::kKeys) record.fill(f, 0x00);
    record.fill(field::kWpaKey, 0x00);
}

SequenceResult readSettingsBlock(ModuleConnection& conn, WifiSettings& record) {
    CollectedReply r = conn.exchangeSettingsBlock(settingsBlockReadRequest(), kBlockReadLimits);
    if (r.bytes.empty()) return SequenceResult::failure(1, kReadingErrorText, kCaptionApplication);
    auto received = settingsBlockReplyRecord(r.bytes);
    if (!received) return SequenceResult::failure(1, kSyntexErrorText, kCaptionApplication);
    record = *received;
    clearKeyFields(record);
    return SequenceResult::success("Read Completed !!!", "Read Wi-Fi information");
}

SequenceResult writeSettingsBlock(ModuleConnection& conn, WifiSettings& record,
                                  const std::function<void(int)>& progress) {
    // The record's write is its store: not begun once interrupted, awaited whole once sent.
    if (interruptRequested()) return SequenceResult::interruption(1);
    InterruptShield shield;
    PollObserver observer;
    if (progress) observer = [&](int emptyPolls) { progress(emptyPolls / 40); };
    CollectedReply r =
        conn.exchangeSettingsBlock(settingsBlockWriteRequest(record), kBlockWriteLimits, observer);
    if (r.bytes.empty()) return SequenceResult::failure(1, kSavingErrorText, kCaptionApplication);
    auto received = settingsBlockReplyRecord(r.bytes);
    if (!received) return SequenceResult::failure(1, kSavingErrorText, kCaptionApplication);
    record = *received;
    clearKeyFields(record);
    return SequenceResult::success("Save Completed !!!", "Save Wi-Fi information");
}

std::optional<SequenceResult> validateBlockWrite(const BlockWriteInput& in, bool lpdSupport) {
    auto fail = [](const char* text) { return SequenceResult::failure(0, text, kCaptionError); };
    // The field limits taken over with the values.
    if (in.ssid.size() > 32)
        return SequenceResult::failure(0, "Please enter no more than 32 characters.", "");
    if (in.wpaKey.size() > 64)
        return SequenceResult::failure(0, "Please enter no more than 64 characters.", "");
    if (in.ssid.size() >= 32) return fail(kSsidTooLongText);
    if (lpdSupport && in.lpdQueue.size() > 34) return fail(kLpdQueueTooLongText);
    if ((in.encryption == 1 || in.encryption == 2) && in.keyInUse >= 0 && in.keyInUse <= 3) {
        const auto k = static_cast<std::size_t>(in.keyInUse);
        if (auto err = wepKeyError(in.encryption, in.keyFormats[k], in.keyTexts[k]))
            return SequenceResult::failure(0, *err, kCaptionError);
    }
    for (std::size_t k = 0; k < 4; ++k)
        if (in.keysGiven[k] && !in.keyTexts[k].empty() &&
            wepKeyFault(in.keyTexts[k], in.keyFormats[k]))
            return fail(kKeyNotMatchedText);
    if (in.encryption == 3 && in.wpaKey.size() >= 65) return fail(kWpaKeyTooLongText);
    // WPA-PSK and WPA2-PSK (positions 0 and 1) take their key from the WPA Key edit.
    if (in.encryption == 3 && (in.wpaAuthentication == 0 || in.wpaAuthentication == 1))
        if (auto err = wpaKeyError(in.wpaKey))
            return SequenceResult::failure(0, *err, kCaptionError);
    // Longer texts than the record holds would be cut; refuse them instead.
    if (lpdSupport && in.lpdQueue.size() > field::kLpdQueue.capacity()) return fail(kLpdQueueTooLongText);
    for (const std::string* s : {&in.eapId, &in.eapPassword, &in.caCertFile, &in.clientCertFile,
                                 &in.privateKeyFile})
        if (s->size() > 64)
            return SequenceResult::failure(0, "Please enter no more than 64 characters.", "");
    return std::nullopt;
}

void fillRecordFromInput(WifiSettings& rec, const BlockWriteInput& in, bool lpdSupport) {
    // MAC: six parts joined without separators, upper case.
    {
        std::string joined;
        int parts = 1;
        for (char c : in.macText) {
            if (c == ':') ++parts;
            else joined.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
        if (parts == 6 && joined.size() <= field::kMacAddress.length)
            rec.overwriteStart(field::kMacAddress, joined);
    }
    rec.setText(field::kSsid, in.ssid);
    rec.setChoice(field::kDhcp, in.dhcp ? 1 : 0);
    rec.setAddress(field::kIp, in.ip);
    rec.setAddress(field::kSubnet, in.netmask);
    rec.setAddress(field::kGateway, in.gateway);
    rec.setAddress(field::kDns, in.dns);
    rec.setChoice(field::kMode, in.mode);
    if (in.channel >= 0 && in.channel <= 99) rec.setChannel(in.channel);
    rec.setChoice(field::kEncryption, in.encryption);
    rec.setChoice(field::kAuthentication, in.authentication);
    rec.setChoice(field::kUseKey, in.keyInUse + 1);
    // The key in use under WEP, and every key given, each in its own field.
    const bool wep = in.encryption == 1 || in.encryption == 2;
    for (std::size_t k = 0; k < 4; ++k) {
        const bool given = in.keysGiven[k] && !in.keyTexts[k].empty();
        if (!given && !(wep && static_cast<int>(k) == in.keyInUse)) continue;
        std::string hex = in.keyFormats[k] == KeyFormat::Ascii ? asciiKeyToHex(in.keyTexts[k])
                                                               : in.keyTexts[k];
        if (hex.size() > field::kKey1.length) hex.resize(field::kKey1.length);
        rec.overwriteStart(field::kKeys[k], hex);
    }
    rec.setChoice(field::kWpa, in.wpaAuthentication + 1);
    rec.setChoice(field::kWpaEnc, in.wpaEncryption);
    rec.setText(field::kWpaKey, std::string_view(in.wpaKey).substr(0, 64));
    rec.setTcpPort(in.tcpPort);
    if (lpdSupport) {
        rec.setChoice(field::kLpdEnable, in.lpdEnable ? 1 : 0);
        rec.setText(field::kLpdQueue, in.lpdQueue);
        std::string ch = in.channelText.substr(0, 3);
        ch.resize(3, ' ');
        rec.overwriteStart(field::kChannelText, ch);
    }
    rec.setText(field::kEapId, in.eapId);
    rec.setText(field::kCaCertFile, in.caCertFile);
    rec.setText(field::kClientCertFile, in.clientCertFile);
    rec.setText(field::kPrivateKeyFile, in.privateKeyFile);
    rec.setText(field::kEapPassword, in.eapPassword);
}

}  // namespace setrion::wifi
