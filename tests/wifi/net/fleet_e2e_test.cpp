// setrion-cli net apply against a fleet of `setrion-sim lan` modules on the loopback broadcast.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "tests/support/child_process.h"
#include "tests/support/loopback_ports.h"

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

class FleetE2e : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("setrion-fleet-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        m_base = loopbackPortBlock();
    }
    void TearDown() override {
        if (m_sim > 0) {
            ::kill(m_sim, SIGTERM);
            ::waitpid(m_sim, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string port(int k) const { return std::to_string(m_base + k); }
    std::string statePath() const { return (m_dir / "state.json").string(); }

    void startSim(std::vector<std::string> extra, int textPrinters = 0) {
        std::vector<std::string> args{simPath(),         "lan",   "--mgmt-port",
                                      port(0),           "--text-port", port(1),
                                      "--text-printers", std::to_string(textPrinters),
                                      "--state",         statePath(),   "--max-seconds", "120"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, (m_dir / "sim.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(posix_spawn(&m_sim, argv[0], &fa, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&fa);
        for (int i = 0; i < 500 && state().is_discarded(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_FALSE(state().is_discarded());
    }
    json state() const {
        std::ifstream in(statePath());
        std::stringstream s;
        s << in.rdbuf();
        return json::parse(s.str(), nullptr, false);
    }
    // setrion-cli [global options] net <this LAN's options>
    std::vector<std::string> net(std::vector<std::string> global = {}) const {
        std::vector<std::string> all{cliPath()};
        all.insert(all.end(), global.begin(), global.end());
        all.insert(all.end(), {"net", "--broadcast", "127.255.255.255", "--mgmt-port", port(0),
                               "--mgmt-local-port", port(2), "--text-port", port(1),
                               "--text-local-port", port(3)});
        return all;
    }
    std::string file(const std::string& name, const std::string& text) const {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    ProcessResult apply(std::vector<std::string> args) {
        std::vector<std::string> all{cliPath(),         "--json",      "net",      "--broadcast", "127.255.255.255",
                                     "--mgmt-port",     port(0),       "--mgmt-local-port", port(2),
                                     "--text-port",     port(1),       "--text-local-port", port(3), "apply"};
        all.insert(all.end(), args.begin(), args.end());
        return runProcess(all, 60000);
    }

    fs::path m_dir;
    uint16_t m_base = 0;
    pid_t m_sim = -1;
};

std::string macOf(int n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "02:00:00:00:00:%02X", n);
    return buf;
}

}  // namespace

TEST_F(FleetE2e, TwentyPrintersGetTheProfileAndAddressesInMacOrder) {
    // 21 modules; the 21st, outside the targets, already holds 192.168.7.55. Module 2 has a password.
    startSim({"--modules", "21", "--module-ip", macOf(21) + "=192.168.7.55"});
    std::string profile = (m_dir / "profile.json").string();
    std::ofstream(profile) << json{{"ssid", "Fleet"}, {"wpa_key", "fleetkey1"}, {"mac", macOf(9)}}.dump();
    std::vector<std::string> args{profile, "--ip-from", "192.168.7.50"};
    for (int n = 1; n <= 20; ++n) args.insert(args.end(), {"--mac", macOf(n)});

    json before = state();
    args.push_back("--dry-run");
    ProcessResult dry = apply(args);
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    json plan = json::parse(dry.out, nullptr, false);
    ASSERT_EQ(plan.size(), 20u) << dry.out;
    EXPECT_EQ(plan[5]["new_ip"], "192.168.7.56");
    EXPECT_EQ(plan[5]["changes"], (json{"ssid", "ip", "wpa_key"}));
    EXPECT_EQ(state(), before);  // nothing was written
    EXPECT_NE(dry.err.find("mac: identifies one device, ignored"), std::string::npos) << dry.err;
    args.pop_back();

    ProcessResult run = apply(args);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    json rows = json::parse(run.out, nullptr, false);
    ASSERT_EQ(rows.size(), 20u) << run.out;
    json after = state();
    int next = 50;
    for (int n = 1; n <= 20; ++n) {
        const json& row = rows[static_cast<size_t>(n - 1)];
        const json& module = after["modules"][static_cast<size_t>(n - 1)];
        std::string ip = "192.168.7." + std::to_string(next == 55 ? ++next : next);
        ++next;
        EXPECT_EQ(row["mac"], macOf(n));
        EXPECT_EQ(row["new_ip"], ip);
        if (n == 2) {
            EXPECT_EQ(row["result"], "Password mismatch error occured.");
            EXPECT_EQ(row["verified"], false);
            EXPECT_EQ(module["ssid"], "SimNet-2");
            continue;
        }
        EXPECT_EQ(row["result"], "Save Completed !!!") << n;
        EXPECT_EQ(row["verified"], true) << n;
        EXPECT_EQ(module["ssid"], "Fleet");
        EXPECT_EQ(module["wpa_key"], "fleetkey1");
        EXPECT_EQ(module["ip"], ip);
    }
    EXPECT_EQ(after["modules"][20]["ip"], "192.168.7.55");
    EXPECT_EQ(after["modules"][20]["ssid"], "SimNet-21");
}

TEST_F(FleetE2e, BadProfileIsRefusedBeforeTheSearch) {
    startSim({"--modules", "2"});
    const std::pair<const char*, const char*> files[] = {{"bad.json", R"({"ssid":"X","colour":"red"})"},
                                                         {"bad.ini", "[WiFiInfo]\r\nSSID=X\r\nTCPPORT=0\r\n"}};
    const char* keys[] = {"colour", "tcp_port"};
    json before = state();
    for (size_t i = 0; i < 2; ++i) {
        std::string profile = (m_dir / files[i].first).string();
        std::ofstream(profile, std::ios::binary) << files[i].second;
        ProcessResult r = apply({profile, "--all"});
        EXPECT_EQ(r.exitCode, 1) << files[i].first;
        EXPECT_NE(r.err.find(keys[i]), std::string::npos) << r.err;
        EXPECT_EQ(state(), before);
    }
}

TEST_F(FleetE2e, WifiIniFileIsAppliedLikeAJsonProfile) {
    startSim({"--modules", "4"});  // module 2, with a password, is left out
    // As the Wi-Fi dialog writes it: another module's MAC (not applied), empty WEP keys, and a
    // three-part IP the dialog ignores.
    std::string profile = (m_dir / "Fleet_WIFI.INI").string();
    std::ofstream(profile, std::ios::binary) << "[WiFiInfo]\r\nMacAddress=0011AABBCCDD\r\nSSID=IniFleet\r\n"
                                                "IP=10.0.0\r\nWPA=1\r\nWPAENC=1\r\nWPAKEY=ini-fleet-key\r\n"
                                                "KEY1=\r\nKEY2=\r\nKEY3=\r\nKEY4=\r\n";
    ProcessResult run = apply({profile, "--mac", macOf(1), "--mac", macOf(3), "--mac", macOf(4), "--ip-from",
                               "192.168.9.10"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    json rows = json::parse(run.out, nullptr, false);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    json after = state();
    const size_t written[] = {0, 2, 3};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i]["result"], "Save Completed !!!") << i;
        EXPECT_EQ(rows[i]["verified"], true) << i;
        const json& module = after["modules"][written[i]];
        EXPECT_EQ(module["mac"], macOf(static_cast<int>(written[i]) + 1));
        EXPECT_EQ(module["ssid"], "IniFleet");
        EXPECT_EQ(module["wpa_key"], "ini-fleet-key");
        EXPECT_EQ(module["ip"], "192.168.9." + std::to_string(10 + i));
        EXPECT_EQ(module["dhcp"], false);
    }
    EXPECT_EQ(after["modules"][1]["ssid"], "SimNet-2");
}

TEST_F(FleetE2e, AllReachesEveryPrinterBeyondTheListOfTwoHundred) {
    startSim({"--modules", "200"}, 3);
    std::string profile = (m_dir / "profile.json").string();
    std::ofstream(profile) << json{{"ssid", "Everyone"}}.dump();
    ProcessResult run = apply({profile, "--all", "--password", "secret"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    json rows = json::parse(run.out, nullptr, false);
    ASSERT_EQ(rows.size(), 203u) << run.err;
    for (const json& row : rows) EXPECT_EQ(row["verified"], true) << row.dump();
}

TEST_F(FleetE2e, NamedPrintersEndEachSearchOnceAllHaveAnswered) {
    startSim({"--modules", "20"});
    std::string profile = (m_dir / "profile.json").string();
    std::ofstream(profile) << json{{"ssid", "Quick"}}.dump();
    ProcessResult run = apply({profile, "--mac", macOf(1), "--mac", macOf(3), "--mac", macOf(20)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // Two whole search windows alone would take 4 s.
    EXPECT_LT(run.seconds, 3.5);
    EXPECT_EQ(state()["modules"][19]["ssid"], "Quick");
}

TEST_F(FleetE2e, DryRunShowsTheDiffAndSkipUnchangedWritesOnlyWhatDiffers) {
    // Module 2 has a password and is left out; module 3 already holds the SSID.
    startSim({"--modules", "3"});
    std::string first = (m_dir / "first.json").string();
    std::ofstream(first) << json{{"ssid", "Fleet"}}.dump();
    ASSERT_EQ(apply({first, "--mac", macOf(3)}).exitCode, 0);
    std::string profile = (m_dir / "profile.json").string();
    std::ofstream(profile) << json{{"ssid", "Fleet"}, {"wpa_key", "fleetkey1"}}.dump();
    json before = state();

    ProcessResult plan = apply({profile, "--mac", macOf(1), "--mac", macOf(3), "--dry-run"});
    ASSERT_EQ(plan.exitCode, 0) << plan.err;
    json rows = json::parse(plan.out);
    EXPECT_EQ(rows[0]["changed"], true);
    EXPECT_EQ(rows[0]["diff"],
              json({{"ssid", {"SimNet-1", "Fleet"}}, {"wpa_key", {"***", "***"}}}));
    EXPECT_EQ(rows[1]["diff"], json({{"wpa_key", {"***", "***"}}}));
    EXPECT_EQ(state()["modules"], before["modules"]);

    std::vector<std::string> skip{profile, "--mac",  macOf(1),
                                  "--mac", macOf(3), "--skip-unchanged"};
    ProcessResult once = apply(skip);
    ASSERT_EQ(once.exitCode, 0) << once.err;
    json written = state();
    ProcessResult twice = apply(skip);
    ASSERT_EQ(twice.exitCode, 0) << twice.err;
    for (const auto& row : json::parse(twice.out)) {
        EXPECT_EQ(row["skipped"], true) << row;
        EXPECT_EQ(row["result"], "Unchanged: not written");
    }
    EXPECT_EQ(state()["modules"], written["modules"]);
    EXPECT_GT(written["modules"][0]["writes"], before["modules"][0]["writes"]);

    // Plain text: one "key: old -> new" line per change, the key shown only when asked.
    std::vector<std::string> text{cliPath(),
                                  "net",
                                  "--broadcast",
                                  "127.255.255.255",
                                  "--mgmt-port",
                                  port(0),
                                  "--mgmt-local-port",
                                  port(2),
                                  "--text-port",
                                  port(1),
                                  "--text-local-port",
                                  port(3),
                                  "save",
                                  macOf(1),
                                  first,
                                  "--dry-run"};
    std::ofstream(first) << json{{"ssid", "Other"}, {"wpa_key", "k2-secret"}}.dump();
    ProcessResult shown = runProcess(text);
    EXPECT_EQ(shown.out, "ssid: Fleet -> Other\nwpa_key: *** -> ***\n");
    text.push_back("--show-secrets");
    EXPECT_EQ(runProcess(text).out, "ssid: Fleet -> Other\nwpa_key: fleetkey1 -> k2-secret\n");
}

// Output that cannot be written: a full disk fails the search with its reason; a reader that
// goes away ("2>&1 >out | head -1") ends the run at its next step, and the summary reaches the
// stream still open, naming exactly the printers the simulator holds as written.
TEST_F(FleetE2e, UnwritableOutputFailsOrEndsTheRunWithItsSummary) {
    startSim({"--modules", "20"});
    auto shell = [&](const std::string& redirect, std::vector<std::string> args) {
        std::vector<std::string> all{"/bin/bash", "-c", "\"$0\" \"$@\" " + redirect};
        for (const auto& a : net()) all.push_back(a);
        all.insert(all.end(), args.begin(), args.end());
        return runProcess(all, 60000);
    };
    ProcessResult full = shell("> /dev/full", {"--json", "search"});
    EXPECT_EQ(full.exitCode, 2);
    EXPECT_TRUE(full.err.ends_with("setrion-cli: cannot write the output: No space left on device\n"));

    const std::string out = (m_dir / "out.txt").string();
    ProcessResult r = shell("2>&1 >" + out + " | head -1 >/dev/null; exit ${PIPESTATUS[0]}",
                            {"apply", file("p.json", R"({"ssid":"Piped"})"), "--all"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch summary;
    ASSERT_TRUE(std::regex_search(
        text, summary, std::regex("interrupted: stored on (\\d+) of 20 printers \\(([^)]*)\\)\n")))
        << text;
    int written = 0;
    const json after = state();
    for (const auto& m : after["modules"]) {
        const bool stored = m["writes"] > 0;
        written += stored ? 1 : 0;
        EXPECT_EQ(summary[2].str().find(m["mac"].get<std::string>()) != std::string::npos, stored);
        EXPECT_EQ(m["ssid"] == "Piped", stored) << m.dump();
    }
    EXPECT_EQ(std::to_string(written), summary[1].str());
}

// Keys stay out of trace lines unless --show-secrets; the module password comes from a file (the
// Ansible playbook test passes it through the environment).
TEST_F(FleetE2e, TracesMaskKeysAndThePasswordComesFromAFileOrTheEnvironment) {
    startSim({"--modules", "2"});
    auto save = [&](const std::string& key, std::vector<std::string> extra) {
        auto args = net({"--trace"});
        args.insert(args.end(), {"save", macOf(2), file("k.json", json{{"wpa_key", key}}.dump())});
        args.insert(args.end(), extra.begin(), extra.end());
        return runProcess(args);
    };
    ProcessResult masked = save("TopSecretKey77", {"--password-file", file("pw", "secret\n")});
    EXPECT_EQ(masked.exitCode, 0) << masked.err;
    EXPECT_NE(masked.err.find("WPA KEY=********\n"), std::string::npos) << masked.err;
    EXPECT_EQ(masked.err.find("TopSecretKey77"), std::string::npos) << masked.err;
    EXPECT_EQ(state()["modules"][1]["wpa_key"], "TopSecretKey77");

    ProcessResult shown = save("TopSecretKey78", {"--show-secrets", "--password", "secret"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.err.find("WPA KEY=TopSecretKey78\n"), std::string::npos) << shown.err;
    EXPECT_EQ(state()["modules"][1]["wpa_key"], "TopSecretKey78");
}

// Every byte value, from printers' MAC texts and SSIDs, through the plan, the progress lines,
// the result table and the read-back message: only printable ASCII reaches the terminal, the
// rest as \xNN. (A MAC text cannot carry 0x00: the record ends a text there.)
TEST_F(FleetE2e, DeviceBytesReachTheTerminalEscapedOnEveryPath) {
    startSim({"--modules", "0", "--hostile-texts", "32"});
    auto run = [&](std::vector<std::string> extra) {
        auto args = net();
        args.insert(args.end(), {"apply", file("p.json", R"({"ssid":"Office"})"), "--all",
                                 "--result-file", (m_dir / "result.out").string()});
        args.insert(args.end(), extra.begin(), extra.end());
        return runProcess(args, 60000);
    };
    ProcessResult plan = run({"--dry-run"});
    ProcessResult result = run({});
    for (const std::string& shown : {plan.out, plan.err, result.out, result.err})
        for (unsigned char c : shown)
            ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c) << " in:\n" << shown;
    EXPECT_NE(result.out.find("\\xF8\\xF9:\\xFA\\xFB:\\xFC\\xFD:\\xFE\\xFF:AA:1F  192.168.1.131    "
                              "192.168.1.131    no        Not verified: the settings read back "
                              "differ from those written: ssid: written \"Office\", read back "
                              "\"\\xF8\\xF9\\xFA\\xFB\\xFC\\xFD\\xFE\\xFF\"\n"),
              std::string::npos)
        << result.out;
    // The printers confirmed the saves and kept what they held.
    const json printer = state()["text_printers"][3];
    EXPECT_EQ(printer["ssid"], std::string("\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F"));
    EXPECT_EQ(printer["saves"], 1);
}

// With --ip-from the search waits out its window: a module not named that answers late keeps
// its address out of the plan.
TEST_F(FleetE2e, IpFromWaitsForLateAnswersBeforeHandingOutAddresses) {
    startSim({"--modules", "4", "--module-ip", macOf(4) + "=192.168.7.51", "--late-search",
              macOf(4) + "=700"});
    ProcessResult r = apply({file("p.json", "{}"), "--ip-from", "192.168.7.50", "--mac", macOf(1),
                             "--mac", macOf(3), "--mac", macOf(2), "--password", "secret"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> ips;
    const json after = state();
    for (const auto& m : after["modules"]) ips.push_back(m["ip"]);
    EXPECT_EQ(ips, (std::vector<std::string>{"192.168.7.50", "192.168.7.52", "192.168.7.53",
                                             "192.168.7.51"}));
}

// An interrupted run counts a write that went out unanswered as unknown, not as not written.
TEST_F(FleetE2e, InterruptedRunCountsAnUnansweredWriteAsUnknown) {
    startSim({"--modules", "2", "--silent-writes", macOf(2)});
    auto args = net();
    args.insert(args.end(),
                {"apply", file("p.json", R"({"ssid":"Half"})"), "--all", "--password", "secret"});
    ChildProcess cli(args);
    ASSERT_TRUE(cli.waitFor(macOf(2) + "  writing\n", 20000)) << cli.err();
    cli.signal(SIGTERM);
    EXPECT_EQ(cli.finish(20000), 143);
    EXPECT_NE(cli.err().find("interrupted: stored on 1 of 2 printers (" + macOf(1) +
                             "); unknown on 1 (" + macOf(2) + "): sent, not answered\n"),
              std::string::npos)
        << cli.err();
    EXPECT_EQ(state()["modules"][0]["ssid"], "Half");
    EXPECT_EQ(state()["modules"][1]["writes"], 0);
}
