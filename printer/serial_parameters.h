#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "printer/command_exchange.h"

namespace setrion {

// Writing the printer's own serial settings and reading or switching its emulation.
// The line settings are the dialog's (list positions, see SerialSettings), also when the
// printer is reached over USB. Every operation returns kProbeOk or a probe failure code
// (kProbeNoResponse, kProbeUnknownAnswer) whose text is probeFailureMessage().

// The 9-byte ESC/POS record GS "S" "C" 0x01, baud digit, data bits, parity, stop bits, flow
// (ASCII digits). A value outside the lists leaves 0x00 in its byte.
std::array<uint8_t, 9> escPosSerialRecord(const SerialSettings& settings);

// The four CPCL lines in send order: comm.baud, comm.parity (n/o/e), comm.stop_bits,
// com_apply. Data bits are not sent. A parity outside the list sends an empty value.
std::vector<std::string> cpclSerialLines(const SerialSettings& settings);

// Save Serial Port Configuration: probe; ESC/POS gets the record, CPCL the four lines (each
// also traced), every other emulation nothing. The caller closes the link afterwards,
// whatever the result of the writes.
int saveSerialConfiguration(CommandExchange& exchange, EmulationCode& emulation,
                            const SerialSettings& settings);

// Get Emulation: FS "E" "C", then the first answer. On an answer the text is the emulation's
// name (and `emulation` is updated) or "Unkonwn Emulation" (code unchanged); kProbeOk.
// A printer that stays silent for the collect bound gives kProbeNoResponse, text empty.
struct EmulationQuery {
    int result = kProbeOk;
    std::string text;
};
EmulationQuery getEmulation(CommandExchange& exchange, EmulationCode& emulation);

// FS "E" "S" then 0x00 (CPCL) or 0x01 (ESC/POS).
std::array<uint8_t, 4> emulationSwitchRecord(bool toCpcl);
// Sends the switch record without probing and sets `emulation`; the caller closes the link.
void switchEmulation(CommandExchange& exchange, EmulationCode& emulation, bool toCpcl);

}  // namespace setrion
