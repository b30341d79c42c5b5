#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "link/serial_link.h"
#include "link/spooler.h"
#include "link/usb_link.h"
#include "printer/command_exchange.h"

namespace setrion::cli {

// The program's messages for a port that does not open.
inline constexpr const char* kSerialOpenFailed = "Serial Port Open Failed";
inline constexpr const char* kUsbOpenFailed = "USB Port Open Failed";
// A command line the link did not take (the write returned 0).
inline constexpr const char* kWriteFailed = "Write to printer failed";

// The line settings of the global options as the serial link's list positions; nullopt with
// `error` set for a value outside the lists.
std::optional<SerialSettings> serialSettingsFrom(const GlobalOptions& options,
                                                 std::string* error = nullptr);

// What a session checks before it opens the port.
struct PortCheck {
    // Print queues that print to the port's device refuse it (the driver-conflict check);
    // null: no check.
    Spooler* spooler = nullptr;
    // Also trace the conflicting queue with its driver (the Wi-Fi module's opening does).
    bool traceConflict = false;
};

// One open printer port for a CLI command: the link the global options name (--port with
// --map and SETRION_COMn), its LinkPair and a CommandExchange over it. Every printer, font
// and Wi-Fi command opens one, uses it, and lets it close the port when it goes.
//
// The helpers print the program's own message on stderr and set the exit code (1 usage,
// 2 device failure) when they fail, so a command just stops on nullopt / false:
//
//     auto session = PrinterSession::openChecked(ctx);
//     if (!session) return;
//     auto emulation = session->probe(ctx);
//     if (!emulation) return;
class PrinterSession {
public:
    // Opens the port; nullptr after printing "Serial Port Open Failed" (and on the next line
    // the reason: busy and by whom, no such device, not a serial port, permission) / "USB Port Open
    // Failed" (exit 2) or a usage error for a bad port name, mapping or line setting (exit 1).
    // With a spooler in `check`, a print queue on the port's device refuses it with the
    // driver-conflict message (exit 2) before anything is opened; a spooler that fails to
    // answer is reported ("EnumPrinters() failed") and the opening goes on.
    static std::unique_ptr<PrinterSession> open(CommandContext& ctx, Clock& clock = systemClock(),
                                                const PortCheck& check = {});
    // Opens the port after the print-queue check against the context's spooler, as the
    // main dialog's Open Port does; every printer and font command opens this way.
    static std::unique_ptr<PrinterSession> openChecked(CommandContext& ctx);
    // openChecked, then the emulation probe: nullptr after its failure message (exit 2).
    // The setters that send without waiting for an answer run it first, so a printer that
    // never answers is reported rather than taken as set.
    static std::unique_ptr<PrinterSession> openProbed(CommandContext& ctx);

    ~PrinterSession();
    PrinterSession(const PrinterSession&) = delete;
    PrinterSession& operator=(const PrinterSession&) = delete;

    // The emulation probe; on -1 or -2 prints "No Response in printer" / "Failed to read
    // emulation" (exit 2).
    std::optional<EmulationCode> probe(CommandContext& ctx);
    // Sends one command line; false after printing kWriteFailed (exit 2).
    bool sendLine(CommandContext& ctx, std::string_view line, bool traced = false);
    // Sends a byte block; false after printing kWriteFailed (exit 2).
    bool send(CommandContext& ctx, std::span<const uint8_t> data);
    // Collects one answer; nullopt after printing "No Response in printer" (exit 2) when the
    // printer stays silent for the whole bound.
    std::optional<std::vector<uint8_t>> collect(CommandContext& ctx);

    CommandExchange& exchange() { return m_exchange; }
    LinkPair& links() { return m_links; }
    Clock& clock() { return m_clock; }
    bool isUsb() const { return m_links.kind == LinkKind::Usb; }

private:
    class Opener;
    explicit PrinterSession(Clock& clock);

    Clock& m_clock;
    SerialLink m_serial;
    std::unique_ptr<UsbLink> m_usb;  // created only for the USB port
    LinkPair m_links;
    CommandExchange m_exchange;
    std::string m_port;  // the --port text
    CommandContext* m_ctx = nullptr;  // told what was sent when the session closes
};

}  // namespace setrion::cli
