#pragma once
// Printer-settings profiles: the printer's own settings as one JSON object, read from a
// printer (`printer read --json`) and applied to many (`printer apply`). Every key is
// optional; a key present is validated completely before a port opens, and the first
// fault names the key and what it expects. Keys and values are those the single setting
// commands take:
//
//   emulation           "cpcl" or "escpos" (switched); "mpcl", "zpl", "epl", "dpl" only as
//                       read (a printer in another emulation cannot be switched to them)
//   baud                integer 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200
//   data_bits           integer 7 or 8 (ESC/POS printers only)
//   parity              "none", "odd" or "even"
//   stop_bits           integer 1 or 2
//   flow                "dtr-dsr" or "xon-xoff" (ESC/POS printers only)
//   bluetooth_address   text: the printer's own, reported by `printer read`; ignored here
//   bluetooth_pin       1 to 10 printable characters without a double quote
//   discoverable        "on" or "off"
//   power_save          "none", "off" (power off) or "save" (power save)
//   power_save_minutes  integer 0-99 (with power_save "off" or "save")
//   code_page           a code page name: "CP_437", "WINDOWS_1251", ...
//   density             "-1", "0", "+1", "+2" or "+3"
//   media               "gap" or "bar" (CPCL printers only)
//
// Whether a printer can report or take a key depends on its emulation: CPCL printers answer
// `! U1 getvar` for the variables the setters name, ESC/POS and MPCL printers answer the
// Bluetooth queries, and the byte commands for density, code page and power save are
// write-only everywhere: those values are never known, never guessed.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "link/serial_link.h"
#include "printer/command_exchange.h"

namespace setrion {

// Key -> value in its canonical text ("38400", "even", "on", "CP_437", "+1").
using PrinterValues = std::map<std::string, std::string>;

// Every key of a profile, in the order a reading lists them.
const std::vector<std::string>& printerProfileKeys();

// Keys a profile may carry that describe one printer and are never sent.
bool isReadOnlyPrinterKey(std::string_view key);

// A profile, or its first fault.
struct PrinterProfileResult {
    std::optional<PrinterValues> values;
    std::string errorKey;  // "" when the file as a whole is refused
    std::string error;     // starts with the key: "baud: expected one of 1200, ..."
    std::vector<std::string> ignored;  // read-only keys the file held
    bool ok() const { return values.has_value(); }
};
PrinterProfileResult parsePrinterProfile(std::string_view text);

// The values as profile JSON (integers where the key is numeric).
nlohmann::json printerValuesJson(const PrinterValues& values);
nlohmann::json printerValueJson(const std::string& key, const std::string& value);

// The lower-case emulation name of a profile ("cpcl", "escpos", ...).
std::string emulationProfileName(EmulationCode code);

// Why a printer of `emulation` cannot take `key`; nullopt when it can.
std::optional<std::string> printerKeyNotTaken(std::string_view key, EmulationCode emulation);

// What a printer reported: a value per known key, and for every other key why it is unknown.
struct PrinterReading {
    int result = kProbeOk;  // a probe failure leaves everything else empty
    EmulationCode emulation = EmulationCode::EscPos;
    PrinterValues values;
    std::map<std::string, std::string> sources;  // key -> "probe", "getvar comm.baud", ...
    std::map<std::string, std::string> unknown;  // key -> "write-only", "not reported", ...
};

// Probes, then asks the printer for every value its emulation can report.
PrinterReading readPrinterSettings(CommandExchange& exchange);

// Sends `wanted` in the order the printer needs: Bluetooth, power save, code page,
// density and media sensing in the emulation probed first; then the emulation switch; the
// serial parameters last, in the (new) emulation's dialect, since the printer takes its new
// line settings at once. `line` holds the link's own settings, which the ESC/POS serial
// record repeats for the values the profile does not set. Returns kProbeOk or the first
// probe failure (nothing after it is sent); `sent` lists the keys sent, in order.
int applyPrinterSettings(CommandExchange& exchange, const PrinterValues& wanted,
                         const SerialSettings& line, std::vector<std::string>& sent);

// True for the serial-parameter keys (sent last; they change the link's settings).
bool isSerialParameterKey(std::string_view key);

}  // namespace setrion
