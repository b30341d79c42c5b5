#pragma once
#include <CLI/CLI.hpp>

namespace setrion::sim {

// A simulator mode other than the default printer on a pty (for example the LAN modules):
// it adds a subcommand to the app; when that subcommand is chosen its callback runs the
// mode to its end and stores the exit code.
using ModeInstaller = void (*)(CLI::App& app, int& exitCode);

struct ModeRegistrar {
    ModeRegistrar(const char* name, ModeInstaller installer);
};

}  // namespace setrion::sim
