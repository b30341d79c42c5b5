#include "link/serial_link.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/trace.h"
#include "link/port_failure.h"

namespace setrion {
namespace {

// Immediate retries after EINTR, so a storm of signals cannot hold a write for ever.
constexpr int kInterruptRetries = 16;
// Step of the polls that wait for the port through the clock.
constexpr uint32_t kPollStepMs = 1;

speed_t speedFor(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

SerialOpenError openErrorFor(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return SerialOpenError::PermissionDenied;
        case EBUSY:
            return SerialOpenError::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return SerialOpenError::NotFound;
        default:
            return SerialOpenError::Other;
    }
}

}  // namespace

std::string deviceGroupName(const std::string& devicePath) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0) return {};
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return found->gr_name;
}

SerialLink::SerialLink(Clock& clock, SerialSys& sys) : m_clock(clock), m_sys(sys) {}

SerialLink::~SerialLink() {
    close();
}

bool SerialLink::isAcceptedBaud(int baud) {
    return speedFor(baud) != B0;
}

int SerialLink::open(const std::string& devicePath, const SerialSettings& settings) {
    // Opening over an open link would leak its descriptor and lock.
    close();

    m_openError = SerialOpenError::None;
    // The session's terminal would open as a tty, and the line settings would take over the
    // user's own terminal.
    if (isSessionTerminal(devicePath)) {
        m_openError = SerialOpenError::NotATerminal;
        return -1;
    }
    int fd = m_sys.open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int why = errno;
        m_openError = openErrorFor(why);
        if (m_openError == SerialOpenError::PermissionDenied) {
            const std::string group = deviceGroupName(devicePath);
            trace("open " + devicePath + ": permission denied" +
                  (group.empty() ? std::string()
                                 : "; the group " + group + " grants access (sudo usermod -aG " +
                                       group + " $USER, then log in again)"));
        }
        return -1;
    }
    // A file that is not a terminal is no serial port; refuse it like a missing device.
    // "No sharing": a non-blocking lock (which also holds against root) and TIOCEXCL.
    if (!m_sys.isatty(fd)) {
        m_sys.close(fd);
        m_openError = SerialOpenError::NotATerminal;
        return -1;
    }
    if (m_sys.flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_sys.close(fd);
        m_openError = SerialOpenError::Busy;
        return -1;
    }
    m_sys.ioctl(fd, TIOCEXCL, nullptr);
    m_fd = fd;
    m_open = true;
    purge(TCIOFLUSH);

    m_neverWritten = true;
    m_lastWriteEnd = 0;
    if (!isAcceptedBaud(settings.baud) || !configure(settings)) {
        m_openError = SerialOpenError::Settings;
        return -1;
    }
    m_baud = settings.baud;
    m_writePerByteMs = static_cast<uint32_t>(19200 / settings.baud);
    return 0;
}

bool SerialLink::configure(const SerialSettings& s) {
    termios tio{};
    if (m_sys.tcgetattr(m_fd, &tio) != 0) {
        trace("SetCommState");
        return false;
    }
    // Binary: no translation, no echo, no signals, reads never wait in the driver.
    tio.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speedFor(s.baud));
    cfsetospeed(&tio, speedFor(s.baud));

    switch (s.parityIndex) {
        case 0:
            tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
            tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
            break;
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            tio.c_iflag |= INPCK;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            tio.c_cflag &= ~static_cast<tcflag_t>(PARODD);
            tio.c_iflag |= INPCK;
            break;
        default:
            return false;
    }
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (s.dataBitsIndex) {
        case 0:
            tio.c_cflag |= CS7;
            break;
        case 1:
            tio.c_cflag |= CS8;
            break;
        default:
            return false;
    }
    switch (s.stopBitsIndex) {
        case 0:
            tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
            break;
        case 1:
            tio.c_cflag |= CSTOPB;
            break;
        default:
            return false;
    }

    // Modem lines: Linux has no DTR/DSR handshake, so "DTR/DSR" holds DTR and RTS up.
    // These ioctls fail on ptys; that is harmless and ignored.
    int lines = 0;
    switch (s.flowIndex) {
        case 0:
            tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
            lines = TIOCM_DTR | TIOCM_RTS;
            m_sys.ioctl(m_fd, TIOCMBIS, &lines);
            break;
        case 1:
            tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            tio.c_iflag &= ~static_cast<tcflag_t>(IXANY);
            tio.c_iflag |= IXON | IXOFF;
            tio.c_cc[VSTART] = 0x11;
            tio.c_cc[VSTOP] = 0x13;
            lines = TIOCM_DTR | TIOCM_RTS;
            m_sys.ioctl(m_fd, TIOCMBIC, &lines);
            break;
        case 2:
            tio.c_cflag |= CRTSCTS;
            tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
            lines = TIOCM_DTR;
            m_sys.ioctl(m_fd, TIOCMBIC, &lines);
            break;
        default:
            break;  // keep the port's flow settings
    }

    if (m_sys.tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        trace("SetCommState");
        return false;
    }
    return true;
}

void SerialLink::purge(int queue) {
    if (m_fd >= 0) m_sys.tcflush(m_fd, queue);
}

bool SerialLink::waitWritable(uint64_t deadline) {
    // Called after EAGAIN: always let time pass, so a port that reports itself writable but
    // keeps refusing still meets the deadline.
    m_clock.sleepMs(kPollStepMs);
    for (;;) {
        if (m_clock.nowMs() >= deadline) return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (m_sys.poll(&p, 1, 0) > 0 && (p.revents & POLLOUT)) return true;
        m_clock.sleepMs(kPollStepMs);
    }
}

bool SerialLink::wakeUp() {
    static constexpr uint8_t kZeros[2] = {0, 0};
    size_t done = 0;
    int interrupts = 0;
    uint64_t deadline = m_clock.nowMs() + kChunkWaitMs;
    while (done < sizeof kZeros) {
        ssize_t n = m_sys.write(m_fd, kZeros + done, sizeof kZeros - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR && ++interrupts < kInterruptRetries) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // Pending: the printer gets 1000 ms to take the zeros.
            if (!waitWritable(deadline)) return false;
        } else {
            break;  // failed for another reason: go on as the printer may still wake
        }
    }
    m_clock.sleepMs(kWakePauseMs);
    return true;
}

void SerialLink::drainOutput(size_t bytes) {
    // tcdrain() has no bound; poll the output queue instead, allowing the transmission time
    // at the line's speed (12 bits a byte covers parity and two stop bits) plus a second.
    uint64_t deadline = m_clock.nowMs() + kChunkWaitMs +
                        static_cast<uint64_t>(bytes) * 12000 / static_cast<uint64_t>(m_baud);
    for (;;) {
        int queued = 0;
        if (m_sys.ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
        if (m_clock.nowMs() >= deadline) return;
        m_clock.sleepMs(kPollStepMs);
    }
}

int SerialLink::write(std::span<const uint8_t> data) {
    if (!m_open || data.empty()) return 0;

    m_lastWriteStart = m_clock.nowMs();
    if (m_neverWritten || m_lastWriteStart - m_lastWriteEnd > kWakeIdleMs) {
        if (!wakeUp()) return 0;
    }
    m_neverWritten = false;

    size_t pos = 0;
    bool inputPurged = false;
    while (pos < data.size()) {
        size_t len = std::min(kChunkSize, data.size() - pos);
        // What arrived while the command went out is discarded just before its last chunk is
        // handed over: discarded after the write, it would race the answer, which a printer
        // may send before a loaded host gets back from the write to purge.
        if (pos + len == data.size() && !inputPurged) {
            purge(TCIFLUSH);
            inputPurged = true;
        }
        uint64_t deadline = m_clock.nowMs() + kChunkWaitMs;
        int failures = 0;
        int interrupts = 0;
        for (;;) {
            ssize_t n = m_sys.write(m_fd, data.data() + pos, len);
            if (n > 0) {
                pos += static_cast<size_t>(n);  // a short write continues from where it ended
                break;
            }
            if (n < 0 && errno == EINTR && ++interrupts < kInterruptRetries) continue;
            if (n < 0 && errno == EAGAIN) {
                if (!waitWritable(deadline)) {
                    purge(TCIOFLUSH);  // the chunk is abandoned, so its rest goes too
                    return 0;
                }
                continue;
            }
            if (++failures >= kChunkTries) return 0;
        }
    }

    // The bytes are queued, not sent: wait (bounded) until they are out. The output is never
    // discarded, which would cut the command.
    drainOutput(data.size());
    m_lastWriteEnd = m_clock.nowMs();
    return static_cast<int>(pos);
}

int SerialLink::read(std::span<uint8_t> buffer) {
    if (!m_open || buffer.empty()) return 0;
    int waiting = 0;
    if (m_sys.ioctl(m_fd, FIONREAD, &waiting) != 0 || waiting <= 0) return 0;

    size_t got = 0;
    uint64_t start = m_clock.nowMs();
    uint64_t lastByte = start;
    for (;;) {
        ssize_t n = m_sys.read(m_fd, buffer.data() + got, buffer.size() - got);
        uint64_t now = m_clock.nowMs();
        if (n > 0) {
            got += static_cast<size_t>(n);
            lastByte = now;
            if (got == buffer.size()) break;
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;  // hang-up or a line error: hand back what came
        }
        if (now - start >= kReadTotalMs || now - lastByte >= kReadIntervalMs) break;
        if (n <= 0) m_clock.sleepMs(kPollStepMs);
    }
    return static_cast<int>(got);
}

void SerialLink::close() {
    if (!m_open && m_fd < 0) return;
    m_open = false;
    if (m_fd >= 0) {
        // The exclusive flag outlives this descriptor while another holds the tty open.
        m_sys.ioctl(m_fd, TIOCNXCL, nullptr);
        m_sys.close(m_fd);
        m_fd = -1;
    }
}

}  // namespace setrion
