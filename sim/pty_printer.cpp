#include "sim/pty_printer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/atomic_file.h"

namespace setrion::sim {
namespace {

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Why an existing `link` may not be taken, or "" when nothing is there or it is a dangling
// link to a pty (left by a simulator that ended without removing it), which is replaced.
// A regular file, a folder, or a link to a live device (another simulator's) is never
// touched.
std::string linkRefusal(const std::string& link) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) != 0) return errno == ENOENT ? "" : std::strerror(errno);
    if (!S_ISLNK(st.st_mode)) {
        if (S_ISREG(st.st_mode)) return "a regular file is there";
        if (S_ISDIR(st.st_mode)) return "a folder is there";
        return "a file that is no link is there";
    }
    char target[4096];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n < 0) return std::strerror(errno);
    const std::string to(target, static_cast<size_t>(n));
    if (to.rfind("/dev/pts/", 0) != 0) return "a link to " + to + " is there";
    if (::stat(link.c_str(), &st) == 0) return "a live link to " + to + " is there (another simulator's?)";
    return {};
}

// Creates the link, replacing only a dangling pty link. "" on success, else the reason.
std::string publishLink(const std::string& target, const std::string& link) {
    if (std::string why = linkRefusal(link); !why.empty()) return why;
    ::unlink(link.c_str());  // a dangling pty link, or nothing
    // symlink() never replaces: a path taken meanwhile is refused too.
    if (::symlink(target.c_str(), link.c_str()) != 0) return std::strerror(errno);
    return {};
}

// True while `link` still points to `target` (so it is ours to remove).
bool linkPointsTo(const std::string& link, const std::string& target) {
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    return n >= 0 && std::string(buf, static_cast<size_t>(n)) == target;
}

}  // namespace

int runPtyPrinter(SimPrinter& printer, const PtyOptions& options) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("setrion-sim: cannot open a pty");
        return 1;
    }
    std::string slavePath = ::ptsname(master);
    // Hold the slave open ourselves so the master never sees a hang-up between host opens.
    int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("setrion-sim: cannot open the pty's device");
        return 1;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!options.linkPath.empty()) {
        if (std::string why = publishLink(slavePath, options.linkPath); !why.empty()) {
            std::fprintf(stderr, "setrion-sim: will not create the link %s: %s\n",
                         options.linkPath.c_str(), why.c_str());
            return 2;
        }
    }
    FILE* record = nullptr;
    if (!options.recordPath.empty()) {
        record = std::fopen(options.recordPath.c_str(), "wb");
        if (!record) {
            std::perror("setrion-sim: cannot create the record file");
            return 1;
        }
    }

    struct sigaction sa{};
    sa.sa_handler = onSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::printf("setrion-sim: printer on %s\n", slavePath.c_str());
    std::fflush(stdout);

    auto writeState = [&] {
        if (!options.statePath.empty() && printer.takeDirty())
            writeFileAtomically(options.statePath, printer.stateJson().dump(2) + "\n", nullptr,
                                FileAccess::Public, Durability::Unsynced);
    };
    writeState();

    uint8_t buf[4096];
    // A slow line: bytes may be taken in as the rate allows (a tenth of a second's worth at most
    // at once); meanwhile they wait in the pty, whose room runs out and holds up the host.
    uint64_t allowanceAt = nowMs();
    double allowance = 0;
    while (!g_stop) {
        uint64_t now = nowMs();
        int timeout = 50;
        auto& pending = printer.pending();
        if (!pending.empty())
            timeout = static_cast<int>(pending.front().dueMs > now ? pending.front().dueMs - now : 0);
        size_t readable = sizeof buf;
        if (options.lineRate > 0) {
            allowance = std::min(
                allowance + static_cast<double>(now - allowanceAt) * options.lineRate / 1000.0,
                std::max(options.lineRate / 10.0, 1.0));
            allowanceAt = now;
            readable = std::min(readable, static_cast<size_t>(allowance));
            if (readable == 0) timeout = std::min(timeout, 5);
        }
        pollfd pfd{master, static_cast<short>(readable > 0 ? POLLIN : 0), 0};
        int rc = ::poll(&pfd, 1, timeout);
        if (rc < 0 && errno != EINTR) break;
        now = nowMs();
        printer.setNow(now);
        if (rc > 0 && (pfd.revents & POLLIN)) {
            ssize_t n = ::read(master, buf, readable);
            if (n > 0 && options.lineRate > 0) allowance -= static_cast<double>(n);
            if (n > 0) {
                if (record) {
                    std::fwrite(buf, 1, static_cast<size_t>(n), record);
                    std::fflush(record);
                }
                printer.feed(std::span<const uint8_t>(buf, static_cast<size_t>(n)));
            }
        }
        while (!pending.empty() && pending.front().dueMs <= now) {
            auto& p = pending.front();
            size_t done = 0;
            while (done < p.bytes.size()) {
                ssize_t n = ::write(master, p.bytes.data() + done, p.bytes.size() - done);
                if (n > 0) {
                    done += static_cast<size_t>(n);
                } else if (n < 0 && errno == EAGAIN) {
                    pollfd wp{master, POLLOUT, 0};
                    ::poll(&wp, 1, 100);
                } else if (n < 0 && errno != EINTR) {
                    break;
                }
            }
            pending.pop_front();
        }
        writeState();
    }
    printer.stateChanged();
    writeState();
    if (record) std::fclose(record);
    if (!options.linkPath.empty() && linkPointsTo(options.linkPath, slavePath))
        ::unlink(options.linkPath.c_str());
    ::close(slave);
    ::close(master);
    return 0;
}

}  // namespace setrion::sim
