#pragma once
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace setrion::test {

// The master side of a fresh pty; the link under test opens `slavePath`.
class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_slavePath = ::ptsname(m_master);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        if (m_master >= 0) ::close(m_master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }

    // Everything the link sent, waiting up to `ms` of real time for `expected` bytes.
    std::vector<uint8_t> readFromHost(size_t expected, int ms = 1000) {
        std::vector<uint8_t> out;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < expected && std::chrono::steady_clock::now() < end) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                uint8_t buf[512];
                ssize_t n = ::read(m_master, buf, sizeof buf);
                if (n > 0) out.insert(out.end(), buf, buf + n);
            }
        }
        return out;
    }
    // Sends bytes to the host and waits (bounded) until they are readable on `hostFd`.
    void sendToHost(const std::string& s, int hostFd) {
        (void)!::write(m_master, s.data(), s.size());
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        int waiting = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (::ioctl(hostFd, FIONREAD, &waiting) == 0 && waiting >= static_cast<int>(s.size()))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

}  // namespace setrion::test
