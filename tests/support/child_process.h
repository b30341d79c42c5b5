#pragma once
// A program run as a child whose stderr is read while it runs, so a test can wait for a line,
// signal the child and collect how it ended. Every wait is bounded.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace setrion::test {

class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& args) {
        int errPipe[2];
        if (::pipe2(errPipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&fa, errPipe[1], 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        ::close(errPipe[1]);
        m_err = errPipe[0];
    }
    ~ChildProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_err >= 0) ::close(m_err);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    const std::string& err() const { return m_text; }

    // Reads stderr until it holds `text` (true) or `limitMs` pass or it closes (false).
    bool waitFor(const std::string& text, int limitMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (m_text.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || !readSome(static_cast<int>(left))) return false;
        }
        return true;
    }

    void signal(int s) const { ::kill(m_pid, s); }

    // Reads stderr to its end and reaps the child; its exit code, 128 + the signal that killed
    // it, or -1 when it outlived `limitMs` (then it is killed).
    int finish(int limitMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
                m_pid = -1;
                return -1;
            }
            if (!readSome(static_cast<int>(left))) break;
        }
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ::usleep(10'000);
        }
        return -1;
    }

  private:
    // False once stderr has closed or nothing came within `limitMs`.
    bool readSome(int limitMs) {
        if (m_err < 0) return false;
        pollfd p{m_err, POLLIN, 0};
        if (::poll(&p, 1, limitMs) <= 0) return false;
        char buf[4096];
        const ssize_t n = ::read(m_err, buf, sizeof buf);
        if (n <= 0) {
            ::close(m_err);
            m_err = -1;
            return false;
        }
        m_text.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_err = -1;
    std::string m_text;
};

}  // namespace setrion::test
