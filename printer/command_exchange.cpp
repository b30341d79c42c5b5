#include "printer/command_exchange.h"

#include <algorithm>
#include <array>

#include "common/interrupt.h"
#include "common/trace.h"

namespace setrion {
namespace {

// Reads until one read brings bytes or the time of `kEmptyPollLimit` empty reads
// `kPollIntervalMs` apart has passed on the clock. Returns the count (0 when nothing came).
int pollForAnswer(LinkPair& links, Clock& clock, std::span<uint8_t> buffer) {
    QuietWindow window(clock, kEmptyPollLimit, kPollIntervalMs);
    for (;;) {
        int n = links.read(buffer);
        if (n > 0) return std::min(n, static_cast<int>(buffer.size()));
        if (window.over() || interruptPending()) return 0;
        clock.sleepMs(kPollIntervalMs);
    }
}

bool carriable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u != 0x7F && c != '"';
    });
}

std::optional<std::string> fitted(std::string line, size_t bufferSize) {
    if (line.size() + 1 > bufferSize) return std::nullopt;
    return line;
}

}  // namespace

std::optional<EmulationCode> emulationFromProbeByte(uint8_t b) {
    switch (b) {
        case 0x01: case '1': return EmulationCode::EscPos;
        case 0x00: case '0': return EmulationCode::Cpcl;
        case 0x02: case '2': return EmulationCode::Mpcl;
        case 0x03: case '3': return EmulationCode::Zpl;
        case 0x04: case '4': return EmulationCode::Epl;
        case 0x05: case '5': return EmulationCode::Dpl;
        default: return std::nullopt;
    }
}

const char* emulationDisplayName(EmulationCode code) {
    switch (code) {
        case EmulationCode::EscPos: return "ESC/POS";
        case EmulationCode::Cpcl: return "CPCL";
        case EmulationCode::Mpcl: return "MPCL";
        case EmulationCode::Zpl: return "ZPL";
        case EmulationCode::Epl: return "EPL";
        case EmulationCode::Dpl: return "DPL";
    }
    return "";
}

const char* probeFailureMessage(int probeResult) {
    switch (probeResult) {
        case kProbeNoResponse: return "No Response in printer";
        case kProbeUnknownAnswer: return "Failed to read emulation";
        default: return "";
    }
}

int CommandExchange::send(std::span<const uint8_t> data) {
    if (interruptRequested()) return 0;
    const int n = m_links.write(data);
    if (n == static_cast<int>(data.size()) && n > 0) ++m_blocksSent;
    return n;
}

int CommandExchange::sendLine(std::string_view text, bool traced) {
    if (traced) trace(text);
    return send({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

int CommandExchange::probeEmulation(EmulationCode& emulation) {
    static constexpr uint8_t kProbe[] = {0x1C, 0x45, 0x43};  // FS "E" "C"
    send(kProbe);
    std::array<uint8_t, kAnswerBufferSize> answer{};
    int n = pollForAnswer(m_links, m_clock, answer);
    if (n == 0) return kProbeNoResponse;
    auto code = emulationFromProbeByte(answer[static_cast<size_t>(n) - 1]);
    if (!code) return kProbeUnknownAnswer;
    emulation = *code;
    return kProbeOk;
}

std::optional<std::vector<uint8_t>> CommandExchange::collectAnswer() {
    std::array<uint8_t, kAnswerBufferSize> answer{};
    int n = pollForAnswer(m_links, m_clock, answer);
    if (n == 0) return std::nullopt;
    return std::vector<uint8_t>(answer.begin(), answer.begin() + n);
}

std::optional<std::string> printerSetvar(std::string_view name, std::string_view value,
                                         size_t bufferSize) {
    if (!carriable(name) || !carriable(value)) return std::nullopt;
    return fitted("! U1 setvar \"" + std::string(name) + "\" \"" + std::string(value) + "\"\r\n",
                  bufferSize);
}

std::optional<std::string> printerGetvar(std::string_view name, size_t bufferSize) {
    if (!carriable(name)) return std::nullopt;
    return fitted("! U1 getvar \"" + std::string(name) + "\"\r\n", bufferSize);
}

std::optional<std::string> printerSetvarNoValue(std::string_view name, size_t bufferSize) {
    if (!carriable(name)) return std::nullopt;
    return fitted("! U1 setvar \"" + std::string(name) + "\"\r\n", bufferSize);
}

size_t printerCommandBufferSize(std::string_view name) {
    return name == "bluetooth.bluetooth_pin" || name == "bluetooth.discoverable" ? 128 : 64;
}

std::string stripQuotes(std::string_view answer) {
    size_t begin = answer.find_first_not_of('"');
    if (begin == std::string_view::npos) return {};
    size_t end = answer.find_last_not_of('"');
    return std::string(answer.substr(begin, end - begin + 1));
}

bool answerIsOn(std::string_view answer) { return answer.find("on") != std::string_view::npos; }

}  // namespace setrion
