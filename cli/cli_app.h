#pragma once
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "link/spooler.h"

namespace setrion::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitDevice = 2;
// The printer was changed, but the result file that keeps the record sent was not written.
inline constexpr int kExitResultFile = 3;

// Options every command shares.
struct GlobalOptions {
    std::string port = "COM1";  // COM1..COM9, USB, or a device path
    int baud = 19200;
    int dataBits = 8;             // 7 or 8
    std::string parity = "none";  // none, odd, even
    int stopBits = 1;             // 1 or 2
    std::string flow = "dtr-dsr"; // dtr-dsr, xon-xoff, rts-cts
    std::vector<std::string> maps;  // COMn=PATH
    bool trace = false;
    bool json = false;
};

// What a command sees: the options, where to print, and how to end.
struct CommandContext {
    GlobalOptions options;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    int exitCode = kExitOk;
    // What the command has stored, for the line an interrupt ends it with ("interrupted: "
    // and this); empty: "nothing stored" (or the command blocks a printer session sent).
    std::string stored;
    int blocksSent = 0;  // command blocks the printer sessions sent

    // Prints the program's own message on stderr and sets exit code 2; after an interrupt
    // only sets the code (the interrupted line replaces the message).
    int deviceFailure(const std::string& message);
    // Prints a usage error on stderr and sets exit code 1.
    int usageError(const std::string& message);
    // Prints a JSON value (with --json) on stdout.
    void printJson(const nlohmann::json& value);
    std::ostream& outStream() { return *out; }

    // The print spooler the driver-conflict check asks: the one runCli was given, else the
    // system's, made on first use.
    Spooler& spooler();
    Spooler* givenSpooler = nullptr;

private:
    std::unique_ptr<Spooler> m_systemSpooler;
};

// A command group adds its subcommands to the application; their callbacks set
// ctx.exitCode (directly or through deviceFailure/usageError).
using CommandGroupInstaller = void (*)(CLI::App& app, CommandContext& ctx);

// Static registration: `static CommandGroupRegistrar reg("printer", &installPrinterCommands);`
struct CommandGroupRegistrar {
    CommandGroupRegistrar(const char* name, CommandGroupInstaller installer);
};

// The options every command shares (--port, the line settings, --map, --trace, --json).
void addGlobalOptions(CLI::App& app, GlobalOptions& options);

// The line an interrupted command ends with, after "interrupted: ".
std::string interruptedSummary(const CommandContext& ctx);

// Runs the CLI over argv; returns the exit code. `spooler` null: the system's spooler. After
// an interrupt request (a termination signal) it prints "interrupted: " and what was stored,
// and returns 128 + the signal.
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err,
           Spooler* spooler = nullptr);

}  // namespace setrion::cli
