#include "printer/serial_parameters.h"

#include <string>

#include "printer/setting_names.h"

namespace setrion {

namespace {

uint8_t baudDigit(int baud) {
    switch (baud) {
        case 1200: return '5';
        case 2400: return '6';
        case 4800: return '7';
        case 9600: return '0';
        case 19200: return '1';
        case 38400: return '2';
        case 57600: return '3';
        case 115200: return '4';
        default: return 0x00;
    }
}

template <size_t N>
uint8_t digitFor(int index, const char (&digits)[N]) {
    // `digits` carries its terminating zero; a valid index picks one of the others.
    return (index >= 0 && static_cast<size_t>(index) < N - 1) ? static_cast<uint8_t>(digits[index])
                                                                : 0x00;
}

}  // namespace

std::array<uint8_t, 9> escPosSerialRecord(const SerialSettings& s) {
    return {0x1D, 0x53, 0x43, 0x01, baudDigit(s.baud), digitFor(s.dataBitsIndex, "01"),
            digitFor(s.parityIndex, "012"), digitFor(s.stopBitsIndex, "13"),
            digitFor(s.flowIndex, "12")};
}

std::vector<std::string> cpclSerialLines(const SerialSettings& s) {
    static const char* const kParity[] = {"n", "o", "e"};
    const char* parity = (s.parityIndex >= 0 && s.parityIndex <= 2) ? kParity[s.parityIndex] : "";
    std::vector<std::string> lines;
    lines.push_back(printerSetvar("comm.baud", std::to_string(s.baud)).value_or(""));
    lines.push_back(printerSetvar("comm.parity", parity).value_or(""));
    lines.push_back(printerSetvar("comm.stop_bits", std::to_string(s.stopBitsIndex + 1)).value_or(""));
    lines.push_back(printerSetvarNoValue("com_apply").value_or(""));
    return lines;
}

int saveSerialConfiguration(CommandExchange& exchange, EmulationCode& emulation,
                            const SerialSettings& settings) {
    const int probe = exchange.probeEmulation(emulation);
    if (probe != kProbeOk) return probe;
    switch (emulation) {
        case EmulationCode::EscPos: {
            const auto record = escPosSerialRecord(settings);
            exchange.send(record);
            break;
        }
        case EmulationCode::Cpcl:
            for (const std::string& line : cpclSerialLines(settings)) exchange.sendLine(line, true);
            break;
        default: break;  // MPCL, ZPL, EPL, DPL take no serial settings
    }
    return kProbeOk;
}

EmulationQuery getEmulation(CommandExchange& exchange, EmulationCode& emulation) {
    static const uint8_t kQuery[] = {0x1C, 0x45, 0x43};
    exchange.send(kQuery);
    auto answer = exchange.collectAnswer();
    if (!answer || answer->empty()) return {kProbeNoResponse, {}};
    const uint8_t last = answer->back();
    if (auto code = emulationFromProbeByte(last)) emulation = *code;
    return {kProbeOk, emulationTextForAnswer(last)};
}

std::array<uint8_t, 4> emulationSwitchRecord(bool toCpcl) {
    return {0x1C, 0x45, 0x53, static_cast<uint8_t>(toCpcl ? 0x00 : 0x01)};
}

void switchEmulation(CommandExchange& exchange, EmulationCode& emulation, bool toCpcl) {
    const auto record = emulationSwitchRecord(toCpcl);
    exchange.send(record);
    emulation = toCpcl ? EmulationCode::Cpcl : EmulationCode::EscPos;
}

}  // namespace setrion
