// Printer settings: emulation, the printer's serial parameters, Bluetooth, power save, code
// page, density and media sensing. Each command runs the same operation as its button in the
// main dialog and prints the confirmation the dialog shows. Every setter is probe-gated,
// also those the dialog sends unprobed: a printer that never answers must not look set.
#include <memory>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/printer_session.h"
#include "printer/bluetooth_settings.h"
#include "printer/device_settings.h"
#include "printer/serial_parameters.h"
#include "printer/setting_names.h"

namespace setrion::cli {
namespace {

// A probe-gated operation's result; false after printing the failure (exit 2).
bool settled(CommandContext& ctx, int result) {
    if (result == kProbeOk) return true;
    ctx.deviceFailure(probeFailureMessage(result));
    return false;
}

// The dialog sends nothing for some emulations; a script must not take that as done.
void nothingSent(CommandContext& ctx, EmulationCode emulation, const char* what) {
    ctx.deviceFailure(std::string("No ") + what + " command for " + emulationDisplayName(emulation) +
                      " printers: nothing was sent");
}

void say(CommandContext& ctx, const std::string& text, nlohmann::json json) {
    if (ctx.options.json)
        ctx.printJson(json);
    else if (!text.empty())
        ctx.outStream() << text << "\n";
}

void runGetEmulation(CommandContext& ctx) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    const EmulationQuery q = getEmulation(session->exchange(), code);
    if (!settled(ctx, q.result)) return;
    // An answer that names no emulation is a failure, not a reading.
    if (q.text == kUnknownEmulationText) {
        ctx.deviceFailure(q.text);
        return;
    }
    say(ctx, q.text, {{"emulation", q.text}, {"code", static_cast<int>(code)}});
}

void runSetEmulation(CommandContext& ctx, const std::string& target) {
    auto session = PrinterSession::openProbed(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    switchEmulation(session->exchange(), code, target == "cpcl");
    say(ctx, emulationDisplayName(code), {{"emulation", emulationDisplayName(code)}});
}

struct SerialTarget {
    int baud = 0;
    int dataBits = 0;
    std::string parity, stopBits, flow;
};

void runSaveSerialConfig(CommandContext& ctx, const SerialTarget& t) {
    std::string error;
    auto own = serialSettingsFrom(ctx.options, &error);
    if (!own) {
        ctx.usageError(error);
        return;
    }
    SerialSettings s = *own;
    if (t.baud != 0) s.baud = t.baud;
    if (t.dataBits != 0) s.dataBitsIndex = t.dataBits == 7 ? 0 : 1;
    if (!t.parity.empty()) s.parityIndex = t.parity == "none" ? 0 : t.parity == "odd" ? 1 : 2;
    if (!t.stopBits.empty()) s.stopBitsIndex = t.stopBits == "2" ? 1 : 0;
    if (!t.flow.empty()) s.flowIndex = t.flow == "xon-xoff" ? 1 : 0;
    if (s.dataBitsIndex == 0 && s.parityIndex == 0) {
        ctx.usageError("Data Bits=7, Parity=NONE is not supported");
        return;
    }
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    if (!settled(ctx, saveSerialConfiguration(session->exchange(), code, s))) return;
    if (code != EmulationCode::EscPos && code != EmulationCode::Cpcl) {
        nothingSent(ctx, code, "serial parameter");
        return;
    }
    static const char* const kParity[] = {"none", "odd", "even"};
    say(ctx, {},
        {{"emulation", emulationDisplayName(code)}, {"baud", s.baud},
         {"data_bits", s.dataBitsIndex == 0 ? 7 : 8}, {"parity", kParity[s.parityIndex]},
         {"stop_bits", s.stopBitsIndex + 1}, {"flow", s.flowIndex == 1 ? "xon-xoff" : "dtr-dsr"}});
}

void runGetBluetooth(CommandContext& ctx) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    const BluetoothInfo info = getBluetoothInfo(session->exchange(), code);
    if (!settled(ctx, info.result)) return;
    if (!info.queried) {
        nothingSent(ctx, code, "Bluetooth query");
        return;
    }
    say(ctx,
        "address: " + info.address + "\ndiscoverable: " + (info.discoverable ? "on" : "off"),
        {{"address", info.address}, {"discoverable", info.discoverable}});
}

bool bluetoothDialect(EmulationCode code) {
    return code == EmulationCode::EscPos || code == EmulationCode::Mpcl || code == EmulationCode::Cpcl;
}

void runSetPin(CommandContext& ctx, const std::string& pin) {
    if (!isAcceptablePin(pin)) {
        ctx.usageError("The PIN must be 1 to 10 printable characters without double quotes");
        return;
    }
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    if (!settled(ctx, saveBluetoothPin(session->exchange(), code, pin))) return;
    if (!bluetoothDialect(code)) return nothingSent(ctx, code, "Bluetooth PIN");
    say(ctx, {}, {{"pin", pin}});
}

void runSetDiscoverable(CommandContext& ctx, const std::string& onOff) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    if (!settled(ctx, saveDiscoverable(session->exchange(), code, onOff == "on"))) return;
    if (!bluetoothDialect(code)) return nothingSent(ctx, code, "discoverable mode");
    say(ctx, {}, {{"discoverable", onOff == "on"}});
}

void runSetPowerSave(CommandContext& ctx, const std::string& modeName, int minutes) {
    const PowerSaveMode mode = modeName == "off"    ? PowerSaveMode::PowerOff
                               : modeName == "save" ? PowerSaveMode::PowerSave
                                                    : PowerSaveMode::None;
    if (mode != PowerSaveMode::None && minutes < 0) {
        ctx.usageError("set-power-save " + modeName + " needs MINUTES (0 to 99)");
        return;
    }
    if (minutes < 0) minutes = 0;
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    if (!settled(ctx, savePowerSave(session->exchange(), code, mode, minutes))) return;
    const std::string text = powerSaveConfirmation(mode, minutes);
    say(ctx, text, {{"mode", static_cast<int>(mode)}, {"minutes", minutes}, {"message", text}});
}

void runSetCodePage(CommandContext& ctx, const std::string& name) {
    auto index = codePageIndex(name);
    if (!index) {
        ctx.usageError("Unknown code page " + name);
        return;
    }
    auto session = PrinterSession::openProbed(ctx);
    if (!session) return;
    saveCodePage(session->exchange(), *index);
    const std::string text = codePageConfirmation(*index);
    say(ctx, text, {{"code_page", name}, {"index", *index}, {"message", text}});
}

void runPrintCodePage(CommandContext& ctx) {
    auto session = PrinterSession::openProbed(ctx);
    if (!session) return;
    const auto sample = codePageSample();
    if (!session->send(ctx, sample)) return;
    say(ctx, {}, {{"bytes", sample.size()}});
}

void runSetDensity(CommandContext& ctx, const std::string& level) {
    auto index = densityIndex("DENSITY [" + level + "]");
    if (!index) {
        ctx.usageError("Density must be one of -1, 0, +1, +2, +3");
        return;
    }
    auto session = PrinterSession::openProbed(ctx);
    if (!session) return;
    saveDensity(session->exchange(), *index);
    const std::string text = densityConfirmation(*index);
    say(ctx, text, {{"density", densityNames()[static_cast<size_t>(*index)]}, {"message", text}});
}

void runSetMedia(CommandContext& ctx, const std::string& mode) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    EmulationCode code = EmulationCode::EscPos;
    if (!settled(ctx, setMediaSensing(session->exchange(), code, mode == "gap"))) return;
    if (code != EmulationCode::Cpcl) return nothingSent(ctx, code, "media sensing");
    say(ctx, {}, {{"media", mode}});
}

void installSettingsCommands(CLI::App& app, CommandContext& ctx) {
    app.add_subcommand("get-emulation", "Read the printer's emulation (no probe first)")
        ->callback([&ctx] { runGetEmulation(ctx); });

    auto emu = std::make_shared<std::string>();
    auto* setEmu = app.add_subcommand("set-emulation", "Switch the printer to CPCL or ESC/POS");
    setEmu->add_option("EMULATION", *emu, "cpcl or escpos")
        ->required()
        ->check(CLI::IsMember({"cpcl", "escpos"}));
    setEmu->callback([&ctx, emu] { runSetEmulation(ctx, *emu); });

    auto target = std::make_shared<SerialTarget>();
    auto* serial = app.add_subcommand(
        "save-serial-config",
        "Write the printer's own serial settings (each defaults to the link's setting)");
    serial->add_option("--to-baud", target->baud, "1200 to 115200")
        ->check(CLI::IsMember({1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}));
    serial->add_option("--to-data-bits", target->dataBits, "7 or 8")->check(CLI::IsMember({7, 8}));
    serial->add_option("--to-parity", target->parity, "none, odd or even")
        ->check(CLI::IsMember({"none", "odd", "even"}));
    serial->add_option("--to-stop-bits", target->stopBits, "1 or 2")->check(CLI::IsMember({"1", "2"}));
    serial->add_option("--to-flow", target->flow, "dtr-dsr or xon-xoff")
        ->check(CLI::IsMember({"dtr-dsr", "xon-xoff"}));
    serial->callback([&ctx, target] { runSaveSerialConfig(ctx, *target); });

    app.add_subcommand("get-bluetooth", "Read the Bluetooth address and discoverable mode")
        ->callback([&ctx] { runGetBluetooth(ctx); });

    auto pin = std::make_shared<std::string>();
    auto* setPin = app.add_subcommand("set-pin", "Set the Bluetooth PIN (1 to 10 characters)");
    setPin->add_option("PIN", *pin, "The new PIN")->required();
    setPin->callback([&ctx, pin] { runSetPin(ctx, *pin); });

    auto disc = std::make_shared<std::string>();
    auto* setDisc = app.add_subcommand("set-discoverable", "Set the Bluetooth discoverable mode");
    setDisc->add_option("MODE", *disc, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
    setDisc->callback([&ctx, disc] { runSetDiscoverable(ctx, *disc); });

    auto power = std::make_shared<std::pair<std::string, int>>("", -1);
    auto* setPower = app.add_subcommand("set-power-save", "Set the power-save mode");
    setPower->add_option("MODE", power->first, "none, off (power off) or save (power save)")
        ->required()
        ->check(CLI::IsMember({"none", "off", "save"}));
    setPower->add_option("MINUTES", power->second, "Minutes, 0 to 99")->check(CLI::Range(0, 99));
    setPower->callback([&ctx, power] { runSetPowerSave(ctx, power->first, power->second); });

    auto page = std::make_shared<std::string>();
    auto* setPage = app.add_subcommand("set-code-page", "Set the character code page");
    setPage->add_option("NAME", *page, "e.g. CP_437, WINDOWS_1251")->required();
    setPage->callback([&ctx, page] { runSetCodePage(ctx, *page); });

    app.add_subcommand("print-code-page", "Print the code page sample (0x80 to 0xFC)")
        ->callback([&ctx] { runPrintCodePage(ctx); });

    auto level = std::make_shared<std::string>();
    auto* setDensity = app.add_subcommand("set-density", "Set the print density");
    setDensity->add_option("LEVEL", *level, "-1, 0, +1, +2 or +3")->required();
    setDensity->callback([&ctx, level] { runSetDensity(ctx, *level); });

    auto media = std::make_shared<std::string>();
    auto* setMedia = app.add_subcommand("set-media", "Set media sensing (CPCL printers)");
    setMedia->add_option("MODE", *media, "gap or bar")->required()->check(CLI::IsMember({"gap", "bar"}));
    setMedia->callback([&ctx, media] { runSetMedia(ctx, *media); });
}

CommandGroupRegistrar g_settingsGroup("settings", &installSettingsCommands);

}  // namespace
}  // namespace setrion::cli
