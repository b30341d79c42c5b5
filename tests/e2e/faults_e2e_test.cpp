// setrion-cli and setrion-sim facing faults: ports that do not open, printers that never
// answer, files that are no fonts, and a simulator link path already taken.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/font_bytes.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace

TEST(PortFailureEndToEnd, OneDeviceNamedTwiceIsRefused) {
    SimProcess sim({});
    ASSERT_TRUE(sim.running());
    // The link and the pty it names are one device: refused before anything is sent.
    const std::string pty = fs::read_symlink(sim.link()).string();
    ProcessResult twice = sim.cli({"--port", pty, "probe"});
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_EQ(twice.err, "--port " + sim.link() + " and --port " + pty + " name the same device\n");
    EXPECT_EQ(sim.recorded(), "");
}

TEST(SilentPrinterEndToEnd, SettersFailAndSendNothingButTheProbe) {
    SimProcess sim({"--silent"});
    ASSERT_TRUE(sim.running());
    for (std::vector<std::string> cmd : {std::vector<std::string>{"set-density", "+1"},
                                         {"set-code-page", "CP_437"},
                                         {"set-emulation", "cpcl"},
                                         {"setvar", "comm.baud", "9600"},
                                         {"print-code-page"}}) {
        ProcessResult r = sim.cli(cmd);
        EXPECT_EQ(r.exitCode, 2) << cmd[0];
        EXPECT_EQ(r.err, "No Response in printer\n") << cmd[0];
        EXPECT_EQ(r.out, "") << cmd[0];
    }
    // Wake-up zeros and probes, nothing else.
    const std::string probe("\x1C\x45\x43", 3);
    std::string recorded = sim.recorded();
    std::erase(recorded, '\0');
    EXPECT_FALSE(recorded.empty());
    for (size_t i = 0; i < recorded.size(); i += probe.size())
        EXPECT_EQ(recorded.substr(i, probe.size()), probe) << "byte " << i;
}

TEST(SilentPrinterEndToEnd, UnknownEmulationIsAFailure) {
    SimProcess sim({"--probe-answer", "7A"});
    ASSERT_TRUE(sim.running());
    ProcessResult r = sim.cli({"get-emulation"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Unkonwn Emulation\n");
}

TEST(FontFileEndToEnd, OnlyAFontBecomesAJob) {
    SimProcess sim({});
    ASSERT_TRUE(sim.running());
    const fs::path d = sim.dir();
    writeFile(d / "empty.ttf", "");
    writeFile(d / "notes.ttf", "Dear technician,\nthis is no font.\n");
    std::string cut = trueTypeBytes(200);
    cut.resize(100);
    writeFile(d / "cut.ttf", cut);
    ASSERT_EQ(::mkfifo((d / "fifo.ttf").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases{
        {(d / "empty.ttf").string(), ": the file is empty"},
        {(d / "notes.ttf").string(), ": not a TrueType or OpenType font"},
        {(d / "cut.ttf").string(), ": truncated font (its tables run past the end of the file)"},
        {(d / "fifo.ttf").string(), ": not a regular file"},
        {"/dev/zero", ": not a regular file"},
    };
    for (const auto& [file, reason] : cases) {
        ProcessResult r = sim.cli({"download-font", file, "--id", "100"}, 5000);
        EXPECT_EQ(r.exitCode, 2) << file;  // -1 would mean it blocked
        EXPECT_EQ(r.err, file + reason + "\n");
    }
    EXPECT_EQ(sim.recorded(), "");  // the port was never written

    writeFile(d / "ok.ttf", trueTypeBytes(64));
    ProcessResult ok = runProcess({cliPath(), "font-job", (d / "ok.ttf").string(), "--id", "100",
                                   "-o", (d / "ok.tfd").string()});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
}

TEST(SimulatorLinkEndToEnd, AnExistingPathIsNotTakenOver) {
    SimProcess first({});
    ASSERT_TRUE(first.running());
    const fs::path regular = first.dir() / "kept.txt";
    writeFile(regular, "keep me");
    for (const std::string& path : {regular.string(), first.link()}) {
        ProcessResult r = runProcess({simPath(), "--link", path}, 5000);
        EXPECT_EQ(r.exitCode, 2) << path;
        EXPECT_NE(r.err.find("will not create the link " + path + ": "), std::string::npos)
            << r.err;
    }
    std::ifstream in(regular);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
    EXPECT_EQ(first.cli({"probe"}).exitCode, 0);  // the first simulator's link still works

    // A dangling link to a pty, as a simulator killed outright leaves it, is replaced.
    const fs::path stale = first.dir() / "stale";
    fs::create_symlink("/dev/pts/999999", stale);
    ProcessResult r = runProcess({simPath(), "--link", stale.string()}, 1000);
    EXPECT_EQ(r.exitCode, -1) << r.err;  // it served until its time limit
    EXPECT_NE(fs::read_symlink(stale), fs::path("/dev/pts/999999"));
}
