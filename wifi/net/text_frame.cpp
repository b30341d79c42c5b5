#include "wifi/net/text_frame.h"

#include <algorithm>

namespace setrion::net {
namespace {

std::vector<uint8_t> frameWith(std::string_view command) {
    std::vector<uint8_t> f(kTextFrameSize, 0);
    f[0] = 0x02;
    std::copy(command.begin(), command.end(), f.begin() + 1);
    f[1021] = 0x0D;
    f[1022] = 0x0A;
    f[1023] = 0x03;
    return f;
}

}  // namespace

std::vector<uint8_t> buildTextSearchFrame() { return frameWith(kTextSearchCommand); }

std::vector<uint8_t> buildTextSaveFrame(const wifi::WifiSettings& record) {
    auto f = frameWith(kTextSaveCommand);
    f[6] = 0x0D;
    f[7] = 0x0A;
    std::copy(record.bytes().begin(), record.bytes().end(), f.begin() + 8);
    return f;
}

bool isFramedAnswer(std::span<const uint8_t> d) {
    return d.size() >= kTextFrameSize && d[0] == 0x02 && d[1021] == 0x0D && d[1022] == 0x0A &&
           d[1023] == 0x03;
}

bool carriesCommand(std::span<const uint8_t> d, std::string_view command) {
    return d.size() >= 1 + command.size() &&
           std::equal(command.begin(), command.end(), d.begin() + 1);
}

std::optional<wifi::WifiSettings> answerRecord(std::span<const uint8_t> d) {
    if (d.size() < 1 + wifi::kWifiSettingsSize) return std::nullopt;
    return wifi::WifiSettings::fromBytes(d.subspan(1, wifi::kWifiSettingsSize));
}

std::string answerMacText(std::span<const uint8_t> d) {
    if (d.size() < 15) return {};
    return std::string(d.begin() + 3, d.begin() + 15);
}

}  // namespace setrion::net
