// setrion-cli's printer-setting commands against setrion-sim on a pty.
#include <gtest/gtest.h>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {
json settingsWhen(SimProcess& sim, const std::function<bool(const json&)>& ready) {
    return sim.stateWhen([&](const json& j) { return j.contains("settings") && ready(j["settings"]); })["settings"];
}
}  // namespace

TEST(SettingsEndToEnd, EscPosPrinter) {
    SimProcess sim({"--emulation", "escpos"});
    ASSERT_TRUE(sim.running());

    auto r = sim.cli({"get-emulation"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ESC/POS\n");

    r = sim.cli({"set-code-page", "WINDOWS_1251"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Code Page changed to WINDOWS_1251.\n");
    EXPECT_EQ(settingsWhen(sim, [](const json& s) { return s["code_page"] == 20; })["code_page_name"],
              "WINDOWS_1251");

    r = sim.cli({"set-density", "-1"});
    EXPECT_EQ(r.out, "Printer Density changed to DENSITY [-1].\n");
    EXPECT_EQ(settingsWhen(sim, [](const json& s) { return s["density"] == 0; })["density"], 0);

    r = sim.cli({"set-power-save", "off", "30"});
    EXPECT_EQ(r.out, "The printer power will be off after 30 minute.\n");
    auto s = settingsWhen(sim, [](const json& x) { return x["power_save"]["minutes"] == 30; });
    EXPECT_EQ(s["power_save"]["mode"], 1);

    r = sim.cli({"set-pin", "1234"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(settingsWhen(sim, [](const json& x) { return x["pin"] == "1234"; })["pin"], "1234");

    r = sim.cli({"set-discoverable", "off"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = sim.cli({"--json", "get-bluetooth"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto bt = json::parse(r.out, nullptr, false);
    EXPECT_EQ(bt["address"], "00:19:01:2A:3B:4C");
    EXPECT_EQ(bt["discoverable"], false);

    r = sim.cli({"save-serial-config", "--to-baud", "115200", "--to-data-bits", "7", "--to-parity",
                 "odd", "--to-stop-bits", "2", "--to-flow", "xon-xoff"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    s = settingsWhen(sim, [](const json& x) { return x["line"]["baud"] == 115200; });
    EXPECT_EQ(s["line"], json({{"baud", 115200}, {"data_bits", 7}, {"parity", "odd"},
                               {"stop_bits", 2}, {"flow", "xon-xoff"}}));

    r = sim.cli({"print-code-page"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(settingsWhen(sim, [](const json& x) { return x["code_page_samples"] == 1; })["code_page_samples"], 1);

    r = sim.cli({"set-media", "bar"});  // CPCL only: nothing sent, said so
    EXPECT_EQ(r.exitCode, 2);
}

TEST(SettingsEndToEnd, CpclPrinter) {
    SimProcess sim({"--emulation", "cpcl", "--discoverable", "off"});
    ASSERT_TRUE(sim.running());

    auto r = sim.cli({"get-bluetooth"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "address: 00:19:01:2A:3B:4C\ndiscoverable: off\n");

    r = sim.cli({"save-serial-config", "--to-baud", "38400", "--to-parity", "even", "--to-stop-bits", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto s = settingsWhen(sim, [](const json& x) { return x["line"]["baud"] == 38400; });
    EXPECT_EQ(s["line"]["parity"], "even");
    EXPECT_EQ(s["line"]["stop_bits"], 2);

    r = sim.cli({"set-pin", "0123456789"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = sim.cli({"set-discoverable", "on"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = sim.cli({"set-media", "bar"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    s = settingsWhen(sim, [](const json& x) { return x["media_sense"] == "bar"; });
    EXPECT_EQ(s["pin"], "0123456789");
    EXPECT_EQ(s["discoverable"], true);

    r = sim.cli({"set-emulation", "escpos"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ESC/POS\n");
    EXPECT_EQ(sim.stateWhen([](const json& j) { return j["emulation"] == "escpos"; })["emulation"], "escpos");
    r = sim.cli({"get-emulation"});
    EXPECT_EQ(r.out, "ESC/POS\n");
}

TEST(SettingsEndToEnd, ZplPrinterGetsNoBluetoothQuery) {
    SimProcess sim({"--emulation", "zpl"});
    ASSERT_TRUE(sim.running());
    auto r = sim.cli({"get-bluetooth"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("ZPL"), std::string::npos) << r.err;
}

TEST(SettingsEndToEnd, SilentPrinterAndUsageErrors) {
    SimProcess sim({"--silent"});
    ASSERT_TRUE(sim.running());
    for (std::vector<std::string> cmd : {std::vector<std::string>{"set-pin", "1234"},
                                         std::vector<std::string>{"get-emulation"},
                                         std::vector<std::string>{"set-power-save", "save", "5"}}) {
        auto r = sim.cli(cmd);
        EXPECT_EQ(r.exitCode, 2) << cmd[0];
        EXPECT_NE(r.err.find("No Response in printer"), std::string::npos) << r.err;
    }
    EXPECT_EQ(sim.cli({"set-pin", "01234567890"}).exitCode, 1);
    EXPECT_EQ(sim.cli({"set-code-page", "CP_999"}).exitCode, 1);
    EXPECT_EQ(sim.cli({"set-density", "+4"}).exitCode, 1);
    EXPECT_EQ(sim.cli({"save-serial-config", "--to-data-bits", "7", "--to-parity", "none"}).exitCode, 1);
}
