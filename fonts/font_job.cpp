#include "fonts/font_job.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace setrion::fonts {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Two digits per byte value, so the data lines are built with one table look-up a byte.
constexpr std::array<char, 512> makeHexPairs() {
    std::array<char, 512> t{};
    for (int b = 0; b < 256; ++b) {
        t[static_cast<size_t>(2 * b)] = kDigits[b >> 4];
        t[static_cast<size_t>(2 * b + 1)] = kDigits[b & 0x0F];
    }
    return t;
}
constexpr std::array<char, 512> kHexPairs = makeHexPairs();

constexpr std::string_view kLine3 = "R,\"zzzzzzzzzv\"|\r\n";
constexpr std::string_view kDataOpen = "H,\"";
constexpr std::string_view kDataClose = "\"|\r\n";

// Asks the kernel to back a large buffer with huge pages: faulting in a job of tens of
// megabytes 4 KiB at a time costs several times more than encoding it. Only a hint.
void adviseHugePages([[maybe_unused]] char* data, [[maybe_unused]] size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHuge = 2u * 1024u * 1024u;
    if (size < 2 * kHuge) return;
    auto begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    auto end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

std::string firstLine(size_t fileSize, int fontId, TargetMemory memory) {
    size_t blocks = (fileSize + 15) / 16 + 8;
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "{W,%d,A,%c,%zu|\r\n", fontId,
                          memory == TargetMemory::Flash ? 'F' : 'R', blocks);
    return {buf, static_cast<size_t>(n)};
}

std::string headerLine(size_t fileSize, std::string_view fileName, int fontId) {
    auto id = static_cast<uint16_t>(fontId);
    unsigned swappedId = static_cast<unsigned>(((id & 0xFFu) << 8) | (id >> 8));
    auto size = static_cast<uint32_t>(fileSize);
    unsigned reversedSize = ((size & 0xFFu) << 24) | ((size & 0xFF00u) << 8) |
                            ((size >> 8) & 0xFF00u) | (size >> 24);
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, "H,\"0420%04X%s010000%08X%08X\"|\r\n", swappedId,
                          fontNameField(fileName).c_str(), reversedSize, 0x40000000u);
    return {buf, static_cast<size_t>(n)};
}

}  // namespace

std::string_view fontNameOf(std::string_view fileName) {
    size_t end = fileName.find(".ttf");
    if (end == std::string_view::npos) end = fileName.find(".TTF");
    if (end == std::string_view::npos) end = fileName.find('.');
    return fileName.substr(0, end);
}

std::string fontNameField(std::string_view fileName) {
    std::string_view name = fontNameOf(fileName);
    name = name.substr(0, kNameFieldBytes - 1);
    std::string field(2 * kNameFieldBytes, '0');
    for (size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<uint8_t>(name[i]);
        field[2 * i] = kHexPairs[2u * b];
        field[2 * i + 1] = kHexPairs[2u * b + 1];
    }
    return field;
}

size_t fontJobLength(size_t fileSize, int fontId) {
    size_t lines = (fileSize + kBytesPerDataLine - 1) / kBytesPerDataLine;
    return firstLine(fileSize, fontId, TargetMemory::Ram).size() +
           headerLine(fileSize, {}, fontId).size() + kLine3.size() +
           lines * (kDataOpen.size() + kDataClose.size()) + 2 * fileSize + 1;
}

std::string buildFontJob(std::span<const uint8_t> ttf, std::string_view fileName, int fontId,
                         TargetMemory memory) {
    std::string job;
    job.reserve(fontJobLength(ttf.size(), fontId));
    adviseHugePages(job.data(), job.capacity());
    job += firstLine(ttf.size(), fontId, memory);
    job += headerLine(ttf.size(), fileName, fontId);
    job += kLine3;

    // Each data line is formed in a small buffer and appended to the reserved text, so
    // the text is written once and never cleared first.
    char line[kDataOpen.size() + 2 * kBytesPerDataLine + kDataClose.size()];
    std::copy(kDataOpen.begin(), kDataOpen.end(), line);
    for (size_t pos = 0; pos < ttf.size(); pos += kBytesPerDataLine) {
        size_t n = std::min(kBytesPerDataLine, ttf.size() - pos);
        char* out = line + kDataOpen.size();
        const uint8_t* in = ttf.data() + pos;
        for (size_t i = 0; i < n; ++i) {
            std::memcpy(out, &kHexPairs[2u * in[i]], 2);
            out += 2;
        }
        out = std::copy(kDataClose.begin(), kDataClose.end(), out);
        job.append(line, static_cast<size_t>(out - line));
    }
    job += '}';
    return job;
}

}  // namespace setrion::fonts
