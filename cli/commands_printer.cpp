// probe, getvar, setvar: the basic printer exchanges.
#include <memory>
#include <ostream>

#include "cli/cli_app.h"
#include "common/device_text.h"
#include "cli/printer_session.h"

namespace setrion::cli {
namespace {

void runProbe(CommandContext& ctx) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    auto emulation = session->probe(ctx);
    if (!emulation) return;
    if (ctx.options.json)
        ctx.printJson({{"emulation", emulationDisplayName(*emulation)},
                       {"code", static_cast<int>(*emulation)}});
    else
        ctx.outStream() << emulationDisplayName(*emulation) << "\n";
}

void runGetvar(CommandContext& ctx, const std::string& name) {
    auto line = printerGetvar(name, printerCommandBufferSize(name));
    if (!line) {
        ctx.usageError("getvar: the name does not fit a printer command line");
        return;
    }
    auto session = PrinterSession::openChecked(ctx);
    if (!session || !session->sendLine(ctx, *line)) return;
    auto answer = session->collect(ctx);
    if (!answer) return;
    std::string value = stripQuotes(std::string(answer->begin(), answer->end()));
    if (ctx.options.json)
        ctx.printJson({{"name", name}, {"value", value}});
    else
        ctx.outStream() << terminalText(value) << "\n";  // the printer's bytes, escaped
}

void runSetvar(CommandContext& ctx, const std::string& name, const std::string& value) {
    auto line = printerSetvar(name, value, printerCommandBufferSize(name));
    if (!line) {
        ctx.usageError(
            "setvar: the name and value do not fit a printer command line (too long, or a "
            "double quote or control character)");
        return;
    }
    auto session = PrinterSession::openProbed(ctx);
    if (!session || !session->sendLine(ctx, *line)) return;
    if (ctx.options.json) ctx.printJson({{"name", name}, {"value", value}, {"sent", true}});
}

void installPrinterCommands(CLI::App& app, CommandContext& ctx) {
    app.add_subcommand("probe", "Ask the printer for its emulation (CPCL, ESC/POS, ...)")
        ->callback([&ctx] { runProbe(ctx); });

    auto getName = std::make_shared<std::string>();
    auto* getvar = app.add_subcommand("getvar", "Read a printer variable (no probe first)");
    getvar->add_option("NAME", *getName, "Variable name, e.g. bluetooth.address")->required();
    getvar->callback([&ctx, getName] { runGetvar(ctx, *getName); });

    auto setArgs = std::make_shared<std::pair<std::string, std::string>>();
    auto* setvar = app.add_subcommand("setvar", "Set a printer variable (after the probe)");
    setvar->add_option("NAME", setArgs->first, "Variable name, e.g. comm.baud")->required();
    setvar->add_option("VALUE", setArgs->second, "The value")->required();
    setvar->callback([&ctx, setArgs] { runSetvar(ctx, setArgs->first, setArgs->second); });
}

CommandGroupRegistrar g_printerGroup("printer", &installPrinterCommands);

}  // namespace
}  // namespace setrion::cli
