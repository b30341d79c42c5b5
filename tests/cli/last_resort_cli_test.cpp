// An exception thrown by a command never aborts setrion-cli: it is reported, exit 2, and
// what the command held open is closed on the way out.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "cli/cli_app.h"

namespace setrion::cli {
namespace {

bool g_released = false;

struct Held {
    ~Held() { g_released = true; }
};

void installThrowing(CLI::App& app, CommandContext&) {
    app.add_subcommand("test-throw", "")->callback([] {
        Held held;
        throw std::runtime_error("type_error.302: type must be string, but is number");
    });
}

CommandGroupRegistrar g_reg("test-throw", &installThrowing);

TEST(CliLastResort, ThrowingCommandExitsTwoWithItsMessage) {
    char prog[] = "setrion-cli", cmd[] = "test-throw";
    char* argv[] = {prog, cmd};
    std::ostringstream out, err;
    EXPECT_EQ(runCli(2, argv, out, err), kExitDevice);
    EXPECT_EQ(err.str(), "setrion-cli: type_error.302: type must be string, but is number\n");
    EXPECT_TRUE(g_released);
}

TEST(CliLastResort, PeerPortZeroIsAUsageError) {
    for (const char* option : {"--mgmt-port", "--text-port"}) {
        std::string args[] = {"setrion-cli", "net", option, "0", "search"};
        char* argv[5];
        for (int i = 0; i < 5; ++i) argv[i] = args[i].data();
        std::ostringstream out, err;
        EXPECT_EQ(runCli(5, argv, out, err), kExitUsage) << option;
        EXPECT_NE(err.str().find(option), std::string::npos) << err.str();
    }
}

}  // namespace
}  // namespace setrion::cli
