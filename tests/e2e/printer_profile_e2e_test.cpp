// printer read / printer apply against setrion-sim of each emulation.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;
using namespace std::literals;

namespace {

std::string writeProfile(const SimProcess& sim, const std::string& name, const std::string& text) {
    const std::string path = (sim.dir() / name).string();
    std::ofstream(path) << text;
    return path;
}

json printerSettingsOf(const SimProcess& sim) { return sim.state()["settings"]; }

}  // namespace

// What each emulation reports, and that applying its own reading changes nothing.
TEST(PrinterProfileEndToEnd, ReadThenApplyTheSameFileChangesNothing) {
    struct Case {
        const char* emulation;
        json reported;                    // the whole JSON of `printer read`
        std::vector<std::string> unknown; // listed as unknown in the text reading
    };
    const Case cases[] = {
        {"cpcl",
         {{"emulation", "cpcl"}, {"baud", 19200}, {"parity", "none"}, {"stop_bits", 1},
          {"bluetooth_address", "00:19:01:2A:3B:4C"}, {"discoverable", "on"}, {"media", "gap"}},
         {"power_save", "code_page", "density"}},
        {"escpos",
         {{"emulation", "escpos"}, {"bluetooth_address", "00:19:01:2A:3B:4C"}, {"discoverable", "on"}},
         {"baud", "parity", "bluetooth_pin", "density"}},
        {"zpl", {{"emulation", "zpl"}}, {"code_page", "density"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.emulation);
        SimProcess sim({"--emulation", c.emulation});
        ASSERT_TRUE(sim.running());
        auto read = sim.cli({"--json", "printer", "read"}, 60000);
        ASSERT_EQ(read.exitCode, 0) << read.err;
        EXPECT_EQ(json::parse(read.out, nullptr, false), c.reported) << read.out;
        auto text = sim.cli({"printer", "read"}, 60000);
        for (const auto& key : c.unknown) EXPECT_NE(text.out.find(key + ": unknown ("), std::string::npos) << text.out;

        const std::string path = writeProfile(sim, "own.json", read.out);
        auto apply = sim.cli({"--json", "printer", "apply", path}, 60000);
        ASSERT_EQ(apply.exitCode, 0) << apply.err;
        json report = json::parse(apply.out, nullptr, false);
        EXPECT_EQ(report["changed"], false) << apply.out;
        EXPECT_EQ(report["result"], "Unchanged: not written");
        EXPECT_EQ(report["diff"], json::object());
        EXPECT_EQ(printerSettingsOf(sim)["pin"], "0000");
    }
}

TEST(PrinterProfileEndToEnd, ProfileReachesFourPrintersAtOnce) {
    std::vector<std::unique_ptr<SimProcess>> sims;
    for (int i = 0; i < 4; ++i) {
        sims.push_back(std::make_unique<SimProcess>(std::vector<std::string>{"--emulation", "cpcl"}));
        ASSERT_TRUE(sims.back()->running());
    }
    const std::string path = writeProfile(*sims[0], "site.json",
                                          R"({"density": "+3", "code_page": "WINDOWS_1251", "media": "bar"})");
    std::vector<std::string> args{cliPath()};
    for (auto& s : sims) args.insert(args.end(), {"--port", s->link()});
    args.insert(args.end(), {"--json", "printer", "apply", path});
    ProcessResult r = runProcess(args, 120000);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json all = json::parse(r.out, nullptr, false);
    ASSERT_TRUE(all.is_array() && all.size() == 4) << r.out;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(all[i]["changed"], true);
        EXPECT_EQ(all[i]["diff"]["media"], json::array({"gap", "bar"}));
        EXPECT_EQ(all[i]["diff"]["density"], json::array({"unknown", "+3"}));
        EXPECT_EQ(all[i]["unknown"], json::array({"code_page", "density"}));
        json s = sims[i]->stateWhen([](const json& j) { return j["settings"]["density"] == 4; })["settings"];
        EXPECT_EQ(s["code_page_name"], "WINDOWS_1251");
        EXPECT_EQ(s["media_sense"], "bar");
    }
}

// Plain text: the plan, the unknown keys, serial parameters last in the switched emulation's
// dialect; --dry-run and --skip-unchanged as on the Wi-Fi side.
TEST(PrinterProfileEndToEnd, PlanThenSendSerialParametersLast) {
    SimProcess sim({"--emulation", "escpos"});
    ASSERT_TRUE(sim.running());
    const std::string path = writeProfile(
        sim, "p.json",
        R"({"emulation": "cpcl", "baud": 38400, "parity": "even", "discoverable": "off", "power_save": "off", "power_save_minutes": 30})");

    auto dry = sim.cli({"printer", "apply", path, "--dry-run"}, 60000);
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(dry.out,
              "emulation: escpos -> cpcl\nbaud: unknown -> 38400\nparity: unknown -> even\n"
              "discoverable: on -> off\npower_save: unknown -> off\npower_save_minutes: unknown -> 30\n"
              "unknown (the printer does not report them; always sent): baud, parity, power_save, "
              "power_save_minutes\n");
    EXPECT_EQ(printerSettingsOf(sim)["emulation_switches"], 0);

    auto apply = sim.cli({"printer", "apply", path}, 60000);
    ASSERT_EQ(apply.exitCode, 0) << apply.err;
    EXPECT_NE(apply.out.find("Printer settings applied\n"), std::string::npos) << apply.out;
    EXPECT_NE(apply.out.find("not read back (reopen at the new line settings to check): baud, parity"),
              std::string::npos);
    json s = sim.stateWhen([](const json& j) { return j["settings"]["line"]["baud"] == 38400; })["settings"];
    EXPECT_EQ(s["line"]["parity"], "even");  // by the CPCL lines and com_apply
    EXPECT_EQ(s["emulation_switches"], 1);
    EXPECT_EQ(s["discoverable"], false);
    EXPECT_EQ(s["power_save"]["minutes"], 30);

    // Now CPCL reports what it was sent: only the write-only power save remains a change.
    auto again = sim.cli({"--json", "printer", "apply", path, "--skip-unchanged"}, 60000);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(json::parse(again.out, nullptr, false)["diff"],
              json({{"power_save", {"unknown", "off"}}, {"power_save_minutes", {"unknown", 30}}}));
}

TEST(PrinterProfileEndToEnd, FaultsAreRefusedBeforeAnythingIsSent) {
    SimProcess sim({"--emulation", "escpos"});
    ASSERT_TRUE(sim.running());
    struct Case {
        std::string_view profile;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {R"({"density": 2})", 1, "density: expected one of \"-1\", \"0\", \"+1\", \"+2\", \"+3\""},
        {R"({"baud": 12345})", 1, "baud: expected one of 1200, 2400"},
        {R"({"code_page": "CP_999"})", 1, "code_page: expected a code page name"},
        {R"({"power_save_minutes": 5})", 1, "power_save_minutes: needs power_save beside it"},
        {R"({"data_bits": 7, "parity": "none"})", 1, "data_bits: 7 data bits need parity"},
        {R"({"media": "gap"})", 2, "media: ESC/POS printers take no media sensing command; nothing was sent"},
        {R"({"emulation": "zpl"})", 2, "emulation: only \"cpcl\" and \"escpos\" can be switched to"},
        {"{\"density\": \"+2\"}\0{\"x\":1}"sv, 1, "a NUL byte at offset 17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        const std::string path = writeProfile(sim, "bad.json", std::string(c.profile));
        auto r = sim.cli({"printer", "apply", path}, 60000);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    json s = printerSettingsOf(sim);
    EXPECT_EQ(s["density"], 2);
    EXPECT_EQ(s["media_sense"], "gap");
}
