#include "wifi/module/module_frames.h"

namespace setrion::wifi {

std::optional<std::vector<uint8_t>> dataFrame(std::string_view payload) {
    if (payload.size() > kMaxDataPayload) return std::nullopt;
    std::vector<uint8_t> out{kEsc, '[', 'D', static_cast<uint8_t>(payload.size())};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<uint8_t> modeFrame(bool enter) {
    return {kEsc, '[', 'M', static_cast<uint8_t>(enter ? 0x01 : 0x00)};
}

std::string readCommand(Parameter p) {
    if (p == Parameter::ModuleInfo) return std::string(kModuleInfoCommand);
    const auto& info = parameterInfo(p);
    return "r " + std::string(info.group) + " " + std::string(info.item) + "\r";
}

std::string writeCommand(Parameter p, std::string_view recordText) {
    const auto& info = parameterInfo(p);
    return "w " + std::string(info.group) + " " + std::string(info.item) + " " +
           std::string(recordText);
}

namespace {
std::vector<uint8_t> settingsBlock(std::string_view request, std::span<const uint8_t> record) {
    std::vector<uint8_t> out{kEsc, '[', kStx};
    out.insert(out.end(), request.begin(), request.end());
    out.push_back('\r');
    out.push_back('\n');
    out.insert(out.end(), record.begin(), record.end());
    out.push_back('\r');
    out.push_back('\n');
    out.push_back(kEtx);
    return out;
}
}  // namespace

std::vector<uint8_t> settingsBlockReadRequest() {
    WifiSettings blanks;  // all spaces
    return settingsBlock("11111", blanks.bytes());
}

std::vector<uint8_t> settingsBlockWriteRequest(const WifiSettings& record) {
    return settingsBlock("00000", record.bytes());
}

bool settingsBlockReplyWellFormed(std::span<const uint8_t> reply) {
    return reply.size() >= 8 && reply[0] == kStx && reply[6] == '\r' && reply[7] == '\n';
}

std::optional<WifiSettings> settingsBlockReplyRecord(std::span<const uint8_t> reply) {
    if (!settingsBlockReplyWellFormed(reply) || reply.size() < 8 + kWifiSettingsSize)
        return std::nullopt;
    return WifiSettings::fromBytes(reply.subspan(8, kWifiSettingsSize));
}

}  // namespace setrion::wifi
