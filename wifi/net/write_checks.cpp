#include "wifi/net/write_checks.h"

#include <string>

#include "wifi/net/env_items.h"
#include "wifi/net/save_result.h"

namespace setrion::net {

bool ipAddressUsable(uint32_t a, uint32_t m) {
    uint32_t classMask = 0;
    if ((a & 0x80000000u) == 0) classMask = 0xFF000000u;
    else if ((a & 0xC0000000u) == 0x80000000u) classMask = 0xFFFF0000u;
    else if ((a & 0xE0000000u) == 0xC0000000u) classMask = 0xFFFFFF00u;
    if (classMask != 0 && ((a & ~classMask) == 0 || (a & ~classMask) == ~classMask)) return false;
    if ((a & ~m) == ~m || (a & ~m) == 0) return false;
    if (a == 0) return false;
    uint32_t top = a >> 24;
    if (top == 255 || top == 127) return false;
    if (a >= 0xE0000000u) return false;
    return true;
}

int checkPorts(const DiscoveredPrinter& r) {
    std::array<uint16_t, 4> slots{};
    for (size_t i = 0; i < 4; ++i) {
        const PortEntry& p = r.ports[i];
        if (p.present && p.mode() != 2 && p.mode() != 4) slots[i] = p.localPort();
    }
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = i + 1; j < 4; ++j)
            if (slots[i] != 0 && slots[i] == slots[j]) return -100;
    for (uint16_t s : slots)
        if (s == 23) return -101;
    if (isIoProduct(r)) {
        if ((r.ioFlags() & (1u << 3)) == 0)
            for (uint16_t s : slots)
                if (s != 0 && s == r.modbusPort()) return -102;
        if (r.optionFlags & kOptionWebPortCheck)
            for (uint16_t s : slots)
                if (s != 0 && s == r.webPort()) return -103;
    }
    for (const PortEntry& p : r.ports) {
        if (!p.present || p.mode() != 3) continue;
        if (p.localPort() == 50005) return -104;
        if (p.localPort() == 50006) return -105;
    }
    return 0;
}

bool macroSyntaxValid(std::span<const uint8_t> macro) {
    std::string s;
    for (uint8_t b : macro)
        if (b != 0 && b != ' ' && b != '\t') s.push_back(static_cast<char>(b));
    auto isDigit = [](char c) { return c >= '0' && c <= '7'; };
    auto isInput = [](char c) { return c == 'I' || c == 'i'; };
    int depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        char prev = i > 0 ? s[i - 1] : '\0';
        bool last = i + 1 == s.size();
        char next = last ? '\0' : s[i + 1];
        if (isDigit(c)) {
            if (!isInput(prev)) return false;
        } else if (isInput(c)) {
            if (!isDigit(next)) return false;
        } else if (c == '(') {
            if (i > 0 && prev != '(' && prev != '*' && prev != '+' && prev != '/') return false;
            ++depth;
        } else if (c == ')') {
            if (!isDigit(prev)) return false;
            --depth;
        } else if (c == '*' || c == '+') {
            if (!(isDigit(prev) || prev == ')') || last) return false;
        } else if (c == '/') {
            if (i >= 2 && prev != '(' && prev != '*' && prev != '+') return false;
            if (last || !(next == '(' || isInput(next))) return false;
        } else {
            return false;
        }
    }
    return depth == 0;
}

bool ioPortsTooClose(const DiscoveredPrinter& r) {
    int range = 0;
    if (r.productCode == 0x10 || r.subProductCode == 0x20 || r.subProductCode == 0x21) range = 8;
    else if (r.productCode == 0x22 || r.subProductCode == 0x22) range = 4;
    if (range == 0) return false;
    int a = r.ioPortA(), b = r.ioPortB();
    return a + range > b && a - range < b;
}

int checkModuleForWrite(const DiscoveredPrinter& r) {
    if (!ipAddressUsable(octetsToHost(r.ipAddress), octetsToHost(r.subnetMask)))
        return kCodeLocalIp;
    if (int c = checkPorts(r); c != 0) return c - 500;
    if (isIoProduct(r) && (r.ioFlags() & (1u << 1)) != 0)
        for (const auto& m : r.macros)
            if (!macroSyntaxValid(m)) return kCodeMacroSyntax;
    if (ioPortsTooClose(r)) return kCodeIoPortDistance;
    return 0;
}

}  // namespace setrion::net
