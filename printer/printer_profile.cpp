#include "printer/printer_profile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

#include "common/json_object.h"
#include "printer/bluetooth_settings.h"
#include "printer/device_settings.h"
#include "printer/serial_parameters.h"
#include "printer/setting_names.h"

namespace setrion {
namespace {

using Json = nlohmann::ordered_json;  // as profiles are read: keys in file order

constexpr std::array<std::string_view, 6> kEmulationNames = {"escpos", "cpcl", "mpcl",
                                                             "zpl",    "epl",  "dpl"};
constexpr std::array<int, 8> kBauds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::array<std::string_view, 3> kParities = {"none", "odd", "even"};
constexpr std::array<std::string_view, 2> kFlows = {"dtr-dsr", "xon-xoff"};
constexpr std::array<std::string_view, 2> kOnOff = {"on", "off"};
constexpr std::array<std::string_view, 3> kPowerSaveNames = {"none", "off", "save"};
constexpr std::array<std::string_view, 5> kDensityLevels = {"-1", "0", "+1", "+2", "+3"};
constexpr std::array<std::string_view, 2> kMediaModes = {"gap", "bar"};

bool isIntegerKey(std::string_view key) {
    return key == "baud" || key == "data_bits" || key == "stop_bits" || key == "power_save_minutes";
}

template <size_t N>
std::string listOf(const std::array<std::string_view, N>& list) {
    std::string out;
    for (auto s : list) out += (out.empty() ? "\"" : ", \"") + std::string(s) + "\"";
    return out;
}

template <size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

// A key's check: the canonical text, or nullopt when the value is not one the key takes
// (`expected` then says what it takes).
struct KeyRule {
    std::function<std::optional<std::string>(const Json&)> read;
    std::string expected;
};

template <size_t N>
KeyRule choice(const std::array<std::string_view, N>& list) {
    return {[&list](const Json& v) -> std::optional<std::string> {
                if (v.is_string() && contains(list, v.get<std::string>())) return v.get<std::string>();
                return std::nullopt;
            },
            "one of " + listOf(list)};
}

KeyRule integer(std::function<bool(int64_t)> accepted, std::string expected) {
    return {[accepted](const Json& v) -> std::optional<std::string> {
                if (v.is_number_integer() && accepted(v.get<int64_t>()))
                    return std::to_string(v.get<int64_t>());
                return std::nullopt;
            },
            std::move(expected)};
}

KeyRule text(std::function<bool(const std::string&)> accepted, std::string expected) {
    return {[accepted](const Json& v) -> std::optional<std::string> {
                if (v.is_string() && accepted(v.get<std::string>())) return v.get<std::string>();
                return std::nullopt;
            },
            std::move(expected)};
}

const std::map<std::string, KeyRule, std::less<>>& keyRules() {
    static const std::map<std::string, KeyRule, std::less<>> rules = [] {
        std::map<std::string, KeyRule, std::less<>> r;
        r["emulation"] = choice(kEmulationNames);
        r["baud"] = integer(
            [](int64_t b) { return std::find(kBauds.begin(), kBauds.end(), b) != kBauds.end(); },
            "one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200");
        r["data_bits"] = integer([](int64_t b) { return b == 7 || b == 8; }, "7 or 8");
        r["parity"] = choice(kParities);
        r["stop_bits"] = integer([](int64_t b) { return b == 1 || b == 2; }, "1 or 2");
        r["flow"] = choice(kFlows);
        r["bluetooth_address"] = text([](const std::string&) { return true; }, "a text");
        r["bluetooth_pin"] = text([](const std::string& p) { return isAcceptablePin(p); },
                                  "1 to 10 printable characters without a double quote");
        r["discoverable"] = choice(kOnOff);
        r["power_save"] = choice(kPowerSaveNames);
        r["power_save_minutes"] =
            integer([](int64_t m) { return m >= 0 && m <= 99; }, "an integer 0-99");
        r["code_page"] = text([](const std::string& n) { return codePageIndex(n).has_value(); },
                              "a code page name such as \"CP_437\" or \"WINDOWS_1251\"");
        r["density"] = choice(kDensityLevels);
        r["media"] = choice(kMediaModes);
        return r;
    }();
    return rules;
}

PrinterProfileResult refused(std::string key, std::string error) {
    PrinterProfileResult r;
    r.errorKey = std::move(key);
    r.error = std::move(error);
    return r;
}

bool isCpcl(EmulationCode e) { return e == EmulationCode::Cpcl; }
bool takesBluetoothBytes(EmulationCode e) {
    return e == EmulationCode::EscPos || e == EmulationCode::Mpcl;
}

std::optional<std::string> answerText(CommandExchange& exchange) {
    auto answer = exchange.collectAnswer();
    if (!answer) return std::nullopt;
    std::string value = stripQuotes(std::string(answer->begin(), answer->end()));
    if (value.empty() || value == "?") return std::nullopt;  // the printer does not know it
    return value;
}

std::optional<std::string> getvar(CommandExchange& exchange, const std::string& name) {
    auto line = printerGetvar(name, printerCommandBufferSize(name));
    if (!line || exchange.sendLine(*line) <= 0) return std::nullopt;
    return answerText(exchange);
}

std::optional<std::string> query(CommandExchange& exchange, const std::vector<uint8_t>& bytes) {
    if (exchange.send(bytes) <= 0) return std::nullopt;
    return answerText(exchange);
}

// A CPCL answer in the profile's words: "n"/"o"/"e" or the whole word.
std::optional<std::string> parityFromAnswer(std::string a) {
    std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return std::tolower(c); });
    if (a == "n" || a == "none") return "none";
    if (a == "o" || a == "odd") return "odd";
    if (a == "e" || a == "even") return "even";
    return std::nullopt;
}

std::optional<std::string> integerAnswer(const std::string& a, std::string_view key) {
    const Json v = Json::parse(a, nullptr, false);
    if (v.is_discarded() || !v.is_number_integer()) return std::nullopt;
    return keyRules().find(key)->second.read(v);
}

}  // namespace

const std::vector<std::string>& printerProfileKeys() {
    static const std::vector<std::string> keys = {
        "emulation",     "baud",         "data_bits",  "parity",
        "stop_bits",     "flow",         "bluetooth_address", "bluetooth_pin",
        "discoverable",  "power_save",   "power_save_minutes", "code_page",
        "density",       "media"};
    return keys;
}

bool isReadOnlyPrinterKey(std::string_view key) { return key == "bluetooth_address"; }

bool isSerialParameterKey(std::string_view key) {
    return key == "baud" || key == "data_bits" || key == "parity" || key == "stop_bits" ||
           key == "flow";
}

PrinterProfileResult parsePrinterProfile(std::string_view text) {
    auto parsed = parseJsonObject(text);
    if (!parsed.object) return refused(parsed.key, parsed.error);
    PrinterProfileResult r;
    PrinterValues values;
    for (const auto& [key, value] : parsed.object->items()) {
        auto rule = keyRules().find(key);
        if (rule == keyRules().end()) return refused(key, key + ": unknown key");
        auto canonical = rule->second.read(value);
        if (!canonical) return refused(key, key + ": expected " + rule->second.expected);
        if (isReadOnlyPrinterKey(key)) {
            r.ignored.push_back(key);
            continue;
        }
        values[key] = *canonical;
    }
    const auto mode = values.find("power_save");
    const bool minutes = values.count("power_save_minutes") > 0;
    if (minutes && mode == values.end())
        return refused("power_save_minutes", "power_save_minutes: needs power_save beside it");
    if (mode != values.end() && mode->second != "none" && !minutes)
        return refused("power_save", "power_save: \"" + mode->second +
                                         "\" needs power_save_minutes beside it");
    r.values = std::move(values);
    return r;
}

nlohmann::json printerValueJson(const std::string& key, const std::string& value) {
    if (isIntegerKey(key)) {
        const auto v = nlohmann::json::parse(value, nullptr, false);
        if (v.is_number_integer()) return v;
    }
    return value;
}

nlohmann::json printerValuesJson(const PrinterValues& values) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& key : printerProfileKeys())
        if (auto it = values.find(key); it != values.end()) out[key] = printerValueJson(key, it->second);
    return out;
}

std::string emulationProfileName(EmulationCode code) {
    return std::string(kEmulationNames[static_cast<size_t>(code)]);
}

std::optional<std::string> printerKeyNotTaken(std::string_view key, EmulationCode emulation) {
    const std::string printers = std::string(emulationDisplayName(emulation)) + " printers";
    if (key == "data_bits" || key == "flow") {
        if (emulation == EmulationCode::EscPos) return std::nullopt;
        return printers + " take no " + std::string(key == "flow" ? "flow control" : "data bits") +
               " setting";
    }
    if (isSerialParameterKey(key)) {
        if (emulation == EmulationCode::EscPos || isCpcl(emulation)) return std::nullopt;
        return printers + " take no serial parameter command";
    }
    if (key == "bluetooth_pin" || key == "discoverable" || key == "bluetooth_address") {
        if (isCpcl(emulation) || takesBluetoothBytes(emulation)) return std::nullopt;
        return printers + " take no Bluetooth command";
    }
    if (key == "media") {
        if (isCpcl(emulation)) return std::nullopt;
        return printers + " take no media sensing command";
    }
    return std::nullopt;  // emulation, power save, code page, density: every printer
}

PrinterReading readPrinterSettings(CommandExchange& exchange) {
    PrinterReading r;
    r.result = exchange.probeEmulation(r.emulation);
    if (r.result != kProbeOk) return r;
    r.values["emulation"] = emulationProfileName(r.emulation);
    r.sources["emulation"] = "probe";

    auto found = [&r](const std::string& key, std::optional<std::string> value, std::string source) {
        if (value) {
            r.values[key] = *value;
            r.sources[key] = std::move(source);
        } else {
            r.unknown[key] = "not reported by the printer";
        }
    };
    if (isCpcl(r.emulation)) {
        auto baud = getvar(exchange, "comm.baud");
        found("baud", baud ? integerAnswer(*baud, "baud") : std::nullopt, "getvar comm.baud");
        auto parity = getvar(exchange, "comm.parity");
        found("parity", parity ? parityFromAnswer(*parity) : std::nullopt, "getvar comm.parity");
        auto stop = getvar(exchange, "comm.stop_bits");
        found("stop_bits", stop ? integerAnswer(*stop, "stop_bits") : std::nullopt,
              "getvar comm.stop_bits");
        found("bluetooth_address", getvar(exchange, "bluetooth.address"), "getvar bluetooth.address");
        auto pin = getvar(exchange, "bluetooth.bluetooth_pin");
        found("bluetooth_pin", pin && isAcceptablePin(*pin) ? pin : std::nullopt,
              "getvar bluetooth.bluetooth_pin");
        auto disc = getvar(exchange, "bluetooth.discoverable");
        found("discoverable", disc ? std::optional<std::string>(answerIsOn(*disc) ? "on" : "off")
                                   : std::nullopt,
              "getvar bluetooth.discoverable");
        auto media = getvar(exchange, "media.sense_mode");
        found("media", media && contains(kMediaModes, *media) ? media : std::nullopt,
              "getvar media.sense_mode");
    } else if (takesBluetoothBytes(r.emulation)) {
        found("bluetooth_address", query(exchange, bluetoothAddressQuery()), "Bluetooth address query");
        auto disc = query(exchange, bluetoothDiscoverableQuery());
        found("discoverable", disc ? std::optional<std::string>(answerIsOn(*disc) ? "on" : "off")
                                   : std::nullopt,
              "Bluetooth discoverable query");
        r.unknown["bluetooth_pin"] = "write-only";
    }
    for (const char* key : {"power_save", "power_save_minutes", "code_page", "density"})
        r.unknown[key] = "write-only";
    if (r.emulation == EmulationCode::EscPos)
        for (const char* key : {"baud", "data_bits", "parity", "stop_bits", "flow"})
            r.unknown[key] = "write-only";
    for (const auto& key : printerProfileKeys())
        if (!r.values.count(key) && !r.unknown.count(key))
            if (auto why = printerKeyNotTaken(key, r.emulation)) r.unknown[key] = *why;
    return r;
}

int applyPrinterSettings(CommandExchange& exchange, const PrinterValues& wanted,
                         const SerialSettings& line, std::vector<std::string>& sent) {
    auto has = [&wanted](const char* key) { return wanted.count(key) > 0; };
    auto value = [&wanted](const char* key) { return wanted.at(key); };
    EmulationCode emulation = EmulationCode::EscPos;
    int result = exchange.probeEmulation(emulation);
    auto step = [&](const char* key, const std::function<int()>& send) {
        if (result != kProbeOk || !has(key)) return;
        result = send();
        if (result == kProbeOk) sent.push_back(key);
    };
    step("bluetooth_pin", [&] { return saveBluetoothPin(exchange, emulation, value("bluetooth_pin")); });
    step("discoverable",
         [&] { return saveDiscoverable(exchange, emulation, value("discoverable") == "on"); });
    step("power_save", [&] {
        const std::string mode = value("power_save");
        const auto m = mode == "off"    ? PowerSaveMode::PowerOff
                       : mode == "save" ? PowerSaveMode::PowerSave
                                        : PowerSaveMode::None;
        const int minutes = has("power_save_minutes") ? std::stoi(value("power_save_minutes")) : 0;
        return savePowerSave(exchange, emulation, m, minutes);
    });
    if (result == kProbeOk && has("power_save_minutes")) sent.push_back("power_save_minutes");
    step("code_page", [&] {
        saveCodePage(exchange, *codePageIndex(value("code_page")));
        return kProbeOk;
    });
    step("density", [&] {
        saveDensity(exchange, *densityIndex("DENSITY [" + value("density") + "]"));
        return kProbeOk;
    });
    step("media", [&] { return setMediaSensing(exchange, emulation, value("media") == "gap"); });
    step("emulation", [&] {
        const std::string target = value("emulation");
        if (target == emulationProfileName(emulation)) return kProbeOk;
        switchEmulation(exchange, emulation, target == "cpcl");
        return exchange.probeEmulation(emulation);  // the serial record follows its dialect
    });
    const bool serial = std::any_of(wanted.begin(), wanted.end(),
                                    [](const auto& kv) { return isSerialParameterKey(kv.first); });
    if (result != kProbeOk || !serial) return result;
    SerialSettings s = line;
    if (has("baud")) s.baud = std::stoi(value("baud"));
    if (has("data_bits")) s.dataBitsIndex = value("data_bits") == "7" ? 0 : 1;
    if (has("parity")) {
        const auto p = std::find(kParities.begin(), kParities.end(), value("parity"));
        s.parityIndex = static_cast<int>(p - kParities.begin());
    }
    if (has("stop_bits")) s.stopBitsIndex = value("stop_bits") == "2" ? 1 : 0;
    if (has("flow")) s.flowIndex = value("flow") == "xon-xoff" ? 1 : 0;
    result = saveSerialConfiguration(exchange, emulation, s);
    if (result == kProbeOk)
        for (const auto& [key, v] : wanted)
            if (isSerialParameterKey(key)) sent.push_back(key);
    return result;
}

}  // namespace setrion
