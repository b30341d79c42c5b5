// setrion-cli's wifi commands against the simulated module behind the printer link.
#include <gtest/gtest.h>

#include <fstream>

#include "common/hex.h"
#include "common/wpa_psk.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {
json readJson(const SimProcess& sim) {
    ProcessResult r = sim.cli({"--json", "wifi", "read"}, 60000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return json::parse(r.out, nullptr, false);
}
std::string writeFile(const SimProcess& sim, const json& j) {
    std::string path = (sim.dir() / "settings.json").string();
    std::ofstream(path) << j.dump();
    return path;
}
}  // namespace

TEST(WifiEndToEnd, CommandModeWriteThenReadAndReset) {
    SimProcess sim({"--module", "command", "--generation", "2"});
    ASSERT_TRUE(sim.running());
    json before = readJson(sim);
    EXPECT_EQ(before["module_kind"], "command-mode");
    EXPECT_EQ(before["generation"], 2);

    json change = {
        {"ssid", "Office"},        {"encryption", "WPA"},   {"wpa_authentication", "WPA2-PSK"},
        {"wpa_encryption", "AES"}, {"wpa_key", "password"}, {"dhcp", true},
        {"channel", 11},           {"ip", "192.168.7.20"}};
    ProcessResult w = sim.cli({"wifi", "write", writeFile(sim, change)}, 90000);
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(w.out, "Save Completed !!!\n");

    json after = readJson(sim);
    for (auto& [key, value] : change.items()) EXPECT_EQ(after[key], value) << key;

    // The module stores the pre-shared key derived from the SSID and passphrase.
    json state = sim.stateWhen([](const json& j) { return j.contains("wifi_module"); });
    EXPECT_EQ(state["wifi_module"]["settings"]["wpa_psk"],
              setrion::toHex(setrion::deriveWpaPsk("password", "Office")));

    ProcessResult reset = sim.cli({"wifi", "reset"}, 60000);
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(reset.out, "Printer is reset to factory settings.\n");
    json restored = readJson(sim);
    EXPECT_EQ(restored["ssid"], before["ssid"]);
    EXPECT_EQ(restored["encryption"], before["encryption"]);
}

TEST(WifiEndToEnd, SettingsBlockWriteThenRead) {
    SimProcess sim({"--module", "block"});
    ASSERT_TRUE(sim.running());
    EXPECT_EQ(readJson(sim)["module_kind"], "settings-block");
    json change = {{"ssid", "Lab"}, {"dhcp", false}, {"ip", "10.1.2.3"}, {"lpd_queue", "q1"}};
    ProcessResult w = sim.cli({"wifi", "write", writeFile(sim, change)}, 60000);
    ASSERT_EQ(w.exitCode, 0) << w.err;
    json after = readJson(sim);
    for (auto& [key, value] : change.items()) EXPECT_EQ(after[key], value) << key;
}

TEST(WifiEndToEnd, SettingsBlockKeepsSpacesAndRefusesAWpaWriteWithoutItsKey) {
    SimProcess sim({"--module", "block"});
    ASSERT_TRUE(sim.running());
    json wpa = {{"ssid", "Office AP"},
                {"encryption", "WPA"},
                {"wpa_authentication", "WPA2-PSK"},
                {"wpa_encryption", "AES"},
                {"wpa_key", "my secret key"}};
    ProcessResult w = sim.cli({"wifi", "write", writeFile(sim, wpa)}, 60000);
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(readJson(sim)["ssid"], "Office AP");

    // The module does not report its key: writing another field alone would erase it.
    ProcessResult r = sim.cli({"wifi", "write", writeFile(sim, {{"ssid", "Lab"}})}, 60000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("wpa_key"), std::string::npos) << r.err;
    EXPECT_EQ(readJson(sim)["ssid"], "Office AP");
}

TEST(WifiEndToEnd, BadInputAndSilentModule) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    ProcessResult tooLong = sim.cli({"wifi", "write",
                                     writeFile(sim, {{"encryption", "WPA"},
                                                     {"wpa_authentication", "WPA-PSK"},
                                                     {"wpa_key", std::string(65, 'k')}})},
                                    60000);
    // Refused by the file's validation, before the port opens.
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_NE(tooLong.err.find("wpa_key: expected a text of at most 64 bytes"), std::string::npos)
        << tooLong.err;

    ProcessResult badChoice = sim.cli({"wifi", "write", writeFile(sim, {{"mode", "mesh"}})});
    EXPECT_EQ(badChoice.exitCode, 1);

    SimProcess silent({"--module-silent"});
    ASSERT_TRUE(silent.running());
    ProcessResult r = silent.cli({"wifi", "read"}, 60000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(r.err.empty());
}

TEST(WifiEndToEnd, ResetIsRefusedWhereTheModuleOffersNone) {
    SimProcess first({"--module", "command", "--generation", "1"});
    SimProcess block({"--module", "block"});
    ASSERT_TRUE(first.running());
    ASSERT_TRUE(block.running());
    ProcessResult r = first.cli({"wifi", "reset"}, 60000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Factory reset is not available on a generation 1 command-mode module\n");
    EXPECT_EQ(r.out, "");
    // The module was left again and never got the factory-defaults command.
    json state = first.stateWhen([](const json& j) {
        return j.contains("wifi_module") && !j["wifi_module"]["command_mode"].get<bool>();
    });
    EXPECT_EQ(state["wifi_module"]["factory_resets"], 0);
    EXPECT_FALSE(state["wifi_module"]["command_mode"].get<bool>());
    EXPECT_EQ(first.recorded().find("l e26d"), std::string::npos);

    ProcessResult b = block.cli({"wifi", "reset"}, 60000);
    EXPECT_EQ(b.exitCode, 2);
    EXPECT_EQ(b.err, "Factory reset is not available on a settings-block module\n");
    EXPECT_EQ(block.stateWhen([](const json& j) {
        return j.contains("wifi_module");
    })["wifi_module"]["factory_resets"],
              0);
}

TEST(WifiEndToEnd, HostileSettingsFilesAreRefusedBeforeThePortOpens) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    json before = sim.stateWhen([](const json& j) { return j.contains("wifi_module"); });
    struct Case {
        std::string content;
        std::string key;
    };
    const Case cases[] = {
        {R"({"ssid":5})", "ssid"},
        {R"({"ssid":null})", "ssid"},
        {R"({"dhcp":"yes"})", "dhcp"},
        {R"({"key_in_use":"1"})", "key_in_use"},
        {R"({"channel":"x"})", "channel"},
        {R"({"channel":99999999999999999999})", "channel"},
        {R"({"channel":-5})", "channel"},
        {R"({"tcp_port":"9100"})", "tcp_port"},
        {R"({"tcp_port":70000})", "tcp_port"},
        {R"({"wpa_key":7})", "wpa_key"},
        {R"({"wep_keys":[1,2,3,4]})", "wep_keys"},
        {R"({"ssid":{"nested":1}})", "ssid"},
        {R"({"ssid":"a","ssid":"b"})", "ssid"},
        {R"({"netmask":"255.0.255.0"})", "netmask"},
        {"", "d.json"},  // a directory given as the file
    };
    std::filesystem::create_directory(sim.dir() / "d.json");
    for (const Case& c : cases) {
        std::string path = (sim.dir() / "d.json").string();
        if (!c.content.empty()) {
            path = (sim.dir() / "hostile.json").string();
            std::ofstream(path) << c.content;
        }
        ProcessResult r = sim.cli({"wifi", "write", path});
        EXPECT_EQ(r.exitCode, 1) << c.content << r.err;
        EXPECT_NE(r.err.find(c.key), std::string::npos) << c.content << r.err;
    }
    // Nothing reached the printer: its module never entered command mode.
    EXPECT_EQ(sim.recorded(), "");
    json after = sim.stateWhen([](const json& j) { return j.contains("wifi_module"); });
    EXPECT_EQ(after["wifi_module"], before["wifi_module"]);
}

// A spaced SSID and passphrase through a JSON profile and an INI file, to a settings-block and
// a command-mode module, read back whole; a module that stores less fails the write (exit 2)
// naming the field.
TEST(WifiEndToEnd, SpacedTextsAreWrittenWholeAndADifferentReadBackFails) {
    const json profile = {{"ssid", "Office AP"},
                          {"encryption", "WPA"},
                          {"wpa_authentication", "WPA2-PSK"},
                          {"wpa_encryption", "AES"},
                          {"wpa_key", "my secret key"}};
    const std::string ini =
        "[WiFiInfo]\r\nSSID=Office AP\r\nENCRYPTION=3\r\nWPA=1\r\nWPAENC=1\r\n"
        "WPAKEY=my secret key\r\n";
    struct Case {
        std::vector<std::string> sim;
        bool asIni;
        int exitCode;
    };
    const Case cases[] = {
        {{"--module", "block"}, false, 0},
        {{"--module", "block"}, true, 0},
        {{"--module", "command"}, false, 0},
        {{"--module", "command"}, true, 0},
        {{"--module", "block", "--module-ssid-keeps", "6"}, false, 2},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.running());
        std::string path = writeFile(sim, profile);
        if (c.asIni) {
            path = (sim.dir() / "profile.ini").string();
            std::ofstream(path, std::ios::binary) << ini;
        }
        const std::string label = c.sim[1] + (c.asIni ? " ini" : " json");
        ProcessResult w = sim.cli({"wifi", "write", path}, 90000);
        ASSERT_EQ(w.exitCode, c.exitCode) << label << ": " << w.err;
        if (c.exitCode != 0) {
            EXPECT_EQ(w.out, "") << label;
            EXPECT_NE(w.err.find("ssid: written \"Office AP\", read back \"Office\""),
                      std::string::npos)
                << w.err;
            continue;
        }
        EXPECT_EQ(w.out, "Save Completed !!!\n") << label;
        const json after = readJson(sim);
        EXPECT_EQ(after["ssid"], "Office AP") << label;
        EXPECT_EQ(after["wpa_authentication"], "WPA2-PSK") << label;
        // A settings-block module never reports its key; a command-mode module does.
        if (c.sim[1] == "command") {
            EXPECT_EQ(after["wpa_key"], "my secret key") << label;
        }
    }
}
