#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace setrion {

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string* error) {
    auto fail = [&](const std::string& what, const std::string& tmp) {
        if (error) *error = what + ": " + std::strerror(errno);
        if (!tmp.empty()) ::unlink(tmp.c_str());
        return false;
    };
    std::string tmpl = path.string() + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());
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
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) return fail("cannot write " + path.string(), tmpl);
    if (::rename(tmpl.c_str(), path.c_str()) != 0)
        return fail("cannot replace " + path.string(), tmpl);
    return true;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error) {
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error);
}

}  // namespace setrion
