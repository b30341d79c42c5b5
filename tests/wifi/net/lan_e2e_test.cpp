// setrion-cli net search/save against `setrion-sim lan` on the loopback broadcast.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_ports.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kCli = SETRION_BINARY_DIR "/cli/setrion-cli";
const std::string kSim = SETRION_BINARY_DIR "/sim/setrion-sim";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

pid_t spawn(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

struct CliRun {
    int exitCode = -1;
    std::string out, err;
    double seconds = 0;
};

class LanE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("setrion-lan-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        // Ports of this test process's own, so tests may run side by side.
        m_base = setrion::test::loopbackPortBlock();
    }
    void TearDown() override {
        stopSim();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string port(int k) const { return std::to_string(m_base + k); }

    void startSim(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {kSim,
                                         "lan",
                                         "--mgmt-port",
                                         port(0),
                                         "--text-port",
                                         port(1),
                                         "--state",
                                         (m_dir / "state.json").string(),
                                         "--max-seconds",
                                         "120"};
        args.insert(args.end(), extra.begin(), extra.end());
        m_sim = spawn(args, m_dir / "sim.out", m_dir / "sim.err");
        ASSERT_GT(m_sim, 0);
        auto until = Clock::now() + std::chrono::seconds(10);
        while (readFile(m_dir / "sim.out").find("lan ready") == std::string::npos) {
            ASSERT_LT(Clock::now(), until) << readFile(m_dir / "sim.err");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void stopSim() {
        if (m_sim <= 0) return;
        kill(m_sim, SIGTERM);
        int status = 0;
        for (int i = 0; i < 200 && waitpid(m_sim, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(m_sim, &status, WNOHANG) == 0) {
            kill(m_sim, SIGKILL);
            waitpid(m_sim, &status, 0);
        }
        m_sim = -1;
    }

    CliRun cli(std::vector<std::string> args, bool json = false) {
        std::vector<std::string> all = {kCli};
        if (json) all.push_back("--json");
        for (std::string a : {"net", "--broadcast", "127.255.255.255", "--mgmt-port", "",
                              "--mgmt-local-port", "", "--text-port", "", "--text-local-port", ""})
            all.push_back(a);
        all[all.size() - 7] = port(0);
        all[all.size() - 5] = port(2);
        all[all.size() - 3] = port(1);
        all[all.size() - 1] = port(3);
        all.insert(all.end(), args.begin(), args.end());
        auto start = Clock::now();
        pid_t pid = spawn(all, m_dir / "cli.out", m_dir / "cli.err");
        CliRun r;
        int status = 0;
        auto until = start + std::chrono::seconds(30);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << "setrion-cli did not end";
                return r;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readFile(m_dir / "cli.out");
        r.err = readFile(m_dir / "cli.err");
        return r;
    }

    fs::path writeJson(const nlohmann::json& j) {
        fs::path p = m_dir / "edit.json";
        std::ofstream(p) << j.dump();
        return p;
    }

    fs::path m_dir;
    uint16_t m_base = 0;
    pid_t m_sim = -1;
};

}  // namespace

TEST_F(LanE2e, SearchListsModulesInMacOrderThenTheTextPrinter) {
    startSim();
    CliRun r = cli({"search"}, true);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 4u) << r.out;
    EXPECT_EQ(list[0]["mac"], "02:00:00:00:00:01");
    EXPECT_EQ(list[1]["mac"], "02:00:00:00:00:02");
    EXPECT_EQ(list[2]["mac"], "02:00:00:00:00:03");
    EXPECT_EQ(list[3]["mac"], "02:00:00:00:00:A1");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i]["kind"], "module");
    EXPECT_EQ(list[3]["kind"], "text");
    EXPECT_EQ(list[0]["ip"], "127.0.0.1");
    EXPECT_EQ(list[0]["ssid"], "SimNet-1");
    EXPECT_EQ(list[0]["mode"], "infrastructure");
    EXPECT_EQ(list[0]["channel"], 6);
    EXPECT_EQ(list[0]["encryption"], "WPA");
    EXPECT_EQ(list[0]["wpa_authentication"], "WPA2-PSK");
    EXPECT_EQ(list[0]["wpa_encryption"], "AES");
    EXPECT_EQ(list[0]["tcp_port"], 9100);
    EXPECT_EQ(list[0]["dhcp"], false);
    EXPECT_EQ(list[3]["ssid"], "TextNet-1");
    EXPECT_EQ(list[3]["ip"], "192.168.1.100");

    CliRun plain = cli({"search"});
    EXPECT_EQ(plain.out.substr(0, plain.out.find('\n')),
              "02:00:00:00:00:01 127.0.0.1 SimNet-1 module");
}

TEST_F(LanE2e, SaveChangesSsidKeyAndDhcpAndASecondSearchShowsThem) {
    startSim();
    auto edit = writeJson(
        {{"ssid", "Workshop"}, {"wpa_key", "newsecret9"}, {"dhcp", true}, {"ip", "192.168.1.50"}});
    CliRun save = cli({"save", "02:00:00:00:00:03", edit.string()});
    EXPECT_EQ(save.exitCode, 0) << save.err;
    EXPECT_EQ(save.out, "Save Completed !!!\n");
    CliRun r = cli({"search"}, true);
    auto list = nlohmann::json::parse(r.out);
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[2]["ssid"], "Workshop");
    EXPECT_EQ(list[2]["wpa_key"], "newsecret9");
    EXPECT_EQ(list[2]["dhcp"], true);
    EXPECT_EQ(list[1]["ssid"], "SimNet-2");
    // The module kept the item the program does not model, and the derived key.
    auto state = nlohmann::json::parse(readFile(m_dir / "state.json"));
    EXPECT_EQ(state["modules"][2]["items"], 29);
}

TEST_F(LanE2e, PasswordProtectedModuleNeedsItsPassword) {
    startSim();
    auto edit = writeJson({{"ssid", "Locked"}, {"ip", "192.168.1.51"}});
    CliRun wrong = cli({"save", "02:00:00:00:00:02", edit.string()});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "Password mismatch error occured.\n");
    CliRun right = cli({"save", "02:00:00:00:00:02", edit.string(), "--password", "secret"});
    EXPECT_EQ(right.exitCode, 0) << right.err;
}

TEST_F(LanE2e, ModuleThatDoesNotAnswerWritesGivesNoResponseAfterAboutThreeSeconds) {
    startSim({"--silent-writes", "02:00:00:00:00:01"});
    auto edit = writeJson({{"ssid", "Nobody"}, {"ip", "192.168.1.52"}});
    CliRun r = cli({"save", "02:00:00:00:00:01", edit.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "No response from selected ezTCP.\n");
    // About 2 s of search, then the 3 s write window.
    EXPECT_GE(r.seconds, 4.9);
    EXPECT_LT(r.seconds, 7.5);
}

TEST_F(LanE2e, TextPrinterSaveIsConfirmedAndKeptInTheResultFile) {
    startSim();
    auto edit = writeJson({{"ssid", "Hall"}, {"dhcp", false}});
    fs::path result = m_dir / "result.out";
    CliRun r = cli({"save", "02:00:00:00:00:A1", edit.string(), "--result-file", result.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Save Completed !!!\n");
    std::string kept = readFile(result);
    ASSERT_EQ(kept.size(), 1013u);
    EXPECT_EQ(kept.substr(2, 12), "0200000000A1");
    EXPECT_EQ(kept.substr(14, 6), "Hall\r\n");
    EXPECT_EQ(kept[48], '0');
    auto list = nlohmann::json::parse(cli({"search"}, true).out);
    EXPECT_EQ(list.back()["ssid"], "Hall");
}

TEST_F(LanE2e, SaveWhoseResultFileFailsIsStillReportedSaved) {
    startSim();
    auto edit = writeJson({{"ssid", "Saved"}});
    std::ofstream(m_dir / "plain") << "a file, not a folder";
    const fs::path result = m_dir / "plain" / "result.out";
    CliRun r = cli({"save", "02:00:00:00:00:A1", edit.string(), "--result-file", result.string()});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Saved; result file not written: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(result.string()), std::string::npos) << r.err;
    auto list = nlohmann::json::parse(cli({"search"}, true).out);
    EXPECT_EQ(list.back()["ssid"], "Saved");
}

TEST_F(LanE2e, NothingAnsweringEndsAfterAboutTwoSeconds) {
    CliRun r = cli({"search"}, true);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Cannot search the Wi-Fi printer.\nPlease check the firewall...\n");
    EXPECT_GE(r.seconds, 1.9);
    EXPECT_LT(r.seconds, 4.0);
}

TEST_F(LanE2e, SimulatorStopsOnSigterm) {
    startSim();
    kill(m_sim, SIGTERM);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 100 && (done = waitpid(m_sim, &status, WNOHANG)) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(done, m_sim);
    m_sim = -1;
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A text printer on the LAN that answers the search with bytes that are not UTF-8 (and an
// escape sequence) in its SSID and its MAC text.
TEST_F(LanE2e, HostilePeerBytesGiveValidJsonAndEscapedText) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in here{};
    here.sin_family = AF_INET;
    here.sin_port = htons(static_cast<uint16_t>(m_base + 1));
    here.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&here), sizeof here), 0);
    const std::string mac =
                          "\xFF\xFE\xC3"
                          "000000000",
                      ssid = "\xFF\xFE\xC3\x1B[2J";
    std::thread peer([&] {
        std::string frame(1024, ' ');
        frame[0] = '\x02';
        frame.replace(3, 12, mac);
        frame.replace(15, ssid.size() + 2, ssid + "\r\n");
        frame.replace(1021, 3, "\r\n\x03");
        auto until = Clock::now() + std::chrono::seconds(25);
        while (Clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[2048];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                ::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n > 6 && std::string(buf + 1, 5) == "11111")
                ::sendto(fd, frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&from),
                         len);
            if (n > 6 && std::string(buf + 1, 5) == "STOP!") break;
        }
    });
    CliRun json = cli({"search"}, true);
    CliRun plain = cli({"search"});
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_port = here.sin_port;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, "\x02STOP!!", 8, 0, reinterpret_cast<sockaddr*>(&self), sizeof self);
    peer.join();
    ::close(fd);

    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto list = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_FALSE(list.is_discarded()) << json.out;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["ssid"], "\uFFFD\uFFFD\uFFFD\x1B[2J");
    EXPECT_EQ(list[0]["ssid_hex"], "FFFEC31B5B324A");
    EXPECT_EQ(list[0]["mac_hex"], "FFFEC3303030303030303030");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "\\xFF\\xFE\\xC3000000000 0.0.0.0 \\xFF\\xFE\\xC3\\x1B[2J text\n");
}

// A spaced SSID and passphrase through a JSON profile and an INI file, saved to a module and
// to a text-frame printer and read back whole by a search; devices that store less fail the
// save and the apply (exit 2) naming the field.
TEST_F(LanE2e, SpacedTextsAreSavedWholeAndADifferentReadBackFails) {
    const fs::path json = writeJson({{"ssid", "Office AP"},
                                     {"encryption", "WPA"},
                                     {"wpa_authentication", "WPA2-PSK"},
                                     {"wpa_encryption", "AES"},
                                     {"wpa_key", "my secret key"}});
    const fs::path ini = m_dir / "profile.ini";
    std::ofstream(ini, std::ios::binary)
        << "[WiFiInfo]\r\nSSID=Office AP\r\nENCRYPTION=3\r\nWPA=1\r\nWPAENC=1\r\n"
           "WPAKEY=my secret key\r\n";
    const std::string result = (m_dir / "result.out").string();
    struct Case {
        const char* mac;
        fs::path file;
        std::vector<std::string> sim;
        std::string command;
        int exitCode;
    };
    const Case cases[] = {
        {"02:00:00:00:00:03", json, {}, "save", 0},
        {"02:00:00:00:00:03", ini, {}, "save", 0},
        {"02:00:00:00:00:A1", json, {}, "save", 0},
        {"02:00:00:00:00:A1", ini, {}, "save", 0},
        {"02:00:00:00:00:03", json, {"--ssid-keeps", "6"}, "save", 2},
        {"02:00:00:00:00:A1", ini, {"--ssid-keeps", "6"}, "apply", 2},
    };
    for (const Case& c : cases) {
        stopSim();
        startSim(c.sim);
        const std::string label = std::string(c.mac) + " " + c.file.filename().string();
        CliRun r = c.command == "save"
                       ? cli({"save", c.mac, c.file.string(), "--result-file", result})
                       : cli({"apply", c.file.string(), "--mac", c.mac, "--result-file", result});
        ASSERT_EQ(r.exitCode, c.exitCode) << label << ": " << r.err << r.out;
        if (c.exitCode != 0) {
            const std::string all = r.out + r.err;
            EXPECT_NE(all.find("ssid: written \"Office AP\", read back \"Office\""),
                      std::string::npos)
                << all;
            EXPECT_EQ(r.out.find("Save Completed"), std::string::npos) << r.out;  // the result
            continue;
        }
        EXPECT_EQ(r.out, "Save Completed !!!\n") << label;
        auto list = nlohmann::json::parse(cli({"search"}, true).out);
        bool seen = false;
        for (const auto& p : list) {
            if (p["mac"] != c.mac) continue;
            seen = true;
            EXPECT_EQ(p["ssid"], "Office AP") << label;
            EXPECT_EQ(p["wpa_key"], "my secret key") << label;
        }
        EXPECT_TRUE(seen) << label;
    }
}

// An empty WPA key is refused, naming it, and the module keeps its key; a saved SSID that is not
// UTF-8 is kept in the simulator's state as the CLI's JSON keeps device texts.
TEST_F(LanE2e, AnEmptyKeyIsRefusedAndAnyBytesAreKept) {
    startSim();
    CliRun empty = cli({"save", "02:00:00:00:00:01", writeJson({{"wpa_key", ""}}).string()});
    EXPECT_NE(empty.err.find("wpa_key: an empty key would erase the module's key"),
              std::string::npos);
    auto edit = writeJson({{"ssid_hex", "C3284F6666696365"}});
    EXPECT_EQ(cli({"save", "02:00:00:00:00:03", edit.string()}).exitCode, 0);
    auto state = nlohmann::json::parse(readFile(m_dir / "state.json"));
    EXPECT_EQ(state["modules"][0]["wpa_key"], "simpass-1");
    EXPECT_EQ(state["modules"][0]["writes"], 0);
    EXPECT_EQ(state["modules"][2]["ssid_hex"], "C3284F6666696365");
}
