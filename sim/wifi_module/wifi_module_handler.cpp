// A Wi-Fi module behind the printer's mode frames: ESC '[' 'M' switches its command mode,
// ESC '[' 'D' n carries command lines to a command-mode module, ESC '[' STX carries a
// settings block to a settings-block module. Only these frames are matched.
#include <memory>
#include <optional>
#include <string>

#include "common/crc16.h"
#include "common/hex.h"
#include "sim/sim_printer.h"
#include "sim/wifi_module/sim_module_state.h"
#include "wifi/module/env_item.h"
#include "wifi/module/module_frames.h"

namespace setrion::sim {
namespace {

using wifi::Parameter;

constexpr std::string_view kOk = "701\r\n";
constexpr std::string_view kBadCommand = "702\r\n";
constexpr std::string_view kBadItem = "703\r\n";
constexpr std::string_view kLocked = "704\r\n";

class WifiModuleHandler final : public SimHandler {
  public:
    std::string name() const override { return "wifi_module"; }

    void addOptions(CLI::App& app) override {
        app.add_option("--module", m_kind, "Wi-Fi module kind: command or block")
            ->check(CLI::IsMember({"command", "block"}))
            ->capture_default_str();
        app.add_option("--generation", m_generation, "Command-mode module generation (1-3)")
            ->check(CLI::Range(1, 3))
            ->capture_default_str();
        app.add_flag("--reject-wpapsk", m_rejectWpaPsk,
                     "The command-mode module knows no WPA pre-shared key (WEP only)");
        app.add_flag("--module-silent", m_moduleSilent, "The Wi-Fi module answers nothing");
        app.add_option("--module-ssid-keeps", m_ssidKeeps,
                       "Fault: a settings-block module stores at most this many bytes of a "
                       "written SSID")
            ->check(CLI::Range(0, 32));
    }

    void start(SimPrinter&) override {
        m_values = commandModuleDefaults();
        m_stored = m_values;
        m_record = blockModuleDefaults(kMac);
    }

    Match match(std::span<const uint8_t> in, SimPrinter& printer) override {
        if (in.empty() || in[0] != wifi::kEsc) return Match::notMine();
        if (in.size() < 2) return Match::needMore();
        if (in[1] != '[') return Match::notMine();
        if (in.size() < 3) return Match::needMore();
        switch (in[2]) {
            case 'M': {
                if (in.size() < 4) return Match::needMore();
                onModeFrame(in[3], printer);
                return Match::consumed(4);
            }
            case 'D': {
                if (in.size() < 4) return Match::needMore();
                const std::size_t n = in[3];
                if (in.size() < 4 + n) return Match::needMore();
                onData(std::string(in.begin() + 4, in.begin() + 4 + static_cast<long>(n)), printer);
                return Match::consumed(4 + n);
            }
            case wifi::kStx: {
                if (in.size() < wifi::kSettingsBlockRequestSize) return Match::needMore();
                onBlock(in.subspan(2, wifi::kSettingsBlockSize), printer);
                return Match::consumed(wifi::kSettingsBlockRequestSize);
            }
            default:
                return Match::notMine();
        }
    }

    nlohmann::json state() const override {
        nlohmann::json j{{"kind", m_kind},
                         {"generation", m_generation},
                         {"command_mode", m_commandMode},
                         {"unlocked", m_unlocked},
                         {"reject_wpapsk", m_rejectWpaPsk},
                         {"stores", m_stores},
                         {"factory_resets", m_resets},
                         {"mac", toHex(kMac)}};
        if (m_kind == "command") {
            j["settings"] = commandModuleJson(m_values);
            j["stored"] = commandModuleJson(m_stored);
        } else {
            j["settings"] = blockModuleJson(m_record);
            j["block_reads"] = m_blockReads;
            j["block_writes"] = m_blockWrites;
        }
        return j;
    }

  private:
    static constexpr std::array<uint8_t, 6> kMac{0x02, 0x00, 0x00, 0x5E, 0x7A, 0x01};

    void answer(std::string_view text, SimPrinter& printer) {
        if (!m_moduleSilent) printer.reply(text);
    }

    void onModeFrame(uint8_t mode, SimPrinter& printer) {
        printer.stateChanged();
        if (mode == 0x01) {
            m_commandMode = true;
            m_unlocked = false;
            answer(m_kind == "command" ? "Sollae ezTCP command mode\r\n" : "WIFI MODULE READY\r\n",
                   printer);
        } else {
            // Leaving command mode restarts the module from what is stored.
            m_commandMode = false;
            m_unlocked = false;
            m_values = m_stored;
        }
    }

    void onData(const std::string& payload, SimPrinter& printer) {
        if (!m_commandMode || m_kind != "command") return;
        printer.stateChanged();
        // A write line carries its record text up to the end of the frame; other lines end
        // with CR.
        if (payload.rfind("w ", 0) == 0) {
            answer(onWrite(payload), printer);
            return;
        }
        std::string out;
        std::size_t pos = 0;
        while (pos < payload.size()) {
            std::size_t end = payload.find('\r', pos);
            if (end == std::string::npos) end = payload.size();
            out += onLine(payload.substr(pos, end - pos));
            pos = end + 1;
        }
        answer(out, printer);
    }

    const wifi::ParameterInfo* parameterFromCodes(const std::string& line) const {
        if (line.size() < 7 || line[1] != ' ' || line[4] != ' ') return nullptr;
        auto g = decodeHexSkipping(line.substr(2, 2));
        auto i = decodeHexSkipping(line.substr(5, 2));
        if (g.size() != 1 || i.size() != 1) return nullptr;
        return wifi::parameterByCodes(g[0], i[0]);
    }

    std::string itemReply(uint8_t type, uint8_t index, const std::vector<uint8_t>& value) const {
        wifi::EnvItem item{type, index, value};
        return "701\r\n" + wifi::envItemRecordText(item.build()) + "\r\n";
    }

    std::string onLine(const std::string& line) {
        if (line.empty()) return {};
        if (line == "c 0") {
            std::vector<uint8_t> info(14, 0);
            info[0] = 0x10;
            info[2] = m_generation == 1 ? 1 : m_generation == 2 ? 1 : 2;
            info[3] = m_generation == 1 ? 5 : m_generation == 2 ? 6 : 0;
            std::copy(kMac.begin(), kMac.end(), info.begin() + 8);
            uint16_t crc = crc16(info);
            info.push_back(static_cast<uint8_t>(crc & 0xFF));
            info.push_back(static_cast<uint8_t>(crc >> 8));
            return "701\r\n" + toHex(info, " ") + "\r\n";
        }
        if (line == "u d1e7 6c8e") {
            m_unlocked = true;
            return std::string(kOk);
        }
        if (line == "f b7d3") {
            if (!m_unlocked) return std::string(kLocked);
            m_stored = m_values;
            ++m_stores;
            return std::string(kOk);
        }
        if (line == "e 4") return std::string(kOk);
        if (line == "l e26d") {
            if (!m_unlocked) return std::string(kLocked);
            m_values = commandModuleDefaults();
            ++m_resets;
            return std::string(kOk);
        }
        if (line.rfind("r ", 0) == 0) {
            const wifi::ParameterInfo* p = parameterFromCodes(line);
            if (!p || line.size() != 7) return std::string(kBadCommand);
            if (p->id == Parameter::WpaPsk && m_rejectWpaPsk) return std::string(kBadCommand);
            return itemReply(p->type, p->index, m_values[p->id]);
        }
        return std::string(kBadCommand);
    }

    std::string onWrite(const std::string& payload) {
        const wifi::ParameterInfo* p = parameterFromCodes(payload);
        if (!p || payload.size() < 8) return std::string(kBadCommand);
        if (p->id == Parameter::WpaPsk && m_rejectWpaPsk) return std::string(kBadCommand);
        if (!m_unlocked) return std::string(kLocked);
        auto raw = decodeHexSkipping(payload.substr(8));
        auto parsed = wifi::parseEnvItem(raw);
        if (!parsed || !parsed->crcValid || parsed->item.type != p->type ||
            parsed->item.index != p->index || parsed->length != wifi::envItemLength(p->valueLength))
            return std::string(kBadItem);
        m_values[p->id].assign(parsed->item.value.begin(),
                               parsed->item.value.begin() + static_cast<long>(p->valueLength));
        return std::string(kOk);
    }

    void onBlock(std::span<const uint8_t> block, SimPrinter& printer) {
        if (m_kind != "block") return;
        printer.stateChanged();
        std::string request(block.begin() + 1, block.begin() + 6);
        if (request == "00000") {
            auto rec = wifi::WifiSettings::fromBytes(block.subspan(8, wifi::kWifiSettingsSize));
            if (rec) {
                // The MAC address is the module's own.
                std::string mac = m_record.text(wifi::field::kMacAddress);
                m_record = *rec;
                m_record.overwriteStart(wifi::field::kMacAddress, mac);
                if (std::string ssid = rec->text(wifi::field::kSsid); ssid.size() > m_ssidKeeps)
                    m_record.setText(wifi::field::kSsid, ssid.substr(0, m_ssidKeeps));
            }
            ++m_blockWrites;
        } else {
            ++m_blockReads;
        }
        std::string reply = "\x02" + request + "\r\n" +
                            std::string(m_record.bytes().begin(), m_record.bytes().end()) +
                            "\r\n\x03";
        answer(reply, printer);
    }

    std::string m_kind = "command";
    int m_generation = 3;
    bool m_rejectWpaPsk = false;
    bool m_moduleSilent = false;
    std::size_t m_ssidKeeps = 32;
    bool m_commandMode = false;
    bool m_unlocked = false;
    int m_stores = 0;
    int m_resets = 0;
    int m_blockReads = 0;
    int m_blockWrites = 0;
    ParameterValues m_values, m_stored;
    wifi::WifiSettings m_record;
};

HandlerRegistrar g_wifiModuleHandler(50, [] { return std::unique_ptr<SimHandler>(new WifiModuleHandler); });

}  // namespace
}  // namespace setrion::sim
