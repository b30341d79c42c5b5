// Keys and texts written through setrion-cli: what setrion-sim stores, refuses or reports.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {

json moduleSettingsOf(const SimProcess& sim) {
    return sim.stateWhen(
        [](const json& j) { return j.contains("wifi_module"); })["wifi_module"]["settings"];
}

ProcessResult write(const SimProcess& sim, const std::string& text, std::string option = "") {
    std::string path = (sim.dir() / "profile.json").string();
    std::ofstream(path, std::ios::binary) << text;
    std::vector<std::string> args = {"wifi", "write", path};
    if (!option.empty()) args.insert(option == "--json" ? args.begin() : args.end(), option);
    return sim.cli(args, 90000);
}

std::string wpa(const std::string& key) {
    return R"({"encryption":"WPA","wpa_authentication":"WPA2-PSK","wpa_key":")" + key + "\"}";
}

}  // namespace

// A settings-block export leaves out the key it does not report; written back, as it is
// or with "wpa_key": "", it is refused and the module keeps its key.
TEST(KeysEndToEnd, ASettingsBlockExportWrittenBackKeepsTheKey) {
    SimProcess sim({"--module", "block"});
    ASSERT_EQ(write(sim, wpa("my secret key")).exitCode, 0);
    json exported = json::parse(sim.cli({"--json", "wifi", "read"}, 60000).out);
    EXPECT_FALSE(exported.contains("wpa_key"));
    json empty = exported;
    empty["wpa_key"] = "";
    for (const json& j : {exported, empty}) {
        ProcessResult r = write(sim, j.dump(), "--skip-unchanged");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("wpa_key: the module does not report its WPA key"), std::string::npos);
    }
    EXPECT_EQ(moduleSettingsOf(sim)["wpa_key"], "my secret key");
}

// A shorter WPA key after a longer one leaves no tail in the second half.
TEST(KeysEndToEnd, AShorterWpaKeyLeavesNoTailOfTheLongerOne) {
    SimProcess sim({"--module", "command", "--generation", "2"});
    const std::string z(48, '0');
    for (auto [key, extended] :
         {std::pair<std::string, std::string>{"TopSecretKey77" + std::string(18, 'A') + "BBBBBBBB",
                                              "4242424242424242" + z},
          {"TopSecretKey77" + std::string(18, 'A'), "0000000000000000" + z},
          {"TopSecretKey77", "0000000000000000" + z}}) {
        EXPECT_EQ(write(sim, wpa(key)).out, "Save Completed !!!\n");
        EXPECT_EQ(moduleSettingsOf(sim)["wpa_key"], key);
        EXPECT_EQ(moduleSettingsOf(sim)["wpa_key_extended"], extended);
    }
}

// WEP keys 1-4 are written where they stand (a repeated write changes nothing); keys the
// rule refuses are refused, naming the key, and nothing is stored.
TEST(KeysEndToEnd, WepKeysAreWrittenWhereGivenAndBadKeysAreRefused) {
    const std::string keys = R"({"encryption":"WEP64","key_in_use":1,"wep_keys":[)";
    const std::string good = keys + R"("0102030405","1112131415","2122232425","3132333435"]})";
    SimProcess command({"--module", "command", "--generation", "2"});
    SimProcess block({"--module", "block"});
    ASSERT_EQ(write(command, good).exitCode, 0);
    ASSERT_EQ(write(block, good).exitCode, 0);
    EXPECT_EQ(write(command, good, "--skip-unchanged").out, "Unchanged: not written\n");
    const std::pair<std::string, std::string> bad[] = {
        {keys + R"("zz12zz34zz","","",""]})",
         "wep_keys: key 1: expected 10 hexadecimal digits (HEX)"},
        {keys + R"("0102030405","","0102030405060708090A0B0C0D",""]})",
         "wep_keys: key 3: expected 10 hexadecimal digits (HEX)"},
        {wpa(std::string(63, 'k') + "z"),
         "wpa_key: expected 8-63 characters or 64 hexadecimal digits"},
        {wpa("abc"), "wpa_key: expected 8-63 characters or 64 hexadecimal digits"}};
    for (const auto& [text, message] : bad)
        for (const SimProcess* sim : {&command, &block})
            EXPECT_NE(write(*sim, text).err.find(message), std::string::npos) << text;
    EXPECT_EQ(moduleSettingsOf(command)["wep_keys40"], "0102030405111213141521222324253132333435");
    EXPECT_EQ(moduleSettingsOf(block)["keys"],
              json({"0102030405", "1112131415", "2122232425", "3132333435"}));
}

// A write read back differently is reported written and not verified, with both values;
// the simulator keeps texts that are not UTF-8 (here "Café" cut inside its "é", and an SSID and
// key written from _hex companions) as the CLI's JSON does.
TEST(KeysEndToEnd, AnUnverifiedWriteIsReportedAndTheSimulatorKeepsAnyBytes) {
    SimProcess block({"--module", "block", "--module-ssid-keeps", "4"});
    ProcessResult r = write(block, R"({"ssid":"Warehouse"})", "--json");
    EXPECT_EQ(r.exitCode, 2);
    json report = json::parse(r.out);
    EXPECT_EQ(report["changed"], true);
    EXPECT_EQ(report["verified"], false);
    EXPECT_EQ(report["not_verified"],
              json::parse(R"({"ssid":{"written":"Warehouse","read_back":"Ware"}})"));
    EXPECT_EQ(write(block, R"({"ssid":"Café"})").exitCode, 2);
    EXPECT_EQ(moduleSettingsOf(block)["ssid_hex"], "436166C3");

    SimProcess command({"--module", "command"});
    EXPECT_EQ(
        write(command, R"({"ssid_hex":"C3284F6666696365","encryption":"WPA",)"
                       R"("wpa_authentication":"WPA-PSK","wpa_key_hex":"FF6B65796B65796B6579"})")
            .exitCode,
        0);
    json c = moduleSettingsOf(command);
    EXPECT_EQ(c["ssid"], "\xEF\xBF\xBD(Office");
    EXPECT_EQ(c["ssid_hex"], "C3284F6666696365");
    EXPECT_EQ(c["wpa_key_hex"], "FF6B65796B65796B6579");
}

// A profile is parsed whole; a NUL anywhere is refused with its offset.
TEST(KeysEndToEnd, AProfileWithANulIsRefusedWhole) {
    SimProcess sim({"--module", "command"});
    ProcessResult r = write(sim, std::string("{\"ssid\":\"Office\"}\0{\"bogus\":1}", 29));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("profile.json: not valid JSON: a NUL byte at offset 17"),
              std::string::npos);
    EXPECT_EQ(moduleSettingsOf(sim)["ssid"], "sim-ap");
}
