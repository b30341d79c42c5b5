// The desktop program as a process: its options without a display, and the demo's simulators
// and folders when a signal ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "setrion_version.h"
#include "tests/support/child_process.h"
#include "tests/support/sim_process.h"

using namespace setrion::test;
namespace fs = std::filesystem;

namespace {

std::string guiPath() {
    return SETRION_BINARY_DIR "/gui/setrion";
}

struct NoDisplayCase {
    std::vector<std::string> args;
    const char* display;  // nullptr: unset
    int exitCode;
    const char* out;
    const char* err;
};

TEST(ProgramWithoutDisplay, OptionsWorkAndAWindowIsRefusedInOneLine) {
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    const NoDisplayCase cases[] = {
        {{"--version"}, nullptr, 0, "setrion " SETRION_VERSION "\n", ""},
        {{"--help"}, nullptr, 0, "--demo", ""},
        {{"--bogus"}, nullptr, 1, "", "bogus"},
        {{},
         nullptr,
         2,
         "",
         "setrion: no display: DISPLAY is not set; setrion-cli does the same from a terminal\n"},
        {{"--demo"},
         ":987",
         2,
         "",
         "setrion: no display: the X display :987 does not answer; setrion-cli does the same "
         "from a terminal\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args[0]);
        if (c.display)
            ::setenv("DISPLAY", c.display, 1);
        else
            ::unsetenv("DISPLAY");
        std::vector<std::string> args{guiPath()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult r = runProcess(args, 20000);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        if (*c.err == 0 || c.exitCode != 2)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, c.err);
    }
}

// The children of `parent` and the folders their links and state files are in.
void childrenOf(pid_t parent, std::vector<pid_t>& pids, std::set<fs::path>& folders) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid != parent) continue;
        pids.push_back(static_cast<pid_t>(std::stoi(name)));
        std::ifstream cmd(entry.path() / "cmdline");
        std::vector<std::string> args;
        for (std::string a; std::getline(cmd, a, '\0');) args.push_back(a);
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "--state") folders.insert(fs::path(args[i + 1]).parent_path());
    }
}

bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

struct DemoCase {
    int signal;
    int times;
    int exitCode;
    bool foldersRemoved;
};

class DemoEnded : public ::testing::TestWithParam<DemoCase> {};

TEST_P(DemoEnded, LeavesNoSimulatorAndNoFolder) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("SETRION_SIM", simPath().c_str(), 1);
    ChildProcess demo({guiPath(), "--demo"});
    ASSERT_TRUE(demo.waitFor("simulated LAN on", 60000)) << demo.err();
    std::vector<pid_t> children;
    std::set<fs::path> folders;
    childrenOf(demo.pid(), children, folders);
    EXPECT_EQ(children.size(), 4u);  // three printers and the LAN
    EXPECT_EQ(folders.size(), 2u);   // setrion-demo-* and setrion-lan-*

    for (int i = 0; i < GetParam().times; ++i) {
        demo.signal(GetParam().signal);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(demo.finish(20000), GetParam().exitCode) << demo.err();
    for (pid_t child : children) {
        for (int i = 0; i < 250 && !ended(child); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(ended(child)) << child;
    }
    for (const auto& folder : folders) {
        EXPECT_EQ(fs::exists(folder), !GetParam().foldersRemoved) << folder;
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, DemoEnded,
                         ::testing::Values(DemoCase{SIGTERM, 1, 143, true},
                                           DemoCase{SIGINT, 1, 130, true},
                                           DemoCase{SIGHUP, 1, 129, true},
                                           DemoCase{SIGTERM, 2, 143, true},
                                           // Nothing can remove the folders; the children
                                           // still end with it.
                                           DemoCase{SIGKILL, 1, 137, false}));

}  // namespace
