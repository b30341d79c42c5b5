#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wifi/module/parameters.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;

// Largest data-frame payload (one unsigned byte of length).
inline constexpr std::size_t kMaxDataPayload = 255;

// ESC '[' 'D' n payload. Nothing when the payload does not fit the length byte.
std::optional<std::vector<uint8_t>> dataFrame(std::string_view payload);
// ESC '[' 'M' 0x01 (enter the module's command mode) or 0x00 (leave it).
std::vector<uint8_t> modeFrame(bool enter);

// Module command lines (payloads of data frames).
inline constexpr std::string_view kModuleInfoCommand = "c 0\r";
inline constexpr std::string_view kUnlockCommand = "u d1e7 6c8e\r";
inline constexpr std::string_view kStoreCommand = "f b7d3\r";
// Unlock, "e 4", load factory defaults, store: one 30-byte payload.
inline constexpr std::string_view kFactoryResetPayload = "u d1e7 6c8e\re 4\rl e26d\rf b7d3\r";

// "r GG II\r" for a parameter with codes; ModuleInfo reads with "c 0\r".
std::string readCommand(Parameter p);
// "w GG II " followed directly by the record text of the item.
std::string writeCommand(Parameter p, std::string_view recordText);

// Settings blocks: ESC '[' then STX, "11111" (read) or "00000" (write), CR LF, the 1013
// record bytes (blanks for a read), CR LF ETX: 1026 bytes sent.
inline constexpr std::size_t kSettingsBlockSize = 1024;
inline constexpr std::size_t kSettingsBlockRequestSize = kSettingsBlockSize + 2;
std::vector<uint8_t> settingsBlockReadRequest();
std::vector<uint8_t> settingsBlockWriteRequest(const WifiSettings& record);

// A settings-block reply: STX at byte 0 and CR LF at bytes 6-7 make it well-formed; its
// record is bytes 8-1020 when they all arrived.
bool settingsBlockReplyWellFormed(std::span<const uint8_t> reply);
std::optional<WifiSettings> settingsBlockReplyRecord(std::span<const uint8_t> reply);

}  // namespace setrion::wifi
