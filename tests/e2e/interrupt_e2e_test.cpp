// Termination signals sent to a real setrion-cli during a sequence against setrion-sim.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {

// The module's state once `ready` holds, polled for up to `limitMs`.
json moduleWhen(const SimProcess& sim, const std::function<bool(const json&)>& ready,
                int limitMs = 30000) {
    json module;
    for (int waited = 0; waited < limitMs; waited += 20) {
        std::ifstream in(sim.statePath());
        std::stringstream ss;
        ss << in.rdbuf();
        json j = json::parse(ss.str(), nullptr, false);
        if (!j.is_discarded() && j.contains("wifi_module")) {
            module = j["wifi_module"];
            if (ready(module)) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return module;
}

std::string profile(const SimProcess& sim) {
    const std::string path = (sim.dir() / "change.json").string();
    std::ofstream(path) << R"({"ip": "192.168.7.20", "ssid": "Changed", "dhcp": false})";
    return path;
}

// Starts wifi write and returns once the module's working copy holds the new address: the
// write is under way, nothing stored yet.
void startWrite(const SimProcess& sim, ChildProcess& cli) {
    ASSERT_GT(cli.pid(), 0);
    json mid = moduleWhen(sim, [](const json& m) { return m["settings"]["ip"] == "192.168.7.20"; });
    ASSERT_EQ(mid["settings"]["ip"], "192.168.7.20") << cli.err();
    ASSERT_EQ(mid["stores"], 0);
}

struct SignalCase {
    int signal;
    int exitCode;
};

class InterruptedWrite : public ::testing::TestWithParam<SignalCase> {};

TEST_P(InterruptedWrite, LeavesCommandModeStoresNothingAndSaysSo) {
    SimProcess sim({"--module", "command", "--generation", "2"});
    ASSERT_TRUE(sim.running());
    const json before = moduleWhen(sim, [](const json&) { return true; });
    ChildProcess cli({cliPath(), "--port", sim.link(), "wifi", "write", profile(sim)});
    startWrite(sim, cli);

    const auto sent = std::chrono::steady_clock::now();
    cli.signal(GetParam().signal);
    EXPECT_EQ(cli.finish(20000), GetParam().exitCode) << cli.err();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    // Within the step's own wait (1 s) and leaving command mode (0.5 s).
    EXPECT_LT(seconds, 2.5);
    EXPECT_NE(cli.err().find("interrupted: nothing stored\n"), std::string::npos) << cli.err();
    EXPECT_EQ(cli.err().find("Failed"), std::string::npos) << cli.err();

    const json after = moduleWhen(sim, [](const json& m) { return !m["command_mode"]; });
    EXPECT_FALSE(after["command_mode"]);
    EXPECT_EQ(after["stores"], 0);
    EXPECT_EQ(after["stored"], before["stored"]);
    EXPECT_EQ(after["settings"], before["settings"]);  // the module runs on what it stored
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedWrite,
                         ::testing::Values(SignalCase{SIGINT, 130}, SignalCase{SIGTERM, 143},
                                           SignalCase{SIGHUP, 129}));

TEST(InterruptEndToEnd, SecondSignalEndsAtOnce) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    ChildProcess cli({cliPath(), "--port", sim.link(), "wifi", "write", profile(sim)});
    startWrite(sim, cli);
    cli.signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const auto sent = std::chrono::steady_clock::now();
    cli.signal(SIGTERM);
    EXPECT_EQ(cli.finish(20000), 143) << cli.err();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 2.0);
    // Ended in the handler: the ordinary end and its line never came.
    EXPECT_EQ(cli.err().find("interrupted:"), std::string::npos) << cli.err();
    EXPECT_EQ(moduleWhen(sim, [](const json&) { return true; })["stores"], 0);
}

TEST(InterruptEndToEnd, HelpAllShowsEveryCommand) {
    ProcessResult r = runProcess({cliPath(), "--help-all"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* shown : {"setrion-cli wifi write", "setrion-cli net apply", "--dry-run",
                              "setrion-cli download-font", "setrion-cli ports"})
        EXPECT_NE(r.out.find(shown), std::string::npos) << shown;
}

}  // namespace
