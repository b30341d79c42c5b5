// The termination signals and child lifetimes on Linux.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

#include "common/interrupt.h"

namespace setrion {
namespace {

constexpr std::size_t kMaxFolders = 4;
constexpr std::size_t kPathMax = 512;

// Written only outside the handler; a slot is published by its flag.
std::array<std::array<char, kPathMax>, kMaxFolders> g_folders{};
std::array<std::atomic<bool>, kMaxFolders> g_folderSet{};
std::atomic<bool> g_signalled{false};

// Removes the files of a flat folder and the folder, with calls safe in a signal handler. An
// entry removed while the listing runs may hide another, so the listing repeats (bounded).
void removeFlatFolder(const char* path) {
    for (int pass = 0; pass < 8; ++pass) {
        const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0) return;
        bool removed = false;
        alignas(dirent64) char buffer[4096];
        for (;;) {
            const ssize_t n = ::getdents64(dir, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
                if (::unlinkat(dir, name, 0) == 0) removed = true;
            }
        }
        ::close(dir);
        if (::rmdir(path) == 0 || !removed) return;
    }
}

void onTerminationSignal(int signal) {
    if (g_signalled.exchange(true)) {
        for (std::size_t i = 0; i < kMaxFolders; ++i)
            if (g_folderSet[i].load()) removeFlatFolder(g_folders[i].data());
        ::_exit(128 + signal);
    }
    requestInterrupt(signal);
}

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns early and its caller looks at the request.
    action.sa_flags = 0;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &action, nullptr);
    // A reader that goes away (a closed pipe) makes a write fail with EPIPE instead of ending
    // the process part-way through a sequence; the output's writer ends it at the next step.
    ::signal(SIGPIPE, SIG_IGN);
}

void removeOnAbruptExit(const std::string& folder) {
    if (folder.empty() || folder.size() >= kPathMax) return;
    for (std::size_t i = 0; i < kMaxFolders; ++i) {
        if (g_folderSet[i].load()) continue;
        std::memcpy(g_folders[i].data(), folder.c_str(), folder.size() + 1);
        g_folderSet[i].store(true);
        return;
    }
}

void forgetOnAbruptExit(const std::string& folder) {
    for (std::size_t i = 0; i < kMaxFolders; ++i)
        if (g_folderSet[i].load() && folder == g_folders[i].data()) g_folderSet[i].store(false);
}

void endWithParent(long parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have ended between the fork and the call above.
    if (static_cast<long>(::getppid()) != parent) ::_exit(128 + SIGTERM);
}

long currentProcessId() {
    return static_cast<long>(::getpid());
}

}  // namespace setrion
