#include "cli/printer_session.h"

#include <ostream>

#include "common/trace.h"
#include "link/port_names.h"
#include "link/port_failure.h"
#include "link/port_opening.h"

namespace setrion::cli {

std::optional<SerialSettings> serialSettingsFrom(const GlobalOptions& o, std::string* error) {
    auto fail = [&](std::string why) -> std::optional<SerialSettings> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    SerialSettings s;
    s.baud = o.baud;
    if (!SerialLink::isAcceptedBaud(o.baud)) return fail("unsupported baud rate " + std::to_string(o.baud));
    if (o.parity == "none") s.parityIndex = 0;
    else if (o.parity == "odd") s.parityIndex = 1;
    else if (o.parity == "even") s.parityIndex = 2;
    else return fail("unknown parity " + o.parity);
    if (o.dataBits == 7) s.dataBitsIndex = 0;
    else if (o.dataBits == 8) s.dataBitsIndex = 1;
    else return fail("data bits must be 7 or 8");
    if (o.stopBits == 1) s.stopBitsIndex = 0;
    else if (o.stopBits == 2) s.stopBitsIndex = 1;
    else return fail("stop bits must be 1 or 2");
    if (o.flow == "dtr-dsr") s.flowIndex = 0;
    else if (o.flow == "xon-xoff") s.flowIndex = 1;
    else if (o.flow == "rts-cts") s.flowIndex = 2;
    else return fail("unknown flow control " + o.flow);
    return s;
}

PrinterSession::PrinterSession(Clock& clock)
    : m_clock(clock), m_serial(clock), m_links{&m_serial, nullptr, LinkKind::Serial},
      m_exchange(m_links, clock) {}

PrinterSession::~PrinterSession() {
    if (m_ctx) m_ctx->blocksSent += m_exchange.blocksSent();
    m_serial.close();
    if (m_usb) m_usb->close();
}

// Opens the session's own links; the USB link is made only when the port is USB.
class PrinterSession::Opener final : public PortOpener {
public:
    explicit Opener(PrinterSession& s) : m_s(s) {}
    PrinterLink& serial() override { return m_s.m_serial; }
    PrinterLink& usb() override { return usbLink(); }
    int openSerial(const std::string& devicePath, const SerialSettings& settings) override {
        return m_s.m_serial.open(devicePath, settings);
    }
    int openUsb() override {
        m_s.m_links.kind = LinkKind::Usb;
        return usbLink().open(m_s.m_port) == UsbLink::kOpenOk ? 0 : -1;
    }

private:
    UsbLink& usbLink() {
        if (!m_s.m_usb) {
            m_s.m_usb = std::make_unique<UsbLink>(usb::systemUsbBackend(), m_s.m_clock);
            m_s.m_links.usb = m_s.m_usb.get();
        }
        return *m_s.m_usb;
    }
    PrinterSession& m_s;
};

std::unique_ptr<PrinterSession> PrinterSession::openChecked(CommandContext& ctx) {
    return open(ctx, systemClock(), PortCheck{&ctx.spooler()});
}

std::unique_ptr<PrinterSession> PrinterSession::openProbed(CommandContext& ctx) {
    auto session = openChecked(ctx);
    if (!session || !session->probe(ctx)) return nullptr;
    return session;
}

std::unique_ptr<PrinterSession> PrinterSession::open(CommandContext& ctx, Clock& clock,
                                                     const PortCheck& check) {
    const GlobalOptions& o = ctx.options;
    PortMap map;
    for (const auto& m : o.maps) {
        std::string why = addPortMapping(m, map);
        if (!why.empty()) {
            ctx.usageError("--map: " + why);
            return nullptr;
        }
    }
    std::string why;
    auto port = resolvePort(o.port, map, &why);
    if (!port) {
        ctx.usageError("--port: " + why);
        return nullptr;
    }
    // The line settings matter to a serial port only.
    SerialSettings settings;
    if (port->kind == ResolvedPort::Kind::Serial) {
        auto fromOptions = serialSettingsFrom(o, &why);
        if (!fromOptions) {
            ctx.usageError(why);
            return nullptr;
        }
        settings = *fromOptions;
    }

    std::unique_ptr<PrinterSession> session(new PrinterSession(clock));
    session->m_port = o.port;
    session->m_ctx = &ctx;
    NullSpooler noSpooler;
    Opener opener(*session);
    const PortOpenResult opened =
        openPrinterPort(o.port, settings, map, check.spooler ? *check.spooler : noSpooler, opener);
    if (opened.enumerationFailed) *ctx.err << kEnumerationFailedText << "\n";
    if (opened.conflict && check.traceConflict) trace(driverConflictTrace(*opened.conflict));
    switch (opened.status) {
        case PortOpenResult::Status::Opened:
            session->m_links.kind = opened.kind;
            return session;
        case PortOpenResult::Status::DriverConflict:
            ctx.deviceFailure(driverConflictMessage(*opened.conflict));
            return nullptr;
        case PortOpenResult::Status::BadPort:
            ctx.usageError("--port: " + opened.error);
            return nullptr;
        case PortOpenResult::Status::SerialOpenFailed:
            // The program's message, then what the link knows of the reason.
            ctx.deviceFailure(std::string(kSerialOpenFailed) + "\n" +
                              serialOpenFailureReason(port->device, session->m_serial.lastOpenError()));
            return nullptr;
        case PortOpenResult::Status::UsbOpenFailed:
            ctx.deviceFailure(kUsbOpenFailed);
            return nullptr;
    }
    return nullptr;
}

std::optional<EmulationCode> PrinterSession::probe(CommandContext& ctx) {
    EmulationCode code = EmulationCode::Cpcl;
    int rc = m_exchange.probeEmulation(code);
    if (rc != kProbeOk) {
        ctx.deviceFailure(probeFailureMessage(rc));
        return std::nullopt;
    }
    return code;
}

bool PrinterSession::send(CommandContext& ctx, std::span<const uint8_t> data) {
    if (m_exchange.send(data) != static_cast<int>(data.size()) || data.empty()) {
        ctx.deviceFailure(kWriteFailed);
        return false;
    }
    return true;
}

bool PrinterSession::sendLine(CommandContext& ctx, std::string_view line, bool traced) {
    if (m_exchange.sendLine(line, traced) != static_cast<int>(line.size()) || line.empty()) {
        ctx.deviceFailure(kWriteFailed);
        return false;
    }
    return true;
}

std::optional<std::vector<uint8_t>> PrinterSession::collect(CommandContext& ctx) {
    auto answer = m_exchange.collectAnswer();
    if (!answer) ctx.deviceFailure(probeFailureMessage(kProbeNoResponse));
    return answer;
}

}  // namespace setrion::cli
