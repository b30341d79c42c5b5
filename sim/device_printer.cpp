// The simulated printer on a device node instead of a pty: the device side of a USB gadget
// (/dev/g_printer0 of the printer function, /dev/ttyGS0 of the ACM function), so the host
// reaches it through the kernel's real USB stack; or "bt-listen:N", a Bluetooth printer that
// takes one connection at a time on RFCOMM channel N.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"
#include "sim/pty_printer.h"

namespace setrion::sim {
namespace {

volatile sig_atomic_t g_deviceStop = 0;
void onDeviceSignal(int) {
    g_deviceStop = 1;
}

// Pause between attempts to open a device that is not there (gadget unbound, host not
// yet configured).
constexpr int kReopenPauseMs = 50;
// How long one answer may wait for a host that does not read; then it is dropped so the
// printer keeps taking input.
constexpr uint64_t kReplyBoundMs = 2000;
// One read takes all the host has sent: more than the printer function's whole queue of
// requests (ten of 8 kB). A read that stops inside a request leaves the rest in the kernel's
// hands across an unbind, and after the next bind the printer function has handed out that
// request's stale buffer (zeros) and corrupted its request lists.
constexpr size_t kReadSize = 128 * 1024;

uint64_t steadyMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The kernel's RFCOMM socket address (<bluetooth/rfcomm.h>).
constexpr int kBtProtoRfcomm = 3;
struct SockaddrRc {
    sa_family_t family;
    uint8_t address[6];
    uint8_t channel;
};
constexpr std::string_view kBtListen = "bt-listen:";

// A listening RFCOMM socket on the channel of "bt-listen:N"; -1 on failure.
int listenRfcomm(const std::string& path) {
    int fd = ::socket(AF_BLUETOOTH, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, kBtProtoRfcomm);
    if (fd < 0) return -1;
    SockaddrRc addr{};
    addr.family = AF_BLUETOOTH;  // any local controller
    addr.channel = static_cast<uint8_t>(std::atoi(path.c_str() + kBtListen.size()));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openDevice(const std::string& path, int listener) {
    if (listener >= 0) return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {  // a tty (ttyGS0) must pass bytes as they are
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Sends one answer; false when the device went away meanwhile.
bool sendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    const uint64_t deadline = steadyMs() + kReplyBoundMs;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (steadyMs() >= deadline) {
                std::fprintf(stderr, "setrion-sim: answer dropped: the host does not read\n");
                return true;
            }
            pollfd wp{fd, POLLOUT, 0};
            ::poll(&wp, 1, 50);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int runDevicePrinter(SimPrinter& printer, const PtyOptions& options) {
    struct sigaction sa {};
    sa.sa_handler = onDeviceSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    FILE* record = nullptr;
    if (!options.recordPath.empty()) {
        record = std::fopen(options.recordPath.c_str(), "wb");
        if (!record) {
            std::perror("setrion-sim: cannot create the record file");
            return 1;
        }
    }
    auto writeState = [&] {
        if (!options.statePath.empty() && printer.takeDirty())
            writeFileAtomically(options.statePath, printer.stateJson().dump(2) + "\n", nullptr,
                                FileAccess::Public, Durability::Unsynced);
    };
    writeState();
    std::printf("setrion-sim: printer on %s\n", options.devicePath.c_str());
    std::fflush(stdout);

    int listener = -1;
    if (options.devicePath.rfind(kBtListen, 0) == 0) {
        listener = listenRfcomm(options.devicePath);
        if (listener < 0) {
            std::perror("setrion-sim: cannot listen on the RFCOMM channel");
            return 1;
        }
    }
    int fd = -1;
    bool announced = false;
    std::vector<uint8_t> buf(kReadSize);
    while (!g_deviceStop) {
        if (fd < 0) {
            fd = openDevice(options.devicePath, listener);
            if (fd < 0) {
                pollfd wait{listener, POLLIN, 0};  // a listener wakes up for a connection
                ::poll(&wait, listener >= 0 ? 1 : 0, kReopenPauseMs);
                continue;
            }
            if (announced)
                std::fprintf(stderr, "setrion-sim: %s is back\n", options.devicePath.c_str());
            announced = true;
        }
        uint64_t now = steadyMs();
        int timeout = 50;
        auto& pending = printer.pending();
        if (!pending.empty())
            timeout =
                static_cast<int>(pending.front().dueMs > now ? pending.front().dueMs - now : 0);
        pollfd pfd{fd, POLLIN, 0};
        int rc = ::poll(&pfd, 1, timeout);
        if (rc < 0 && errno != EINTR) break;
        now = steadyMs();
        printer.setNow(now);
        bool gone = rc > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        if (rc > 0 && (pfd.revents & POLLIN)) {
            ssize_t n = ::read(fd, buf.data(), buf.size());
            if (n > 0) {
                gone = false;
                if (record) {
                    std::fwrite(buf.data(), 1, static_cast<size_t>(n), record);
                    std::fflush(record);
                }
                printer.feed(std::span<const uint8_t>(buf.data(), static_cast<size_t>(n)));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                gone = true;  // the host side went away: hung-up tty, unbound gadget
            }
        }
        while (!gone && !pending.empty() && pending.front().dueMs <= now) {
            gone = !sendAll(fd, pending.front().bytes);
            pending.pop_front();
        }
        if (gone) {
            // A cable pulled out: what was still to be answered is lost, as on a printer.
            std::fprintf(stderr, "setrion-sim: %s went away\n", options.devicePath.c_str());
            ::close(fd);
            fd = -1;
            pending.clear();
            ::poll(nullptr, 0, kReopenPauseMs);
        }
        writeState();
    }
    printer.stateChanged();
    writeState();
    if (record) std::fclose(record);
    if (fd >= 0) ::close(fd);
    if (listener >= 0) ::close(listener);
    return 0;
}

}  // namespace setrion::sim
