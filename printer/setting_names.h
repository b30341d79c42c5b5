#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace setrion {

// The printer's character code pages in list order; the index is what the printer is sent.
inline constexpr size_t kCodePageCount = 25;
const std::array<const char*, kCodePageCount>& codePageNames();

// Print densities in list order ("DENSITY [-1]" .. "DENSITY [+3]").
inline constexpr size_t kDensityCount = 5;
const std::array<const char*, kDensityCount>& densityNames();
inline constexpr int kDefaultDensityIndex = 2;  // "DENSITY [+1]"

// Power-save modes in list order: "None Power Save", "Power Off Mode", "Power Save Mode".
enum class PowerSaveMode : int { None = 0, PowerOff = 1, PowerSave = 2 };
inline constexpr size_t kPowerSaveModeCount = 3;
const std::array<const char*, kPowerSaveModeCount>& powerSaveModeNames();

// Index of `name` in a table, nullopt when absent (exact, case-sensitive).
std::optional<int> codePageIndex(std::string_view name);
std::optional<int> densityIndex(std::string_view name);

// The shown emulation text for a Get Emulation answer byte: the emulation's name, or
// "Unkonwn Emulation" (so spelled) for a byte outside the probe table.
std::string emulationTextForAnswer(unsigned char lastByte);
inline constexpr const char* kUnknownEmulationText = "Unkonwn Emulation";

// Power-save minutes from the minutes text: its leading decimal digits, 0 when it does not
// start with a digit ("?", "", "x5").
int parsePowerSaveMinutes(std::string_view text);

// The confirmations the information window shows after a finished setting.
std::string powerSaveConfirmation(PowerSaveMode mode, int minutes);
std::string codePageConfirmation(int codePageIndex);
std::string densityConfirmation(int densityIndex);

}  // namespace setrion
