// setrion-cli run in-process with a fake spooler: the port is refused before anything is
// sent when a print queue uses its device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "link/spooler.h"
#include "tests/link/pty_pair.h"
#include "tests/support/font_bytes.h"

namespace setrion::cli {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

CliRun run(std::vector<std::string> args, Spooler& spooler) {
    args.insert(args.begin(), "setrion-cli");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::ostringstream out, err;
    CliRun r;
    r.exitCode = runCli(static_cast<int>(argv.size()), argv.data(), out, err, &spooler);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::string conflictText(const std::string& uri) {
    return "The port(" + uri + ") is already occupied in windows printer driver(labels).\n\n"
           "So, please change your printer driver port from " + uri +
           " to other port\n\nand execute again.\n";
}

TEST(WifiCliDriverCheck, EveryWifiCommandRefusesAPortAQueueUses) {
    test::PtyPair pty;
    const std::string uri = "serial:" + pty.slavePath() + "?baud=19200";
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"labels", uri, "Generic Label Printer"}});
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("setrion-wifi-cli-" + std::to_string(::getpid()));
    std::ofstream(file) << R"({"ssid":"Office"})";

    const std::vector<std::vector<std::string>> commands{
        {"wifi", "read"}, {"--json", "wifi", "read"}, {"wifi", "write", file.string()},
        {"wifi", "reset"}};
    for (const auto& command : commands) {
        std::vector<std::string> args{"--port", pty.slavePath()};
        args.insert(args.end(), command.begin(), command.end());
        const int callsBefore = spooler.calls();
        CliRun r = run(args, spooler);
        EXPECT_EQ(r.exitCode, kExitDevice) << command.back();
        EXPECT_EQ(r.err, conflictText(uri)) << command.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(spooler.calls(), callsBefore + 1);
    }
    EXPECT_TRUE(pty.readFromHost(1, 100).empty());  // not even the command-mode frame
    std::filesystem::remove(file);
}

TEST(PrinterCliDriverCheck, PrinterAndFontCommandsRefuseAPortAQueueUses) {
    test::PtyPair pty;
    const std::string uri = "serial:" + pty.slavePath();
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"labels", uri, "Generic Label Printer"}});
    const std::filesystem::path font =
        std::filesystem::temp_directory_path() / ("setrion-cli-font-" + std::to_string(::getpid()) + ".ttf");
    std::ofstream(font) << test::trueTypeBytes();
    const std::vector<std::vector<std::string>> commands{
        {"probe"}, {"getvar", "bluetooth.address"}, {"set-density", "+2"},
        {"download-font", font.string(), "--id", "100"}};
    for (const auto& command : commands) {
        std::vector<std::string> args{"--port", pty.slavePath()};
        args.insert(args.end(), command.begin(), command.end());
        CliRun r = run(args, spooler);
        EXPECT_EQ(r.exitCode, kExitDevice) << command.front();
        EXPECT_EQ(r.err, conflictText(uri)) << command.front();
    }
    EXPECT_TRUE(pty.readFromHost(1, 100).empty());
    std::filesystem::remove(font);
}

TEST(WifiCliDriverCheck, FailedEnumerationIsReportedAndTheModuleIsStillAsked) {
    test::PtyPair pty;
    FixedSpooler failing(std::nullopt);
    // Nobody answers on the pty: after the notice the module's silence is the failure.
    CliRun r = run({"--port", pty.slavePath(), "wifi", "read"}, failing);
    EXPECT_EQ(r.exitCode, kExitDevice);
    EXPECT_EQ(r.err, "EnumPrinters() failed\nISP Mode Set Failed\n");
    const std::vector<uint8_t> sent = pty.readFromHost(4, 200);
    ASSERT_GE(sent.size(), 4u);
    // The command-mode frame went out after any wake-up bytes.
    EXPECT_EQ(std::vector<uint8_t>(sent.end() - 4, sent.end()),
              (std::vector<uint8_t>{0x1B, '[', 'M', 0x01}));
}

}  // namespace
}  // namespace setrion::cli
