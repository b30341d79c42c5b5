#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "app/stale_folders.h"

namespace setrion::app {

namespace fs = std::filesystem;

void markFolderOwner(const std::string& folder) {
    std::ofstream(fs::path(folder) / kOwnerFileName) << ::getpid() << "\n";
}

int removeStaleFolders(const std::string& parent, const std::string& prefix) {
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        struct stat st {};
        if (name.rfind(prefix, 0) != 0 || ::lstat(entry.path().c_str(), &st) != 0 ||
            !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
            continue;
        long pid = 0;
        std::ifstream note(entry.path() / kOwnerFileName);
        if (!(note >> pid) || pid <= 0) continue;
        // Still running (or another user's process with that id): kept.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code removeError;
        if (fs::remove_all(entry.path(), removeError) > 0 && !removeError) ++removed;
    }
    return removed;
}

}  // namespace setrion::app
