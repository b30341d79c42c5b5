// Answers the emulation probe FS "E" "C" with the printer's emulation byte.
#include <memory>

#include "common/hex.h"
#include "sim/sim_printer.h"

namespace setrion::sim {
namespace {

class ProbeHandler final : public SimHandler {
public:
    std::string name() const override { return "probe"; }

    void addOptions(CLI::App& app) override {
        app.add_option("--emulation", m_emulationName, "cpcl, escpos, mpcl, zpl, epl or dpl")
            ->check(CLI::IsMember({"cpcl", "escpos", "mpcl", "zpl", "epl", "dpl"}))
            ->capture_default_str();
        app.add_option("--probe-answer", m_answerHex, "Answer the probe with these bytes (hex)");
        app.add_flag("--silent", m_silent, "Answer nothing at all");
    }

    void start(SimPrinter& printer) override {
        printer.emulation = *emulationFromName(m_emulationName);
        printer.silent = m_silent;
        if (!m_answerHex.empty()) m_answer = decodeHexSkipping(m_answerHex);
    }

    Match match(std::span<const uint8_t> in, SimPrinter& printer) override {
        static constexpr uint8_t kProbe[] = {0x1C, 0x45, 0x43};
        size_t n = std::min(in.size(), sizeof kProbe);
        if (!std::equal(in.begin(), in.begin() + static_cast<long>(n), kProbe))
            return Match::notMine();
        if (n < sizeof kProbe) return Match::needMore();
        ++m_probes;
        printer.stateChanged();
        if (m_answer) {
            printer.reply(*m_answer);
        } else {
            // ESC/POS answers "1" and CPCL "0"; the others answer their own code.
            int code = static_cast<int>(printer.emulation);
            char c = printer.emulation == Emulation::EscPos ? '1'
                     : printer.emulation == Emulation::Cpcl ? '0'
                                                            : static_cast<char>('0' + code);
            printer.reply(std::string_view(&c, 1));
        }
        return Match::consumed(sizeof kProbe);
    }

    nlohmann::json state() const override { return {{"probes", m_probes}}; }

private:
    std::string m_emulationName = "cpcl";
    std::string m_answerHex;
    bool m_silent = false;
    std::optional<std::vector<uint8_t>> m_answer;
    int m_probes = 0;
};

HandlerRegistrar g_probeHandler(0, [] { return std::unique_ptr<SimHandler>(new ProbeHandler); });

}  // namespace
}  // namespace setrion::sim
