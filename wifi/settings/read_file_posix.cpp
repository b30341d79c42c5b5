// Reading a settings file on POSIX: regular files only, never blocking on a FIFO.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "wifi/settings/profile.h"

namespace setrion::wifi {

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                                           std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (error) *error = path.string() + ": " + why;
        return std::nullopt;
    };
    // Non-blocking, so a FIFO without a writer cannot hold the open; fstat then decides.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return fail(std::string("cannot read: ") + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        return fail(dir ? "is a directory, not a file" : "not a regular file");
    }
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    }
    std::string out;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int saved = errno;
            ::close(fd);
            return fail(std::string("cannot read: ") + std::strerror(saved));
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > maxBytes) {
            ::close(fd);
            return fail("larger than " + std::to_string(maxBytes) + " bytes");
        }
    }
    ::close(fd);
    return out;
}

}  // namespace setrion::wifi
