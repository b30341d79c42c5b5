#include "printer/setting_names.h"

#include <cstdio>

#include "printer/command_exchange.h"

namespace setrion {

const std::array<const char*, kCodePageCount>& codePageNames() {
    static const std::array<const char*, kCodePageCount> names = {
        "CP_437",      "CP_KATAKANA", "CP_850",       "CP_860",       "CP_863",
        "CP_865",      "CP_1252",     "CP_866",       "CP_852",       "CP_858",
        "CP_1253",     "CP_737",      "CP_857",       "ISO_8859_9",   "CP_864",
        "CP_862MD",    "ISO_8859_2",  "MOZOVIA",      "CP_1250",      "WINDOWS_1254",
        "WINDOWS_1251", "THAI TIS-14", "THAI TIS-17", "THAI TIS-11",  "CP_1257"};
    return names;
}

const std::array<const char*, kDensityCount>& densityNames() {
    static const std::array<const char*, kDensityCount> names = {
        "DENSITY [-1]", "DENSITY [0]", "DENSITY [+1]", "DENSITY [+2]", "DENSITY [+3]"};
    return names;
}

const std::array<const char*, kPowerSaveModeCount>& powerSaveModeNames() {
    static const std::array<const char*, kPowerSaveModeCount> names = {
        "None Power Save", "Power Off Mode", "Power Save Mode"};
    return names;
}

template <size_t N>
static std::optional<int> indexIn(const std::array<const char*, N>& table, std::string_view name) {
    for (size_t i = 0; i < N; ++i)
        if (name == table[i]) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> codePageIndex(std::string_view name) { return indexIn(codePageNames(), name); }
std::optional<int> densityIndex(std::string_view name) { return indexIn(densityNames(), name); }

std::string emulationTextForAnswer(unsigned char lastByte) {
    if (auto code = emulationFromProbeByte(lastByte)) return emulationDisplayName(*code);
    return kUnknownEmulationText;
}

int parsePowerSaveMinutes(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value > 100000) break;  // the text holds at most two characters; stay bounded
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string powerSaveConfirmation(PowerSaveMode mode, int minutes) {
    char buf[128];
    switch (mode) {
        case PowerSaveMode::PowerOff:
            std::snprintf(buf, sizeof buf, "The printer power will be off after %d minute.", minutes);
            return buf;
        case PowerSaveMode::PowerSave:
            std::snprintf(buf, sizeof buf,
                          "The printer goes into power save mode after %d minute.", minutes);
            return buf;
        case PowerSaveMode::None: break;
    }
    return "Printer does not support the power save mode.";
}

std::string codePageConfirmation(int index) {
    const char* name = (index >= 0 && static_cast<size_t>(index) < kCodePageCount)
                           ? codePageNames()[static_cast<size_t>(index)]
                           : "";
    return std::string("Code Page changed to ") + name + ".";
}

std::string densityConfirmation(int index) {
    const char* name = (index >= 0 && static_cast<size_t>(index) < kDensityCount)
                           ? densityNames()[static_cast<size_t>(index)]
                           : "";
    return std::string("Printer Density changed to ") + name + ".";
}

}  // namespace setrion
