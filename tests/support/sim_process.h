#pragma once
// End-to-end helpers: a setrion-sim on a pty in a temporary folder, and setrion-cli runs
// against it, every wait bounded.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

extern char** environ;

namespace setrion::test {

inline std::string simPath() { return SETRION_BINARY_DIR "/sim/setrion-sim"; }
inline std::string cliPath() { return SETRION_BINARY_DIR "/cli/setrion-cli"; }

struct ProcessResult {
    int exitCode = -1;  // -1: killed at its time limit
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs a program to its end (killed after `limitMs`), capturing stdout and stderr.
inline ProcessResult runProcess(const std::vector<std::string>& args, int limitMs = 20000) {
    ProcessResult r;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return r;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&fa, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&fa, outPipe[0]);
    posix_spawn_file_actions_addclose(&fa, errPipe[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return r;
    }
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    auto deadline = start + std::chrono::milliseconds(limitMs);
    bool killed = false;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exitCode = (!killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return r;
}

// A simulated printer on a pty, linked at dir()/printer, state at dir()/state.json.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        static int counter = 0;
        m_dir = std::filesystem::temp_directory_path() /
                ("setrion-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_dir);
        std::vector<std::string> all{simPath(), "--link", link(), "--state", statePath(),
                                     "--record", recordPath()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, (m_dir / "sim.log").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        if (posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        for (int i = 0; i < 100 && m_pid > 0 && !std::filesystem::exists(link()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~SimProcess() {
        stop();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return m_pid > 0 && std::filesystem::exists(link()); }
    bool running() const { return ready(); }
    std::string link() const { return (m_dir / "printer").string(); }
    std::string statePath() const { return (m_dir / "state.json").string(); }
    std::string recordPath() const { return (m_dir / "record.bin").string(); }
    const std::filesystem::path& dir() const { return m_dir; }

    // setrion-cli --port <this printer> args...
    ProcessResult cli(std::vector<std::string> args, int limitMs = 20000) const {
        std::vector<std::string> all{cliPath(), "--port", link()};
        all.insert(all.end(), args.begin(), args.end());
        return runProcess(all, limitMs);
    }

    // The state file as last written (after a short settle, the simulator writes it after
    // each change).
    nlohmann::json state() const {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream in(statePath());
        nlohmann::json j;
        if (in) in >> j;
        return j;
    }

    // The state once `ready` holds for it, polled for up to `limitMs` (the simulator may
    // still be taking the last bytes when the CLI has ended).
    nlohmann::json stateWhen(const std::function<bool(const nlohmann::json&)>& ready,
                             int limitMs = 2000) const {
        nlohmann::json j;
        for (int i = 0; i < limitMs / 10; ++i) {
            std::ifstream in(statePath());
            std::stringstream ss;
            ss << in.rdbuf();
            j = nlohmann::json::parse(ss.str(), nullptr, false);
            if (!j.is_discarded() && ready(j)) return j;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return j;
    }

    std::string recorded() const {
        std::ifstream in(recordPath(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    void stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            int status;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
};

}  // namespace setrion::test
