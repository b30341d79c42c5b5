// The print spooler through winspool: every local and connected printer with its ports.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "common/trace.h"
#include "common/utf16_win32.h"
#include "link/spooler.h"

namespace setrion {
namespace {

using win32::toUtf8;

std::string text(const wchar_t* s) {
    return s ? toUtf8(s) : std::string();
}

// A printer prints to one or more ports, listed "COM3:,COM4:": one queue entry each.
void addPorts(std::vector<SpoolerQueue>& out, const std::string& printer, const std::string& ports,
              const std::string& driver) {
    size_t start = 0;
    while (start <= ports.size()) {
        size_t end = ports.find(',', start);
        if (end == std::string::npos) end = ports.size();
        std::string port = ports.substr(start, end - start);
        while (!port.empty() && port.front() == ' ') port.erase(port.begin());
        while (!port.empty() && port.back() == ' ') port.pop_back();
        if (!port.empty()) out.push_back({printer, port, driver});
        start = end + 1;
    }
}

// EnumPrintersW at one level into `buffer`; the count of entries, or nullopt with the error.
std::optional<DWORD> enumerate(DWORD level, std::vector<BYTE>& buffer, DWORD& error) {
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    // The list can grow between the two calls: ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (EnumPrintersW(flags, nullptr, level, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed, &count))
            return count;
        error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        buffer.resize(needed);
    }
    return std::nullopt;
}

// The spooler service not running (or not installed) is no spooler, as CUPS without a
// server is.
bool noSpooler(DWORD error) {
    return error == RPC_S_SERVER_UNAVAILABLE || error == RPC_S_UNKNOWN_IF ||
           error == ERROR_SERVICE_NOT_ACTIVE || error == ERROR_INVALID_PRINTER_NAME;
}

class WinspoolSpooler final : public Spooler {
  public:
    std::optional<std::vector<SpoolerQueue>> queues() override {
        std::vector<SpoolerQueue> out;
        std::vector<BYTE> buffer;
        DWORD error = 0;
        if (auto count = enumerate(2, buffer, error)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
            for (DWORD i = 0; i < *count; ++i)
                addPorts(out, text(info[i].pPrinterName), text(info[i].pPortName),
                         text(info[i].pDriverName));
            return out;
        }
        if (noSpooler(error)) return out;
        // Level 2 asks each printer's driver too; level 5 only the spooler's own data.
        trace("EnumPrinters level 2: " + win32::systemErrorText(error));
        buffer.clear();
        if (auto count = enumerate(5, buffer, error)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
            for (DWORD i = 0; i < *count; ++i)
                addPorts(out, text(info[i].pPrinterName), text(info[i].pPortName), {});
            return out;
        }
        if (noSpooler(error)) return out;
        trace("EnumPrinters level 5: " + win32::systemErrorText(error));
        return std::nullopt;
    }
};

}  // namespace

std::unique_ptr<Spooler> makeSystemSpooler() {
    return std::make_unique<WinspoolSpooler>();
}
bool systemSpoolerIsCups() {
    return false;
}

}  // namespace setrion
