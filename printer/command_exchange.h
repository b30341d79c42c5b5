#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "link/printer_link.h"

namespace setrion {

// The printer's command language as last probed.
enum class EmulationCode : int { EscPos = 0, Cpcl = 1, Mpcl = 2, Zpl = 3, Epl = 4, Dpl = 5 };

// Probe results: 0 with the emulation updated, -1 no answer, -2 an answer not in the table.
inline constexpr int kProbeOk = 0;
inline constexpr int kProbeNoResponse = -1;
inline constexpr int kProbeUnknownAnswer = -2;

inline constexpr size_t kAnswerBufferSize = 256;
inline constexpr int kEmptyPollLimit = 201;  // empty polls before giving up
inline constexpr uint32_t kPollIntervalMs = 10;

// Maps the last byte of a probe answer to its emulation; nullopt for an unknown byte.
std::optional<EmulationCode> emulationFromProbeByte(uint8_t b);
// "CPCL", "ESC/POS", "MPCL", "ZPL", "EPL", "DPL".
const char* emulationDisplayName(EmulationCode code);

// The message for a failed probe: "No Response in printer" (-1), "Failed to read emulation"
// (-2); caption "Error".
const char* probeFailureMessage(int probeResult);
inline constexpr const char* kProbeFailureCaption = "Error";

// One printer exchange over the link pair chosen by its link kind.
class CommandExchange {
public:
    CommandExchange(LinkPair& links, Clock& clock) : m_links(links), m_clock(clock) {}

    // Passes the block to the current link's write; returns what the write returned. Once an
    // interrupt is requested nothing more is sent (returns 0).
    int send(std::span<const uint8_t> data);
    // Sends the text without a terminating zero; `traced` also writes it as a trace line.
    int sendLine(std::string_view text, bool traced = false);

    // Sends FS "E" "C" and polls for the answer (201 empty polls, 10 ms apart).
    // Returns kProbeOk with `emulation` updated, or a negative result leaving it unchanged.
    int probeEmulation(EmulationCode& emulation);

    // The first non-empty read of up to 256 bytes, polled like the probe; nullopt when the
    // printer stays silent for the whole bound.
    std::optional<std::vector<uint8_t>> collectAnswer();

    LinkPair& links() { return m_links; }
    Clock& clock() { return m_clock; }
    // Blocks the link took whole so far.
    int blocksSent() const { return m_blocksSent; }

private:
    LinkPair& m_links;
    Clock& m_clock;
    int m_blocksSent = 0;
};

// `! U1 setvar "NAME" "VALUE"\r\n`, `! U1 getvar "NAME"\r\n`, `! U1 setvar "NAME"\r\n`.
// Return nullopt when the line would not fit its buffer (64 bytes, or `bufferSize`) with its
// terminating zero: a value too long is refused, never cut. A name or value with a double
// quote or a control character (which would end or split the line) is refused too.
std::optional<std::string> printerSetvar(std::string_view name, std::string_view value,
                                         size_t bufferSize = 64);
std::optional<std::string> printerGetvar(std::string_view name, size_t bufferSize = 64);
std::optional<std::string> printerSetvarNoValue(std::string_view name, size_t bufferSize = 64);
// The line buffer for a variable: 128 bytes for "bluetooth.bluetooth_pin" and
// "bluetooth.discoverable", 64 for the others.
size_t printerCommandBufferSize(std::string_view name);

// Value extraction from a getvar answer: every leading and trailing double quote removed.
std::string stripQuotes(std::string_view answer);
// On/off answers: "on" anywhere in the text means on.
bool answerIsOn(std::string_view answer);

}  // namespace setrion
