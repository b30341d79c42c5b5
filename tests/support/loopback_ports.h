#pragma once
// A block of consecutive UDP ports of this test process's own, so end-to-end tests on the
// loopback may run side by side (and beside another checkout's tests on the same machine).
// Blocks lie below the system's ephemeral range (32768 and up on Linux), so no port the kernel
// hands out to a client socket falls in one. A block is claimed with a lock file in the
// temporary folder's setrion-ports/, held until the process ends, and checked free by binding each port
// without SO_REUSEADDR (which also fails beside a socket that set it).
// tests/ansible/run_playbook_test.sh claims blocks through the same lock files.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace setrion::test {

constexpr int kPortBlockFirst = 20000;
constexpr int kPortBlockSize = 8;
constexpr int kPortBlockCount = (32760 - kPortBlockFirst) / kPortBlockSize;

inline bool udpPortIsFree(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return free;
}

// The first port of this process's block of kPortBlockSize ports (the same on every call).
inline uint16_t loopbackPortBlock() {
    static const uint16_t base = [] {
        for (int i = 0; i < kPortBlockCount; ++i) {
            const int slot = (::getpid() + i) % kPortBlockCount;
            const auto folder = std::filesystem::temp_directory_path() / "setrion-ports";
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            const auto lock = folder / (std::to_string(slot) + ".lock");
            const int fd = ::open(lock.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
            if (fd < 0) continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                continue;
            }
            const int first = kPortBlockFirst + slot * kPortBlockSize;
            bool free = true;
            for (int k = 0; k < kPortBlockSize && free; ++k) free = udpPortIsFree(static_cast<uint16_t>(first + k));
            if (free) return static_cast<uint16_t>(first);  // fd stays open: the lock lasts the process
            ::close(fd);
        }
        throw std::runtime_error("no free block of loopback ports");
    }();
    return base;
}

}  // namespace setrion::test
