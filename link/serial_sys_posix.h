#pragma once
#include <poll.h>
#include <sys/types.h>
#include <termios.h>

#include <string>

namespace setrion {

// Every system call the serial link makes goes through this interface, so tests can inject
// EINTR, EAGAIN, short writes and failures on a real pty without special hardware.
// The members mirror the POSIX calls: they return what the call returns and leave errno set.
class SerialSys {
  public:
    virtual ~SerialSys() = default;
    virtual int open(const char* path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual ssize_t read(int fd, void* buf, size_t n) = 0;
    virtual ssize_t write(int fd, const void* buf, size_t n) = 0;
    virtual int isatty(int fd) = 0;
    virtual int tcgetattr(int fd, termios* tio) = 0;
    virtual int tcsetattr(int fd, int action, const termios* tio) = 0;
    virtual int tcflush(int fd, int queue) = 0;
    // ioctl with an int argument (TIOCMBIS, TIOCMBIC, FIONREAD, TIOCOUTQ) or none (TIOCEXCL).
    virtual int ioctl(int fd, unsigned long request, int* arg) = 0;
    virtual int flock(int fd, int operation) = 0;
    virtual int poll(pollfd* fds, nfds_t n, int timeoutMs) = 0;
};

// The real calls.
class PosixSerialSys : public SerialSys {
  public:
    int open(const char* path, int flags) override;
    int close(int fd) override;
    ssize_t read(int fd, void* buf, size_t n) override;
    ssize_t write(int fd, const void* buf, size_t n) override;
    int isatty(int fd) override;
    int tcgetattr(int fd, termios* tio) override;
    int tcsetattr(int fd, int action, const termios* tio) override;
    int tcflush(int fd, int queue) override;
    int ioctl(int fd, unsigned long request, int* arg) override;
    int flock(int fd, int operation) override;
    int poll(pollfd* fds, nfds_t n, int timeoutMs) override;
};

// The process-wide instance of the real calls (on Linux they also reach the Bluetooth ports
// "bt:ADDRESS[/CHANNEL]" through RFCOMM sockets).
SerialSys& systemSerialSys();
// Why the last connect to a Bluetooth port failed ("bt:...: the printer does not answer
// ..."), or "" when none failed.
std::string bluetoothOpenFailure(const std::string& portName);

}  // namespace setrion
