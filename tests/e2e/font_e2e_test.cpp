// A real TrueType file downloaded to the simulated printer arrives byte for byte.
#include <openssl/sha.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/hex.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
using nlohmann::json;

namespace {
const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string sha256Hex(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    return setrion::toHex(digest);
}
}  // namespace

TEST(FontEndToEnd, SystemFontArrivesByteIdenticalAndIsKept) {
    if (!std::filesystem::exists(kFont)) GTEST_SKIP() << kFont << " is not installed";
    SimProcess sim({"--emulation", "cpcl", "--latency-ms", "1"});
    ASSERT_TRUE(sim.running());
    std::string kept = (sim.dir() / "dejavu").string();
    ProcessResult r = sim.cli({"--baud", "115200", "download-font", kFont, "--id", "101",
                               "--memory", "flash", "--keep", kept},
                              240000);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Font download is success.\n");
    EXPECT_NE(r.err.find("progress: 100%"), std::string::npos);
    EXPECT_EQ(r.err.find("progress: 100%"), r.err.rfind("progress: 100%")) << r.err;
    EXPECT_TRUE(std::filesystem::exists(kept + ".tfd"));

    std::string want = sha256Hex(kFont);
    json state = sim.stateWhen([](const json& j) {
        return j.contains("fonts") && !j["fonts"]["stored"].empty();
    });
    ASSERT_FALSE(state["fonts"]["stored"].empty()) << state.dump();
    std::string got = state["fonts"]["stored"][0].dump();
    std::string lowerWant = want;
    for (auto& c : lowerWant) c = static_cast<char>(std::tolower(c));
    EXPECT_TRUE(got.find(want) != std::string::npos || got.find(lowerWant) != std::string::npos)
        << got;
}

TEST(FontEndToEnd, MissingFontStopsBeforeOpeningThePort) {
    ProcessResult r = runProcess({cliPath(), "--port", "/dev/setrion-missing", "download-font",
                                  "/nonexistent/x.ttf", "--id", "100"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "/nonexistent/x.ttf file is not exist\n");
}
