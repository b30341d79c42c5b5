// Whether an X or Wayland display is reachable, looked at before Qt tries (and aborts).
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "app/display.h"

namespace setrion::app {
namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool connects(const std::string& path, bool abstract) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof a.sun_path) return false;
    std::memcpy(a.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), len) == 0;
    ::close(fd);
    return ok;
}

// A local X display (":N", ":N.S", "unix:N") answers on its socket; a display on another
// host is left to Qt (it is never probed from here).
bool xDisplayReachable(const std::string& display) {
    std::string rest;
    if (display.rfind(':', 0) == 0)
        rest = display.substr(1);
    else if (display.rfind("unix:", 0) == 0)
        rest = display.substr(5);
    else
        return true;
    const std::string number = rest.substr(0, rest.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::string path = "/tmp/.X11-unix/X" + number;
    return connects(path, false) || connects(path, true);
}

bool waylandReachable(const std::string& name) {
    const std::string path = name.rfind('/', 0) == 0 ? name : env("XDG_RUNTIME_DIR") + "/" + name;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::string displayProblem() {
    const std::string platform = env("QT_QPA_PLATFORM");
    const bool windowed =
        platform.empty() || platform.rfind("xcb", 0) == 0 || platform.rfind("wayland", 0) == 0;
    if (!windowed) return {};
    const std::string wayland = env("WAYLAND_DISPLAY");
    if (!wayland.empty() && waylandReachable(wayland)) return {};
    const std::string x = env("DISPLAY");
    if (x.empty())
        return wayland.empty() ? "DISPLAY is not set"
                               : "the Wayland display " + wayland + " is not there";
    if (!xDisplayReachable(x)) return "the X display " + x + " does not answer";
    return {};
}

}  // namespace setrion::app
