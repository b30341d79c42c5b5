// Runs a private cupsd (own directories, a Unix socket in a temporary folder), adds a raw
// queue on serial:/dev/ttyS0 with lpadmin and checks the conflict check against it.
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/port_opening.h"
#include "link/spooler.h"
#include "tests/link/fake_port_opener.h"

extern char** environ;

using namespace setrion;
using namespace setrion::test;
namespace fs = std::filesystem;

namespace {

int runAndWait(std::vector<std::string> args, pid_t* keep = nullptr) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    if (keep) {
        *keep = pid;
        return 0;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PrivateCupsd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!systemSpoolerIsCups()) GTEST_SKIP() << "built without libcups";
        if (access("/usr/sbin/cupsd", X_OK) != 0 || access("/usr/sbin/lpadmin", X_OK) != 0)
            GTEST_SKIP() << "cupsd or lpadmin not installed";
        char tmpl[] = "/tmp/setrion-cupsd-XXXXXX";
        if (!mkdtemp(tmpl)) GTEST_SKIP() << "no temporary folder";
        m_dir = tmpl;
        for (const char* d : {"spool", "cache", "state", "log", "tmp"}) fs::create_directory(m_dir / d);
        m_socket = (m_dir / "cups.sock").string();
        const std::string dir = m_dir.string();
        std::ofstream(m_dir / "cupsd.conf")
            << "Listen " << m_socket << "\nLogLevel warn\nBrowsing No\nWebInterface No\n"
            << "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            << "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n";
        std::ofstream(m_dir / "cups-files.conf")
            << "ServerRoot " << dir << "\nRequestRoot " << dir << "/spool\nCacheDir " << dir
            << "/cache\nStateDir " << dir << "/state\nTempDir " << dir << "/tmp\nErrorLog " << dir
            << "/log/error_log\nAccessLog " << dir << "/log/access_log\nPageLog " << dir
            << "/log/page_log\n";
        if (runAndWait({"/usr/sbin/cupsd", "-f", "-c", (m_dir / "cupsd.conf").string(), "-s",
                        (m_dir / "cups-files.conf").string()},
                       &m_pid) != 0)
            GTEST_SKIP() << "cupsd did not start";
        setenv("CUPS_SERVER", m_socket.c_str(), 1);
        cupsSetServer(m_socket.c_str());
        // Bounded wait for the server to answer.
        bool up = false;
        for (int i = 0; i < 100 && !up; ++i) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            if (fs::exists(m_socket)) {
                http_t* http = httpConnect2(m_socket.c_str(), 0, nullptr, AF_UNSPEC,
                                            HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr);
                if (http) {
                    up = true;
                    httpClose(http);
                }
            }
            if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!up) GTEST_SKIP() << "cupsd did not come up";
    }
    void TearDown() override {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (waitpid(m_pid, &status, WNOHANG) == 0) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
            }
        }
        unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
        std::error_code ec;
        if (!m_dir.empty()) fs::remove_all(m_dir, ec);
    }

    fs::path m_dir;
    std::string m_socket;
    pid_t m_pid = -1;
};

}  // namespace

TEST_F(PrivateCupsd, RawQueueOnTtyS0RefusesCom1AndAllowsCom2) {
    ASSERT_EQ(runAndWait({"/usr/sbin/lpadmin", "-h", m_socket, "-p", "SetrionRaw", "-v",
                          "serial:/dev/ttyS0?baud=9600", "-E"}),
              0);
    auto spooler = makeSystemSpooler();
    auto queues = spooler->queues();
    ASSERT_TRUE(queues);
    ASSERT_EQ(queues->size(), 1u);
    EXPECT_EQ((*queues)[0].name, "SetrionRaw");
    EXPECT_EQ((*queues)[0].driverName, "Local Raw Printer");  // a raw queue has no driver

    FakePortOpener opener;
    auto r = openPrinterPort("COM1", {}, {}, *spooler, opener, noEnv);
    EXPECT_EQ(r.status, PortOpenResult::Status::DriverConflict);
    EXPECT_EQ(r.conflict->printerName, "SetrionRaw");
    EXPECT_EQ(r.conflict->portName, "serial:/dev/ttyS0?baud=9600");
    EXPECT_TRUE(opener.serialOpens.empty());

    r = openPrinterPort("COM2", {}, {}, *spooler, opener, noEnv);
    EXPECT_TRUE(r.opened());
    EXPECT_FALSE(r.enumerationFailed);
    EXPECT_EQ(opener.serialOpens, std::vector<std::string>{"/dev/ttyS1"});
}

TEST_F(PrivateCupsd, ServerWithoutQueuesGivesNoConflict) {
    auto spooler = makeSystemSpooler();
    auto queues = spooler->queues();
    ASSERT_TRUE(queues);
    EXPECT_TRUE(queues->empty());
}

TEST(SystemSpooler, UnreachableServerIsNoSpooler) {
    if (!systemSpoolerIsCups()) GTEST_SKIP() << "built without libcups";
    cupsSetServer("/nonexistent/setrion/cups.sock");
    auto queues = makeSystemSpooler()->queues();
    cupsSetServer(nullptr);
    ASSERT_TRUE(queues);
    EXPECT_TRUE(queues->empty());
}
