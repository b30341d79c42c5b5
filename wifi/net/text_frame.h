#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

inline constexpr size_t kTextFrameSize = 1024;
inline constexpr std::string_view kTextSearchCommand = "11111";
inline constexpr std::string_view kTextSaveCommand = "00000";

// 0x02, "11111", zeros, 0x0D 0x0A 0x03 at 1021..1023.
std::vector<uint8_t> buildTextSearchFrame();
// 0x02, "00000", 0x0D 0x0A, the 1013-byte record at 8..1020, 0x0D 0x0A 0x03.
std::vector<uint8_t> buildTextSaveFrame(const wifi::WifiSettings& record);
// A printer's answer: 0x02 at 0 and 0x0D 0x0A 0x03 at 1021..1023 (1024 bytes or more).
bool isFramedAnswer(std::span<const uint8_t> datagram);
// Bytes 1..5 are `command` (one of our own frames heard back).
bool carriesCommand(std::span<const uint8_t> datagram, std::string_view command);
// The record of a framed answer: bytes 1..1013.
std::optional<wifi::WifiSettings> answerRecord(std::span<const uint8_t> datagram);
// The record's MAC text in a framed answer: bytes 3..14.
std::string answerMacText(std::span<const uint8_t> datagram);

}  // namespace setrion::net
