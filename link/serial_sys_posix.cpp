#include "link/serial_sys_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace setrion {

int PosixSerialSys::open(const char* path, int flags) { return ::open(path, flags); }
int PosixSerialSys::close(int fd) { return ::close(fd); }
ssize_t PosixSerialSys::read(int fd, void* buf, size_t n) { return ::read(fd, buf, n); }
ssize_t PosixSerialSys::write(int fd, const void* buf, size_t n) { return ::write(fd, buf, n); }
int PosixSerialSys::isatty(int fd) { return ::isatty(fd); }
int PosixSerialSys::tcgetattr(int fd, termios* tio) { return ::tcgetattr(fd, tio); }
int PosixSerialSys::tcsetattr(int fd, int action, const termios* tio) {
    return ::tcsetattr(fd, action, tio);
}
int PosixSerialSys::tcflush(int fd, int queue) { return ::tcflush(fd, queue); }
int PosixSerialSys::ioctl(int fd, unsigned long request, int* arg) {
    return arg ? ::ioctl(fd, request, arg) : ::ioctl(fd, request);
}
int PosixSerialSys::flock(int fd, int operation) { return ::flock(fd, operation); }
int PosixSerialSys::poll(pollfd* fds, nfds_t n, int timeoutMs) { return ::poll(fds, n, timeoutMs); }

}  // namespace setrion
