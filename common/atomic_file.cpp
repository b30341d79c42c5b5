#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

namespace setrion {
namespace {

// The file a path names after following symlinks (at most 40, as the kernel does); the
// last link's target may not exist yet. nullopt on a loop or an unreadable link.
std::optional<std::filesystem::path> realTarget(const std::filesystem::path& path) {
    std::filesystem::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::error_code ec;
        std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) return std::nullopt;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    errno = ELOOP;
    return std::nullopt;
}

mode_t currentUmask() {
    mode_t old = ::umask(0);
    ::umask(old);
    return old;
}

}  // namespace

bool existsAsNonRegular(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string* error, FileAccess access, Durability durability) {
    auto fail = [&](const std::string& what, const std::string& tmp) {
        if (error) *error = what + ": " + std::strerror(errno);
        if (!tmp.empty()) ::unlink(tmp.c_str());
        return false;
    };
    auto target = realTarget(path);
    if (!target) return fail("cannot follow " + path.string(), {});
    struct stat st {};
    bool exists = ::lstat(target->c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (error) *error = path.string() + ": not a regular file, not replaced";
        return false;
    }
    // The temporary file is made in the real target's folder, so the rename stays on one
    // file system and replaces the file the link names.
    std::string tmpl = target->string() + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());  // 0600
    if (fd < 0) return fail("cannot create " + path.string(), {});
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return fail("cannot write " + path.string(), tmpl);
        }
        done += static_cast<size_t>(n);
    }
    mode_t mode = exists ? (st.st_mode & 07777)
                         : (access == FileAccess::Private ? 0600 : (0666 & ~currentUmask()));
    if (exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not the owner: the replacement is ours; keep the mode without set-id bits.
        mode &= 0777;
    }
    if (::fchmod(fd, mode) != 0) {
        ::close(fd);
        return fail("cannot set the mode of " + path.string(), tmpl);
    }
    if ((durability == Durability::Synced && ::fsync(fd) != 0) || ::close(fd) != 0)
        return fail("cannot write " + path.string(), tmpl);
    if (::rename(tmpl.c_str(), target->c_str()) != 0)
        return fail("cannot replace " + path.string(), tmpl);
    return true;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error, FileAccess access, Durability durability) {
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error, access,
        durability);
}

}  // namespace setrion
