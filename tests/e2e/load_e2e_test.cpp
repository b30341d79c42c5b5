// setrion-cli against setrion-sim while a CPU hog keeps every core busy and the CLI runs at
// the lowest priority: every reply must still be collected, within the usual bounds.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {

// Two spinning threads a core, until destroyed.
class CpuHog {
public:
    CpuHog() {
        unsigned n = 2 * std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            m_threads.emplace_back([this] {
                volatile unsigned long spin = 0;
                while (!m_stop.load(std::memory_order_relaxed)) spin = spin + 1;
            });
    }
    ~CpuHog() {
        m_stop = true;
        for (auto& t : m_threads) t.join();
    }
    CpuHog(const CpuHog&) = delete;
    CpuHog& operator=(const CpuHog&) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

// The CLI under `nice -n 19`, so the hog wins whenever both want a core.
ProcessResult niceCli(const SimProcess& sim, std::vector<std::string> args) {
    std::vector<std::string> all{"/usr/bin/nice", "-n", "19", cliPath(), "--port", sim.link()};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(all, 120000);
}

}  // namespace

TEST(LoadEndToEnd, WifiWriteThenReadWhileEveryCoreIsBusy) {
    SimProcess sim({"--module", "command"});
    ASSERT_TRUE(sim.running());
    const json profile = {{"ssid", "Loaded"},         {"encryption", "WPA"},
                          {"wpa_authentication", "WPA2-PSK"}, {"wpa_encryption", "AES"},
                          {"wpa_key", "busycores"},   {"dhcp", false},
                          {"ip", "192.168.7.30"},     {"channel", 6}};
    const std::string path = (sim.dir() / "profile.json").string();
    std::ofstream(path) << profile.dump();

    CpuHog hog;
    ProcessResult w = niceCli(sim, {"wifi", "write", path});
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(w.out, "Save Completed !!!\n");

    ProcessResult r = niceCli(sim, {"--json", "wifi", "read"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json read = json::parse(r.out, nullptr, false);
    ASSERT_FALSE(read.is_discarded()) << r.out;
    for (auto& [key, value] : profile.items()) EXPECT_EQ(read[key], value) << key;
}
