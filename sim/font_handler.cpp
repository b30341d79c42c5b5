// Receives font download jobs ("{W," ... "}"), checks them and keeps the fonts by ID and
// memory; the state lists each font with the SHA-256 of its bytes, and the rejected jobs.
#include <openssl/evp.h>

#include <algorithm>
#include <map>
#include <memory>

#include "common/hex.h"
#include "fonts/font_job_reader.h"
#include "sim/sim_printer.h"

namespace setrion::sim {
namespace {

using fonts::TargetMemory;

std::string sha256Hex(std::span<const uint8_t> data) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(data.data(), data.size(), md, &len, EVP_sha256(), nullptr) != 1) return {};
    std::string hex = toHex(std::span<const uint8_t>(md, len));
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) {
        return static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    });
    return hex;
}

class FontHandler final : public SimHandler {
public:
    std::string name() const override { return "fonts"; }

    void addOptions(CLI::App& app) override {
        app.add_option("--max-font-job", m_maxJobBytes,
                       "Longest font job accepted before its closing brace")
            ->capture_default_str();
    }

    Match match(std::span<const uint8_t> in, SimPrinter& printer) override {
        static constexpr std::string_view kStart = "{W,";
        size_t n = std::min(in.size(), kStart.size());
        if (!std::equal(in.begin(), in.begin() + static_cast<long>(n), kStart.begin()))
            return Match::notMine();
        // Look for the closing brace from where the last look ended: the job arrives in
        // many small reads and must not be scanned again from its start each time.
        auto from = in.begin() + static_cast<long>(std::min(m_scanned, in.size()));
        auto brace = std::find(from, in.end(), static_cast<uint8_t>('}'));
        if (brace == in.end()) {
            if (!m_inJob) {
                m_inJob = true;
                printer.stateChanged();
            }
            m_scanned = in.size();
            if (in.size() <= m_maxJobBytes) return Match::needMore();
            reject("no closing brace within " + std::to_string(m_maxJobBytes) + " bytes",
                   printer);
            return Match::consumed(in.size());
        }
        size_t length = static_cast<size_t>(brace - in.begin()) + 1;
        m_scanned = 0;
        m_inJob = false;
        std::string_view job(reinterpret_cast<const char*>(in.data()), length);
        std::string why;
        if (auto font = fonts::readFontJob(job, &why)) {
            Stored s;
            s.name = font->name;
            s.size = font->data.size();
            s.sha256 = sha256Hex(font->data);
            m_fonts[{font->fontId, static_cast<int>(font->memory)}] = std::move(s);
            ++m_accepted;
            printer.stateChanged();
        } else {
            reject(why, printer);
        }
        return Match::consumed(length);
    }

    nlohmann::json state() const override {
        nlohmann::json stored = nlohmann::json::array();
        for (const auto& [key, f] : m_fonts) {
            stored.push_back({{"id", key.first},
                              {"memory", key.second == static_cast<int>(TargetMemory::Flash)
                                             ? "flash"
                                             : "ram"},
                              {"name", f.name},
                              {"size", f.size},
                              {"sha256", f.sha256}});
        }
        // Inside an unfinished job every later byte is taken as part of it: the printer
        // answers nothing until a closing brace comes.
        return {{"in_job", m_inJob},
                {"stored", stored},
                {"accepted", m_accepted},
                {"rejected", m_rejections.size()},
                {"rejections", m_rejections}};
    }

private:
    struct Stored {
        std::string name;
        size_t size = 0;
        std::string sha256;
    };

    void reject(const std::string& why, SimPrinter& printer) {
        m_scanned = 0;
        m_inJob = false;
        m_rejections.push_back(why);
        printer.stateChanged();
    }

    size_t m_maxJobBytes = 600u * 1024u * 1024u;
    size_t m_scanned = 0;
    bool m_inJob = false;
    std::map<std::pair<int, int>, Stored> m_fonts;
    int m_accepted = 0;
    std::vector<std::string> m_rejections;
};

HandlerRegistrar g_fontHandler(40, [] { return std::unique_ptr<SimHandler>(new FontHandler); });

}  // namespace
}  // namespace setrion::sim
