// The printer's own settings: serial parameters (ESC/POS record, CPCL comm.* lines applied
// by com_apply), the emulation switch, Bluetooth address / discoverable / PIN, power save,
// code page (and its printed sample), density and media sensing. Both dialects are
// understood whatever the emulation; the state JSON shows the result.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "printer/device_settings.h"
#include "printer/setting_names.h"
#include "sim/sim_printer.h"

namespace setrion::sim {
namespace {

constexpr size_t kMaxLine = 256;  // a command line longer than this is dropped

bool startsWith(std::span<const uint8_t> in, std::string_view prefix, bool& partial) {
    const size_t n = std::min(in.size(), prefix.size());
    for (size_t i = 0; i < n; ++i)
        if (in[i] != static_cast<uint8_t>(prefix[i])) return false;
    partial = n < prefix.size();
    return true;
}

struct LineSettings {
    int baud = 19200;
    int dataBits = 8;
    std::string parity = "none";
    int stopBits = 1;
    std::string flow = "dtr-dsr";
    nlohmann::json json() const {
        return {{"baud", baud}, {"data_bits", dataBits}, {"parity", parity},
                {"stop_bits", stopBits}, {"flow", flow}};
    }
};

class SettingsHandler final : public SimHandler {
public:
    std::string name() const override { return "settings"; }

    void addOptions(CLI::App& app) override {
        app.add_option("--bt-address", m_address, "Bluetooth address the printer reports")
            ->capture_default_str();
        app.add_option("--discoverable", m_discoverableText, "on or off")
            ->check(CLI::IsMember({"on", "off"}))
            ->capture_default_str();
    }

    void start(SimPrinter&) override { m_discoverable = m_discoverableText == "on"; }

    Match match(std::span<const uint8_t> in, SimPrinter& printer) override {
        bool partial = false;
        if (startsWith(in, "\x1D" "SC\x01", partial)) return escPosSerial(in, partial, printer);
        if (startsWith(in, "\x1C" "ES", partial)) return emulationSwitch(in, partial, printer);
        if (startsWith(in, "\x1C" "EP", partial)) return codePage(in, partial, printer);
        if (startsWith(in, "\x1D" "SP", partial)) return powerSave(in, partial, printer);
        if (startsWith(in, "##DENSITY", partial)) return density(in, partial, printer);
        if (startsWith(in, "\x1B" "bt", partial)) return bluetooth(in, partial, printer);
        if (startsWith(in, "! U1 ", partial)) return commandLine(in, partial, printer);
        if (startsWith(in, "\r\n\r\n \x80", partial)) return sample(in, partial, printer);
        return Match::notMine();
    }

    nlohmann::json state() const override {
        nlohmann::json j;
        j["line"] = m_line.json();
        j["pending_line"] = m_pending.json();
        j["emulation_switches"] = m_switches;
        j["bt_address"] = m_address;
        j["discoverable"] = m_discoverable;
        j["pin"] = m_pin;
        j["power_save"] = {{"mode", m_powerMode},
                           {"mode_name", m_powerMode >= 0 && m_powerMode < 3
                                             ? powerSaveModeNames()[static_cast<size_t>(m_powerMode)]
                                             : ""},
                           {"minutes", m_powerMinutes}};
        j["code_page"] = m_codePage;
        j["code_page_name"] = m_codePage >= 0 && m_codePage < static_cast<int>(kCodePageCount)
                                  ? codePageNames()[static_cast<size_t>(m_codePage)]
                                  : "";
        j["code_page_samples"] = m_samples;
        j["density"] = m_density;
        j["density_name"] = m_density >= 0 && m_density < static_cast<int>(kDensityCount)
                                ? densityNames()[static_cast<size_t>(m_density)]
                                : "";
        j["media_sense"] = m_media;
        j["variables"] = m_variables;
        return j;
    }

private:
    Match escPosSerial(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 9) return Match::needMore();
        static const std::map<uint8_t, int> kBaud = {{'5', 1200},  {'6', 2400},  {'7', 4800},
                                                     {'0', 9600},  {'1', 19200}, {'2', 38400},
                                                     {'3', 57600}, {'4', 115200}};
        if (auto it = kBaud.find(in[4]); it != kBaud.end()) m_line.baud = it->second;
        if (in[5] == '0' || in[5] == '1') m_line.dataBits = in[5] == '0' ? 7 : 8;
        if (in[6] >= '0' && in[6] <= '2') m_line.parity = in[6] == '0' ? "none" : in[6] == '1' ? "odd" : "even";
        if (in[7] == '1' || in[7] == '3') m_line.stopBits = in[7] == '1' ? 1 : 2;
        if (in[8] == '1' || in[8] == '2') m_line.flow = in[8] == '1' ? "dtr-dsr" : "xon-xoff";
        printer.stateChanged();
        return Match::consumed(9);
    }

    Match emulationSwitch(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 4) return Match::needMore();
        if (in[3] == 0x00 || in[3] == 0x01) {
            printer.emulation = in[3] == 0x00 ? Emulation::Cpcl : Emulation::EscPos;
            ++m_switches;
            printer.stateChanged();
        }
        return Match::consumed(4);
    }

    Match codePage(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 4) return Match::needMore();
        m_codePage = in[3];
        printer.stateChanged();
        return Match::consumed(4);
    }

    Match powerSave(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 5) return Match::needMore();
        m_powerMode = in[3];
        m_powerMinutes = in[4];
        printer.stateChanged();
        return Match::consumed(5);
    }

    Match density(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 11) return Match::needMore();
        m_density = static_cast<int>(in[9]) - 1;
        printer.stateChanged();
        return Match::consumed(11);
    }

    Match bluetooth(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < 5) return Match::needMore();
        const uint8_t length = in[3];
        if (length == 0x01) {
            switch (in[4]) {
                case 0x0E: printer.reply(m_address); break;
                case 'V': printer.reply(m_discoverable ? "on" : "off"); break;
                case 0x05:
                case 0x06:
                    m_discoverable = in[4] == 0x05;
                    printer.stateChanged();
                    break;
                default: break;
            }
            return Match::consumed(5);
        }
        if (in[4] != 0x90 || length < 2) return Match::consumed(5);
        const size_t total = 4 + static_cast<size_t>(length);  // the length counts the 0x90
        if (in.size() < total) return Match::needMore();
        m_pin.assign(in.begin() + 5, in.begin() + static_cast<long>(total));
        printer.stateChanged();
        return Match::consumed(total);
    }

    Match sample(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial || in.size() < kCodePageSampleLength) return Match::needMore();
        ++m_samples;
        printer.stateChanged();
        return Match::consumed(kCodePageSampleLength);
    }

    // `! U1 setvar "NAME" "VALUE"`, `! U1 getvar "NAME"`, `! U1 setvar "NAME"`, CR LF.
    Match commandLine(std::span<const uint8_t> in, bool partial, SimPrinter& printer) {
        if (partial) return Match::needMore();
        const std::string_view text(reinterpret_cast<const char*>(in.data()), in.size());
        const size_t end = text.find("\r\n");
        if (end == std::string_view::npos)
            return in.size() > kMaxLine ? Match::consumed(in.size()) : Match::needMore();
        std::string_view line = text.substr(5, end - 5);
        const bool set = line.rfind("setvar ", 0) == 0;
        const bool get = line.rfind("getvar ", 0) == 0;
        if (set || get) {
            line.remove_prefix(7);
            std::vector<std::string> quoted;
            for (size_t pos = 0; (pos = line.find('"', pos)) != std::string_view::npos;) {
                const size_t close = line.find('"', pos + 1);
                if (close == std::string_view::npos) break;
                quoted.emplace_back(line.substr(pos + 1, close - pos - 1));
                pos = close + 1;
            }
            if (!quoted.empty()) {
                if (get) getvar(quoted[0], printer);
                else setvar(quoted[0], quoted.size() > 1 ? &quoted[1] : nullptr, printer);
            }
        }
        return Match::consumed(end + 2);
    }

    void getvar(const std::string& name, SimPrinter& printer) {
        std::string value;
        if (name == "bluetooth.address") value = m_address;
        else if (name == "bluetooth.discoverable") value = m_discoverable ? "on" : "off";
        else if (name == "bluetooth.bluetooth_pin") value = m_pin;
        else if (name == "media.sense_mode") value = m_media;
        else if (name == "comm.baud") value = std::to_string(m_line.baud);
        else if (name == "comm.parity") value = m_line.parity.substr(0, 1);
        else if (name == "comm.stop_bits") value = std::to_string(m_line.stopBits);
        else if (auto it = m_variables.find(name); it != m_variables.end()) value = it->second;
        else value = "?";
        printer.reply("\"" + value + "\"");
    }

    void setvar(const std::string& name, const std::string* value, SimPrinter& printer) {
        printer.stateChanged();
        if (!value) {
            if (name == "com_apply") m_line = m_pending;
            return;
        }
        if (name == "comm.baud") m_pending.baud = std::atoi(value->c_str());
        else if (name == "comm.parity")
            m_pending.parity = *value == "o" ? "odd" : *value == "e" ? "even" : "none";
        else if (name == "comm.stop_bits") m_pending.stopBits = std::atoi(value->c_str());
        else if (name == "bluetooth.bluetooth_pin") m_pin = *value;
        else if (name == "bluetooth.discoverable") m_discoverable = *value == "on";
        else if (name == "media.sense_mode") m_media = *value;
        else m_variables[name] = *value;
    }

    LineSettings m_line;
    LineSettings m_pending;
    int m_switches = 0;
    std::string m_address = "00:19:01:2A:3B:4C";
    std::string m_discoverableText = "on";
    bool m_discoverable = true;
    std::string m_pin = "0000";
    int m_powerMode = 0;
    int m_powerMinutes = 0;
    int m_codePage = 0;
    int m_samples = 0;
    int m_density = kDefaultDensityIndex;
    std::string m_media = "gap";
    std::map<std::string, std::string> m_variables;
};

HandlerRegistrar g_settingsHandler(50, [] { return std::unique_ptr<SimHandler>(new SettingsHandler); });

}  // namespace
}  // namespace setrion::sim
