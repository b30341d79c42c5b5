// setrion-cli and setrion-sim facing faults: ports that do not open, printers that never
// answer, files that are no fonts, and a simulator link path already taken.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "tests/support/child_process.h"
#include "tests/support/font_bytes.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// `args` run with stdout on /dev/full.
ProcessResult intoFullDisk(std::vector<std::string> args) {
    std::vector<std::string> all{"/bin/sh", "-c", "exec \"$0\" \"$@\" > /dev/full", cliPath()};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(all);
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
    fs::create_symlink(d / "loop2.ttf", d / "loop1.ttf");
    fs::create_symlink(d / "loop1.ttf", d / "loop2.ttf");
    const std::vector<std::pair<std::string, std::string>> cases{
        {(d / "empty.ttf").string(), ": the file is empty"},
        {(d / "notes.ttf").string(), ": not a TrueType or OpenType font"},
        {(d / "cut.ttf").string(), ": truncated font (its tables run past the end of the file)"},
        {(d / "fifo.ttf").string(), ": not a regular file"},
        {"/dev/zero", ": not a regular file"},
        {(d / "loop1.ttf").string(), ": a loop of symbolic links"},
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

// SIGINT while a font job crawls over a slow line: the job is closed, the printer leaves it and
// drops it, answers the next command, and the next download is really stored.
TEST(InterruptedFontDownloadEndToEnd, ClosesTheJobSoThePrinterAnswersAndStoresTheNext) {
    SimProcess sim({"--emulation", "cpcl", "--line-rate", "8000", "--latency-ms", "1"});
    ASSERT_TRUE(sim.running());
    const std::string font = (sim.dir() / "Slow.ttf").string();
    writeFile(font, trueTypeBytes(20000));
    ChildProcess cli({cliPath(), "--port", sim.link(), "download-font", font, "--id", "120"});
    ASSERT_TRUE(cli.waitFor("progress: 10%", 20000)) << cli.err();
    EXPECT_EQ(sim.stateWhen([](const auto& j) { return j["fonts"]["in_job"] == true; })["fonts"]["in_job"], true);
    cli.signal(SIGINT);
    EXPECT_EQ(cli.finish(20000), 130) << cli.err();
    EXPECT_TRUE(std::regex_search(cli.err(), std::regex("interrupted: font not stored \\(job cut after \\d+ of 43796 bytes\\)\\. The unfinished font job was closed; the printer drops it\\.\n")))
        << cli.err();
    const auto left = sim.stateWhen([](const auto& j) { return j["fonts"]["rejected"] == 1; }, 20000);
    EXPECT_EQ(left["fonts"]["in_job"], false);
    EXPECT_EQ(left["fonts"]["stored"].size(), 0u);
    ProcessResult answered = sim.cli({"get-emulation"});
    EXPECT_EQ(answered.exitCode, 0) << answered.err;
    EXPECT_EQ(answered.out, "CPCL\n");

    ProcessResult again = sim.cli({"download-font", font, "--id", "120"}, 60000);
    EXPECT_EQ(again.exitCode, 0) << again.err;
    const auto stored = sim.stateWhen([](const auto& j) { return !j["fonts"]["stored"].empty(); }, 20000);
    ASSERT_EQ(stored["fonts"]["stored"].size(), 1u) << stored.dump();
    EXPECT_EQ(stored["fonts"]["stored"][0]["id"], 120);
    EXPECT_EQ(stored["fonts"]["stored"][0]["size"], 20000);
    EXPECT_EQ(stored["fonts"]["rejected"], 1);
}

// Output that cannot be written (a full disk) fails the command with the reason, whatever it
// printed: a settings backup is never lost without a sign.
TEST(FailedOutputEndToEnd, AFullDiskFailsEveryCommandWithItsReason) {
    SimProcess block({"--module", "block"});
    SimProcess second({});
    ASSERT_TRUE(block.running() && second.running());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--port", block.link(), "--json", "wifi", "read"},
          {"--port", block.link(), "get-bluetooth"},
          {"--json", "ports"},
          {"--port", block.link(), "--port", second.link(), "get-emulation"}}) {
        ProcessResult r = intoFullDisk(args);
        EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
        EXPECT_TRUE(
            r.err.ends_with("setrion-cli: cannot write the output: No space left on "
                            "device\n"))
            << r.err;
    }
}

// --keep names a file: a device or a folder is refused before anything is made or sent; an INI
// file in UTF-16 is named for its encoding.
TEST(SmallFaultsEndToEnd, KeptJobNamesAndUtf16IniAreRefusedNamed) {
    SimProcess sim({});
    ASSERT_TRUE(sim.running());
    const fs::path d = sim.dir();
    writeFile(d / "ok.ttf", trueTypeBytes(64));
    fs::create_directories(d / "jobs");
    for (const auto& [keep, reason] : std::vector<std::pair<std::string, std::string>>{
             {"/dev/full", "/dev/full: not a regular file, not replaced"},
             {(d / "jobs/").string(), (d / "jobs/").string() + ": a folder, not a file name"}}) {
        ProcessResult r =
            sim.cli({"download-font", (d / "ok.ttf").string(), "--id", "100", "--keep", keep});
        EXPECT_EQ(r.exitCode, 2) << keep;
        EXPECT_EQ(r.err, reason + "\n");
    }
    EXPECT_FALSE(fs::exists("/dev/full.tfd"));
    EXPECT_TRUE(fs::is_empty(d / "jobs"));
    EXPECT_EQ(sim.recorded(), "");

    // "[WiFiInfo]\r\nSSID=Office\r\n" in UTF-16 with its byte order mark.
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("[WiFiInfo]\r\nSSID=Office\r\n")) utf16 += std::string{c, '\0'};
    writeFile(d / "wide.ini", utf16);
    ProcessResult ini = sim.cli({"wifi", "write", (d / "wide.ini").string()});
    EXPECT_EQ(ini.exitCode, 1);
    EXPECT_EQ(ini.err, (d / "wide.ini").string() +
                           ": the file is UTF-16 (little-endian) text; save it as UTF-8 (or ANSI) "
                           "and try again\n");
    EXPECT_EQ(sim.recorded(), "");
}
