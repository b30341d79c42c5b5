// One command on four simulated printers at once (several --port options).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

TEST(MultiPortEndToEnd, ProfileWrittenToFourCommandModePrintersAtOnce) {
    std::vector<std::unique_ptr<SimProcess>> sims;
    for (int i = 0; i < 4; ++i) {
        sims.push_back(std::make_unique<SimProcess>(std::vector<std::string>{"--module", "command"}));
        ASSERT_TRUE(sims.back()->running());
    }
    json profile = {{"ssid", "Bench"}, {"encryption", "WPA"}, {"wpa_authentication", "WPA2-PSK"},
                    {"wpa_encryption", "AES"}, {"wpa_key", "benchkey1"}};
    std::string path = (sims[0]->dir() / "profile.json").string();
    std::ofstream(path) << profile.dump();

    std::vector<std::string> write{cliPath()};
    for (auto& s : sims) write.insert(write.end(), {"--port", s->link()});
    std::vector<std::string> read = write;
    write.insert(write.end(), {"wifi", "write", path});
    ProcessResult w = runProcess(write, 120000);
    ASSERT_EQ(w.exitCode, 0) << w.err;
    // One whole line per port, each prefixed by its port.
    for (auto& s : sims) EXPECT_NE(w.out.find(s->link() + ": Save Completed !!!\n"), std::string::npos) << w.out;
    EXPECT_EQ(std::count(w.out.begin(), w.out.end(), '\n'), 4);

    read.insert(read.end(), {"--json", "wifi", "read"});
    ProcessResult r = runProcess(read, 60000);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json all = json::parse(r.out, nullptr, false);
    ASSERT_TRUE(all.is_array()) << r.out;
    ASSERT_EQ(all.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(all[i]["port"], sims[i]->link());
        for (auto& [key, value] : profile.items()) EXPECT_EQ(all[i][key], value) << key;
    }
}

TEST(MultiPortEndToEnd, OneFailingPortMakesTheRunFail) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    std::string missing = (sim.dir() / "no-such-port").string();
    ProcessResult r = runProcess({cliPath(), "--port", sim.link(), "--port", missing, "wifi", "read"}, 60000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find(sim.link() + ": ssid: "), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(missing + ": "), std::string::npos) << r.err;
    ProcessResult net = runProcess({cliPath(), "--port", "a", "--port", "b", "net", "search"});
    EXPECT_EQ(net.exitCode, 1);
}
