// Keys written through setrion-cli against setrion-sim: what the module stores, and what a
// refused or unverified write leaves behind.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {

json settingsOf(const SimProcess& sim) {
    return sim.stateWhen(
        [](const json& j) { return j.contains("wifi_module"); })["wifi_module"]["settings"];
}

std::string writeText(const SimProcess& sim, const std::string& text) {
    std::string path = (sim.dir() / "profile.json").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

ProcessResult write(const SimProcess& sim, const json& profile,
                    std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"wifi", "write", writeText(sim, profile.dump())};
    args.insert(args.end(), options.begin(), options.end());
    return sim.cli(args, 90000);
}

const json kWpa = {
    {"encryption", "WPA"}, {"wpa_authentication", "WPA2-PSK"}, {"wpa_encryption", "AES"}};

json withKey(const std::string& key) {
    json j = kWpa;
    j["wpa_key"] = key;
    return j;
}

}  // namespace

// A settings-block module never reports its key: its export leaves the key out, and neither
// that export nor an empty key is written over the key it holds.
TEST(KeysEndToEnd, ASettingsBlockExportWrittenBackKeepsTheKey) {
    SimProcess sim({"--module", "block"});
    ASSERT_TRUE(sim.running());
    ASSERT_EQ(write(sim, withKey("my secret key")).exitCode, 0);

    ProcessResult read = sim.cli({"--json", "wifi", "read"}, 60000);
    ASSERT_EQ(read.exitCode, 0) << read.err;
    json exported = json::parse(read.out);
    EXPECT_FALSE(exported.contains("wpa_key")) << read.out;
    EXPECT_EQ(exported["encryption"], "WPA");

    json empty = exported;
    empty["wpa_key"] = "";
    for (const json& profile : {exported, empty}) {
        for (std::vector<std::string> options :
             {std::vector<std::string>{}, {"--skip-unchanged"}}) {
            ProcessResult r = write(sim, profile, options);
            EXPECT_EQ(r.exitCode, 1) << profile.dump();
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find("wpa_key: the module does not report its WPA key"),
                      std::string::npos)
                << r.err;
        }
    }
    json state = settingsOf(sim);
    EXPECT_EQ(state["wpa_key"], "my secret key");
    EXPECT_EQ(state["encryption"], 3);
}

// Every WPA write sets both halves of a command-mode module's key, so a shorter key leaves no
// tail of a longer one.
TEST(KeysEndToEnd, AShorterWpaKeyLeavesNoTailOfTheLongerOne) {
    SimProcess sim({"--module", "command", "--generation", "2"});
    ASSERT_TRUE(sim.running());
    struct Case {
        std::string key;
        std::string extendedHex;  // the second half as the module holds it
    };
    const std::string zeros(64, '0');
    const Case cases[] = {
        {"TopSecretKey77AAAAAAAAAAAAAAAAAABBBBBBBB", "4242424242424242" + zeros.substr(16)},
        {"TopSecretKey77AAAAAAAAAAAAAAAAAA", zeros},
        {"TopSecretKey77", zeros},
    };
    for (const Case& c : cases) {
        ProcessResult w = write(sim, withKey(c.key));
        ASSERT_EQ(w.exitCode, 0) << c.key << ": " << w.err;
        EXPECT_EQ(w.out, "Save Completed !!!\n");
        json state = settingsOf(sim);
        EXPECT_EQ(state["wpa_key"], c.key);
        EXPECT_EQ(state["wpa_key_extended"], c.extendedHex) << c.key;
        ProcessResult r = sim.cli({"--json", "wifi", "read"}, 60000);
        EXPECT_EQ(json::parse(r.out)["wpa_key"], c.key);
    }
}

// Each WEP key is written where the user put it (a repeated write then changes nothing), and a
// key the rule refuses is refused whole, with nothing stored.
TEST(KeysEndToEnd, WepKeysAreWrittenWhereGivenAndBadKeysAreRefused) {
    const json keys = {{"encryption", "WEP64"},
                       {"key_in_use", 1},
                       {"wep_keys", {"0102030405", "1112131415", "2122232425", "3132333435"}}};
    SimProcess command({"--module", "command", "--generation", "2"});
    SimProcess block({"--module", "block"});
    ASSERT_TRUE(command.running());
    ASSERT_TRUE(block.running());
    ASSERT_EQ(write(command, keys).exitCode, 0);
    ASSERT_EQ(write(block, keys).exitCode, 0);
    EXPECT_EQ(settingsOf(command)["wep_keys40"], "0102030405111213141521222324253132333435");
    EXPECT_EQ(settingsOf(block)["keys"],
              json({"0102030405", "1112131415", "2122232425", "3132333435"}));
    ProcessResult again = write(command, keys, {"--skip-unchanged"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "Unchanged: not written\n");

    struct Case {
        json profile;
        std::string message;
    };
    json notHex = keys;
    notHex["wep_keys"][0] = "zz12zz34zz";
    json wrongSize = keys;
    wrongSize["wep_keys"][2] = "0102030405060708090A0B0C0D";
    const Case cases[] = {
        {notHex, "wep_keys: key 1: expected 10 hexadecimal digits (HEX)"},
        {wrongSize, "wep_keys: key 3: expected 10 hexadecimal digits (HEX)"},
        {withKey(std::string(63, 'k') + "z"),
         "wpa_key: expected 8-63 characters or 64 hexadecimal digits"},
        {withKey("abc"), "wpa_key: expected 8-63 characters or 64 hexadecimal digits"},
    };
    for (const Case& c : cases) {
        for (const SimProcess* sim : {&command, &block}) {
            ProcessResult r = write(*sim, c.profile);
            EXPECT_EQ(r.exitCode, 1) << c.profile.dump();
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        }
    }
    EXPECT_EQ(settingsOf(command)["wep_keys40"], "0102030405111213141521222324253132333435");
    EXPECT_EQ(settingsOf(block)["keys"][0], "0102030405");
    EXPECT_EQ(settingsOf(block)["encryption"], 1);
}

// A write whose read-back differs says, in its JSON report, that it wrote and could not
// verify, with both values.
TEST(KeysEndToEnd, AWriteReadBackDifferentlyIsReportedWrittenAndNotVerified) {
    SimProcess sim({"--module", "block", "--module-ssid-keeps", "4"});
    ASSERT_TRUE(sim.running());
    ProcessResult r = sim.cli(
        {"--json", "wifi", "write", writeText(sim, R"({"ssid":"Warehouse","dhcp":true})")}, 60000);
    EXPECT_EQ(r.exitCode, 2);
    json report = json::parse(r.out);
    EXPECT_EQ(report["changed"], true);
    EXPECT_EQ(report["verified"], false);
    EXPECT_EQ(report["not_verified"],
              json::parse(R"({"ssid":{"written":"Warehouse","read_back":"Ware"}})"));
    EXPECT_EQ(report["settings"]["ssid"], "Ware");
    EXPECT_EQ(r.err,
              "Not verified: the settings read back differ from those written: ssid: written "
              "\"Warehouse\", read back \"Ware\"\n");
    EXPECT_EQ(settingsOf(sim)["ssid"], "Ware");
    EXPECT_EQ(settingsOf(sim)["dhcp"], true);
}

// The simulator keeps texts that are not UTF-8 in its state file as the CLI's JSON does.
TEST(KeysEndToEnd, TheSimulatorKeepsTextsThatAreNotUtf8) {
    SimProcess command({"--module", "command"});
    SimProcess block({"--module", "block", "--module-ssid-keeps", "4"});
    ASSERT_TRUE(command.running());
    ASSERT_TRUE(block.running());
    // An SSID and a key with bytes that are no UTF-8, and "Café" cut inside its "é".
    ProcessResult w = command.cli(
        {"wifi", "write",
         writeText(command,
                   R"({"ssid_hex":"C3284F6666696365","encryption":"WPA",)"
                   R"("wpa_authentication":"WPA-PSK","wpa_key_hex":"FF6B65796B65796B6579"})")},
        90000);
    EXPECT_EQ(w.exitCode, 0) << w.err;
    ProcessResult cut = block.cli({"wifi", "write", writeText(block, R"({"ssid":"Café"})")}, 60000);
    EXPECT_EQ(cut.exitCode, 2);

    json c = settingsOf(command);
    EXPECT_EQ(c["ssid"], "\xEF\xBF\xBD(Office");
    EXPECT_EQ(c["ssid_hex"], "C3284F6666696365");
    EXPECT_EQ(c["wpa_key_hex"], "FF6B65796B65796B6579");
    json b = settingsOf(block);
    EXPECT_EQ(b["ssid"], "Caf\xEF\xBF\xBD");
    EXPECT_EQ(b["ssid_hex"], "436166C3");
    // Both simulators still answer.
    EXPECT_EQ(command.cli({"wifi", "read"}, 60000).exitCode, 0);
    EXPECT_EQ(block.cli({"wifi", "read"}, 60000).exitCode, 0);
}

// A profile is parsed whole: a NUL anywhere is refused, naming its offset.
TEST(KeysEndToEnd, AProfileWithANulIsRefusedWhole) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    const std::string text("{\"ssid\":\"Office\"}\0{\"bogus\":1}", 29);
    ProcessResult r = sim.cli({"wifi", "write", writeText(sim, text)}, 60000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("profile.json: not valid JSON: a NUL byte at offset 17"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(settingsOf(sim)["ssid"], "sim-ap");
}
