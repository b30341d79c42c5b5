// The serial link's system calls on Linux: termios for ttys, and RFCOMM sockets for the
// Bluetooth ports "bt:ADDRESS[/CHANNEL]". A socket stands in for a tty here, so the serial
// link's chunking, wake-up, bounds and reads apply to it unchanged.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "common/trace.h"
#include "link/bluetooth_port.h"
#include "link/serial_sys_posix.h"

namespace setrion {
namespace {

// The kernel's RFCOMM socket address (<bluetooth/rfcomm.h>, not needed as a build dependency).
constexpr int kBtProtoRfcomm = 3;
struct __attribute__((packed)) BdAddr {
    uint8_t b[6];  // least significant octet first
};
struct SockaddrRc {
    sa_family_t family;
    BdAddr address;
    uint8_t channel;
};

// How long a connect may take: paging a printer that is off or out of range ends after the
// controller's page time-out (5.12 s by default).
constexpr int kConnectBoundMs = 8000;

std::string describe(int error) {
    switch (error) {
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ETIMEDOUT:
            return "the printer does not answer (switched off, out of range or not paired)";
        case ECONNREFUSED:
            return "the printer has no serial port on that channel";
        case ENETDOWN:
        case ENODEV:
        case EADDRNOTAVAIL:
            return "no Bluetooth controller is up";
        case EAFNOSUPPORT:
        case EPROTONOSUPPORT:
            return "this system has no Bluetooth support";
        case ECONNRESET:
        case ENOTCONN:
        case ECONNABORTED:
            return "the connection was lost";
        default:
            return std::strerror(error);
    }
}

class LinuxSerialSys final : public PosixSerialSys {
  public:
    int open(const char* path, int flags) override {
        if (!isBluetoothPortName(path)) return PosixSerialSys::open(path, flags);
        std::string why;
        auto port = parseBluetoothPort(path, &why);
        if (!port) {
            remember(path, why);
            errno = ENOENT;
            return -1;
        }
        int fd = ::socket(AF_BLUETOOTH, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, kBtProtoRfcomm);
        if (fd < 0) return failConnect(path, -1, errno);
        SockaddrRc addr{};
        addr.family = AF_BLUETOOTH;
        for (size_t i = 0; i < 6; ++i) addr.address.b[i] = port->address[5 - i];
        addr.channel = static_cast<uint8_t>(port->channel);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            if (errno != EINPROGRESS) return failConnect(path, fd, errno);
            pollfd p{fd, POLLOUT, 0};
            int rc;
            do rc = ::poll(&p, 1, kConnectBoundMs);
            while (rc < 0 && errno == EINTR);
            if (rc == 0) return failConnect(path, fd, ETIMEDOUT);
            int error = 0;
            socklen_t length = sizeof error;
            if (rc < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
            if (error != 0) return failConnect(path, fd, error);
        }
        trace(std::string(path) + ": RFCOMM connected");
        std::lock_guard lock(m_mutex);
        m_sockets[fd] = path;
        return fd;
    }

    int close(int fd) override {
        {
            std::lock_guard lock(m_mutex);
            m_sockets.erase(fd);
        }
        return PosixSerialSys::close(fd);
    }

    ssize_t read(int fd, void* buf, size_t n) override {
        ssize_t r = PosixSerialSys::read(fd, buf, n);
        if (r < 0 && errno != EAGAIN && errno != EINTR) traceLoss(fd, "read", errno);
        return r;
    }

    ssize_t write(int fd, const void* buf, size_t n) override {
        // MSG_NOSIGNAL: a connection the printer dropped must not end the program.
        if (!isSocket(fd)) return PosixSerialSys::write(fd, buf, n);
        ssize_t r = ::send(fd, buf, n, MSG_NOSIGNAL);
        if (r < 0 && errno != EAGAIN && errno != EINTR) traceLoss(fd, "write", errno);
        return r;
    }

    // A socket has no line: it counts as a terminal whose settings are taken as they come.
    int isatty(int fd) override { return isSocket(fd) ? 1 : PosixSerialSys::isatty(fd); }
    int tcgetattr(int fd, termios* tio) override {
        if (!isSocket(fd)) return PosixSerialSys::tcgetattr(fd, tio);
        *tio = termios{};
        return 0;
    }
    int tcsetattr(int fd, int action, const termios* tio) override {
        return isSocket(fd) ? 0 : PosixSerialSys::tcsetattr(fd, action, tio);
    }
    // Discarding input reads what has arrived; output is never discarded.
    int tcflush(int fd, int queue) override {
        if (!isSocket(fd)) return PosixSerialSys::tcflush(fd, queue);
        if (queue == TCIFLUSH || queue == TCIOFLUSH) {
            char sink[512];
            for (int i = 0; i < 64 && ::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
            }
        }
        return 0;
    }
    int ioctl(int fd, unsigned long request, int* arg) override {
        if (!isSocket(fd)) return PosixSerialSys::ioctl(fd, request, arg);
        if (request == FIONREAD) return PosixSerialSys::ioctl(fd, request, arg);
        if (request == TIOCOUTQ && arg) {
            // A Bluetooth socket answers TIOCOUTQ with the free room of its send buffer.
            int room = 0;
            int size = 0;
            socklen_t length = sizeof size;
            if (PosixSerialSys::ioctl(fd, TIOCOUTQ, &room) != 0 ||
                ::getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, &length) != 0)
                return -1;
            *arg = size > room ? size - room : 0;
            return 0;
        }
        if (request == TIOCEXCL || request == TIOCNXCL) return 0;  // a socket is never shared
        errno = ENOTTY;                                            // no modem lines
        return -1;
    }

    int flock(int fd, int operation) override {
        return isSocket(fd) ? 0 : PosixSerialSys::flock(fd, operation);
    }

    std::string lastFailure(const std::string& path) {
        std::lock_guard lock(m_mutex);
        auto it = m_failures.find(path);
        return it == m_failures.end() ? std::string() : it->second;
    }

  private:
    bool isSocket(int fd) {
        std::lock_guard lock(m_mutex);
        return m_sockets.count(fd) != 0;
    }
    void remember(const std::string& path, const std::string& why) {
        trace(why);
        std::lock_guard lock(m_mutex);
        m_failures[path] = why;
    }
    int failConnect(const char* path, int fd, int error) {
        if (fd >= 0) ::close(fd);
        remember(path, std::string(path) + ": " + describe(error));
        // The serial link's reasons: a printer not reached is "no such device".
        errno = error == EACCES || error == EPERM ? EACCES : ENODEV;
        return -1;
    }
    void traceLoss(int fd, const char* what, int error) {
        std::string path;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_sockets.find(fd);
            if (it == m_sockets.end()) return;
            path = it->second;
        }
        trace(path + ": " + what + " failed: " + describe(error));
    }

    std::mutex m_mutex;
    std::map<int, std::string> m_sockets;           // the open RFCOMM sockets and their ports
    std::map<std::string, std::string> m_failures;  // the last failed connect of each port
};

LinuxSerialSys& linuxSerialSys() {
    static LinuxSerialSys sys;
    return sys;
}

}  // namespace

SerialSys& systemSerialSys() {
    return linuxSerialSys();
}

std::string bluetoothOpenFailure(const std::string& portName) {
    return linuxSerialSys().lastFailure(portName);
}

}  // namespace setrion
