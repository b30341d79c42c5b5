#include "fonts/font_job_reader.h"

#include <algorithm>
#include <charconv>

#include "common/hex.h"

namespace setrion::fonts {
namespace {

// Reads the job line by line; every line but the closing brace ends in CR LF.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_rest(text) {}
    std::optional<std::string_view> line() {
        size_t end = m_rest.find("\r\n");
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view l = m_rest.substr(0, end);
        m_rest.remove_prefix(end + 2);
        return l;
    }
    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

bool takePrefix(std::string_view& s, std::string_view prefix) {
    if (s.substr(0, prefix.size()) != prefix) return false;
    s.remove_prefix(prefix.size());
    return true;
}

template <typename T>
bool parseNumber(std::string_view s, T& value, int base) {
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return ec == std::errc() && p == s.data() + s.size();
}

bool allUpperHex(std::string_view s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

std::optional<ReceivedFont> fail(std::string* error, const char* why) {
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<ReceivedFont> readFontJob(std::string_view job, std::string* error) {
    Cursor cur(job);
    ReceivedFont font;

    // {W,<id>,A,<R|F>,<blocks>|
    auto l1 = cur.line();
    if (!l1 || !takePrefix(*l1, "{W,") || l1->empty() || l1->back() != '|')
        return fail(error, "bad first line");
    std::string_view f = l1->substr(0, l1->size() - 1);
    size_t comma = f.find(',');
    if (comma == std::string_view::npos || !parseNumber(f.substr(0, comma), font.fontId, 10))
        return fail(error, "bad font id");
    f.remove_prefix(comma + 1);
    if (takePrefix(f, "A,R,"))
        font.memory = TargetMemory::Ram;
    else if (takePrefix(f, "A,F,"))
        font.memory = TargetMemory::Flash;
    else
        return fail(error, "bad target memory");
    size_t blocks = 0;
    if (!parseNumber(f, blocks, 10)) return fail(error, "bad block count");
    if (!isValidFontId(font.fontId)) return fail(error, "font id out of range");

    // H,"0420<id swapped><name 34><010000><size reversed>40000000"|
    auto l2 = cur.line();
    if (!l2 || !takePrefix(*l2, "H,\"0420") || l2->size() != 62 || l2->substr(60) != "\"|" ||
        !allUpperHex(l2->substr(0, 60)))
        return fail(error, "bad header line");
    unsigned swappedId = 0;
    uint32_t reversedSize = 0;
    parseNumber(l2->substr(0, 4), swappedId, 16);
    std::string_view nameHex = l2->substr(4, 34);
    parseNumber(l2->substr(44, 8), reversedSize, 16);
    if (l2->substr(38, 6) != "010000" || l2->substr(52, 8) != "40000000")
        return fail(error, "bad header constants");
    if (((swappedId & 0xFFu) << 8 | swappedId >> 8) != static_cast<unsigned>(font.fontId))
        return fail(error, "header font id differs");
    if (nameHex.substr(32) != "00") return fail(error, "name field not terminated");
    for (uint8_t b : decodeHexSkipping(nameHex)) {
        if (b == 0) break;
        font.name += static_cast<char>(b);
    }
    uint32_t size = (reversedSize & 0xFFu) << 24 | (reversedSize & 0xFF00u) << 8 |
                    ((reversedSize >> 8) & 0xFF00u) | reversedSize >> 24;

    auto l3 = cur.line();
    if (!l3 || *l3 != "R,\"zzzzzzzzzv\"|") return fail(error, "bad third line");

    font.data.reserve(std::min<size_t>(size, job.size() / 2));
    bool shortLineSeen = false;
    while (cur.rest() != "}") {
        auto l = cur.line();
        if (!l) return fail(error, "bad end of job");
        if (!takePrefix(*l, "H,\"") || l->size() < 2 || l->substr(l->size() - 2) != "\"|")
            return fail(error, "bad data line");
        std::string_view digits = l->substr(0, l->size() - 2);
        if (shortLineSeen) return fail(error, "data line after a short line");
        if (digits.empty() || digits.size() % 2 != 0 || digits.size() > 2 * kBytesPerDataLine ||
            !allUpperHex(digits))
            return fail(error, "bad data digits");
        if (digits.size() < 2 * kBytesPerDataLine) shortLineSeen = true;
        if (font.data.size() + digits.size() / 2 > size)
            return fail(error, "more data than the header size");
        for (size_t i = 0; i < digits.size(); i += 2)
            font.data.push_back(static_cast<uint8_t>(hexDigitValue(digits[i]) << 4 |
                                                     hexDigitValue(digits[i + 1])));
    }
    if (font.data.size() != size) return fail(error, "data size differs from the header");
    if (blocks != (font.data.size() + 15) / 16 + 8) return fail(error, "block count differs");
    return font;
}

}  // namespace setrion::fonts
