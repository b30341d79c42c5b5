#include "wifi/settings/ini_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "common/atomic_file.h"

namespace setrion::wifi {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view body) {
    std::string_view t = trim(body);
    if (t.empty() || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile f;
    if (text.starts_with(kBom)) {
        f.m_bom = kBom;
        text.remove_prefix(kBom.size());
    }
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            f.m_lines.push_back({std::string(text), ""});
            break;
        }
        std::size_t eolLen =
            (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        f.m_lines.push_back(
            {std::string(text.substr(0, end)), std::string(text.substr(end, eolLen))});
        text.remove_prefix(end + eolLen);
    }
    return f;
}

std::optional<IniFile> IniFile::load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return parse(text);
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto name = sectionName(m_lines[i].body);
        if (name && sameName(*name, section)) return i;
    }
    return std::nullopt;
}

std::optional<IniFile::KeyAt> IniFile::findKey(std::string_view section,
                                               std::string_view key) const {
    auto start = findSection(section);
    if (!start) return std::nullopt;
    for (std::size_t i = *start + 1; i < m_lines.size(); ++i) {
        const std::string& body = m_lines[i].body;
        if (sectionName(body)) break;
        std::string_view t = trim(body);
        if (t.empty() || t.front() == ';') continue;
        std::size_t eq = body.find('=');
        if (eq == std::string::npos) continue;
        if (sameName(trim(std::string_view(body).substr(0, eq)), key)) return KeyAt{i, eq + 1};
    }
    return std::nullopt;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    auto start = findSection(section);
    if (!start) return out;
    for (std::size_t i = *start + 1; i < m_lines.size(); ++i) {
        const std::string& body = m_lines[i].body;
        if (sectionName(body)) break;
        std::string_view t = trim(body);
        std::size_t eq = body.find('=');
        if (t.empty() || t.front() == ';' || eq == std::string::npos) continue;
        std::string_view key = trim(std::string_view(body).substr(0, eq));
        bool seen = false;
        for (const auto& k : out) seen = seen || sameName(k, key);
        if (!seen) out.emplace_back(key);
    }
    return out;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    auto at = findKey(section, key);
    if (!at) return std::nullopt;
    std::string_view v = trim(std::string_view(m_lines[at->line].body).substr(at->valueStart));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::size_t bufferSize) const {
    std::string v = value(section, key).value_or("");
    if (bufferSize == 0) return {};
    if (v.size() > bufferSize - 1) v.resize(bufferSize - 1);
    return v;
}

std::string IniFile::newLineEnding() const {
    for (const Line& l : m_lines)
        if (!l.eol.empty()) return l.eol;
    return "\r\n";
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    std::size_t stop = value.find_first_of(std::string_view("\r\n\0", 3));
    if (stop != std::string_view::npos) value = value.substr(0, stop);

    if (auto at = findKey(section, key)) {
        std::string& body = m_lines[at->line].body;
        body.replace(at->valueStart, std::string::npos, value);
        return;
    }
    const std::string eol = newLineEnding();
    std::string line = std::string(key) + "=" + std::string(value);
    auto start = findSection(section);
    if (!start) {
        if (!m_lines.empty() && m_lines.back().eol.empty()) m_lines.back().eol = eol;
        m_lines.push_back({"[" + std::string(section) + "]", eol});
        m_lines.push_back({line, eol});
        return;
    }
    // After the section's last line that is not blank, so blank lines before the next
    // section stay where they are.
    std::size_t last = *start;
    for (std::size_t i = *start + 1; i < m_lines.size() && !sectionName(m_lines[i].body); ++i)
        if (!trim(m_lines[i].body).empty()) last = i;
    if (m_lines[last].eol.empty()) m_lines[last].eol = eol;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1), Line{line, eol});
}

std::string IniFile::text() const {
    std::string out = m_bom;
    for (const Line& l : m_lines) out += l.body + l.eol;
    return out;
}

bool IniFile::saveIfExists(const std::filesystem::path& path, std::string* error) const {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    // The replacement keeps the permissions the user gave the file.
    const auto perms = std::filesystem::status(path, ec).permissions();
    if (!writeFileAtomically(path, text(), error, FileAccess::Private)) return false;
    if (!ec) std::filesystem::permissions(path, perms, ec);
    return true;
}

}  // namespace setrion::wifi
