#include "printer/device_settings.h"

#include <cstring>
#include <iterator>

namespace setrion {

std::array<uint8_t, 5> powerSaveCommand(PowerSaveMode mode, int minutes) {
    return {0x1D, 'S', 'P', static_cast<uint8_t>(static_cast<int>(mode) & 0xFF),
            static_cast<uint8_t>(minutes & 0xFF)};
}

int savePowerSave(CommandExchange& exchange, EmulationCode& emulation, PowerSaveMode mode,
                  int minutes) {
    const int probe = exchange.probeEmulation(emulation);
    if (probe != kProbeOk) return probe;
    exchange.send(powerSaveCommand(mode, minutes));
    return kProbeOk;
}

std::array<uint8_t, 4> codePageCommand(int index) {
    return {0x1C, 'E', 'P', static_cast<uint8_t>(index & 0xFF)};
}

bool saveCodePage(CommandExchange& exchange, int index) {
    if (index < 0 || static_cast<size_t>(index) >= kCodePageCount) return false;
    exchange.send(codePageCommand(index));
    exchange.clock().sleepMs(100);
    return true;
}

std::vector<uint8_t> codePageSample() {
    std::vector<uint8_t> sample;
    for (int row = 0; row < 8; ++row) {
        static const uint8_t kRowHead[] = {0x0D, 0x0A, 0x0D, 0x0A, 0x20};
        sample.insert(sample.end(), std::begin(kRowHead), std::end(kRowHead));
        for (int col = 0; col < 16; ++col) sample.push_back(static_cast<uint8_t>(0x80 + 16 * row + col));
        sample.push_back(0x20);
    }
    sample.resize(kCodePageSampleLength);
    return sample;
}

void printCodePage(CommandExchange& exchange) { exchange.send(codePageSample()); }

std::array<uint8_t, 11> densityCommand(int index) {
    std::array<uint8_t, 11> out{};
    std::memcpy(out.data(), "##DENSITY", 9);
    out[9] = static_cast<uint8_t>((index + 1) & 0xFF);
    out[10] = 0x00;
    return out;
}

bool saveDensity(CommandExchange& exchange, int index) {
    if (index < 0 || static_cast<size_t>(index) >= kDensityCount) return false;
    exchange.send(densityCommand(index));
    return true;
}

std::string mediaSenseLine(bool gap) {
    return printerSetvar("media.sense_mode", gap ? "gap" : "bar").value_or("");
}

int setMediaSensing(CommandExchange& exchange, EmulationCode& emulation, bool gap) {
    const int probe = exchange.probeEmulation(emulation);
    if (probe != kProbeOk) return probe;
    if (emulation == EmulationCode::Cpcl) exchange.sendLine(mediaSenseLine(gap));
    return kProbeOk;
}

}  // namespace setrion
