#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "printer/command_exchange.h"
#include "printer/setting_names.h"

namespace setrion {

// Power save, code page (with its printed sample), density and media sensing.

// GS "S" "P", mode index, minutes (low 8 bits).
std::array<uint8_t, 5> powerSaveCommand(PowerSaveMode mode, int minutes);
// Probe, then the power-save command whatever the emulation. The caller closes the link.
int savePowerSave(CommandExchange& exchange, EmulationCode& emulation, PowerSaveMode mode,
                  int minutes);

// FS "E" "P", code page index.
std::array<uint8_t, 4> codePageCommand(int index);
// Sends the code page command (no probe) and waits 100 ms for the printer to take it.
// Returns false, sending nothing, for an index outside the table.
bool saveCodePage(CommandExchange& exchange, int index);

// The code page sample: eight rows of CR LF CR LF, a blank, the sixteen bytes 0x80+16r ..
// 0x8F+16r and a blank, cut to its first 172 bytes (the last row ends at 0xFC).
inline constexpr size_t kCodePageSampleLength = 172;
std::vector<uint8_t> codePageSample();
void printCodePage(CommandExchange& exchange);

// "##DENSITY", density index + 1, 0x00 (11 bytes).
std::array<uint8_t, 11> densityCommand(int index);
// Sends the density command (no probe). False, nothing sent, for an index outside the table.
bool saveDensity(CommandExchange& exchange, int index);

// `! U1 setvar "media.sense_mode" "gap"|"bar"\r\n`.
std::string mediaSenseLine(bool gap);
// Probe, then the media line for CPCL only (every other emulation gets nothing).
int setMediaSensing(CommandExchange& exchange, EmulationCode& emulation, bool gap);

}  // namespace setrion
