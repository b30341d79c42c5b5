// SerialLink on a Windows COM port: overlapped I/O, the line settings in a DCB and the read
// waits in the port's COMMTIMEOUTS.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/trace.h"
#include "common/utf16_win32.h"
#include "link/port_failure.h"
#include "link/serial_link.h"

namespace setrion {
namespace {

constexpr DWORD kQueueBytes = 1024;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
// A read is ended by the port's time-outs within 100 ms; this bounds it should the driver
// ignore them.
constexpr DWORD kReadWaitMs = 1000;

// A manual-reset event for one overlapped operation, closed when it goes.
class Event {
  public:
    Event() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        if (m_event) ::CloseHandle(m_event);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return m_event; }

  private:
    HANDLE m_event;
};

SerialOpenError openErrorFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return SerialOpenError::NotFound;
        // A COM port another program holds is refused with "access denied".
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return SerialOpenError::Busy;
        default:
            return SerialOpenError::Other;
    }
}

// Starts an overlapped write and waits for it up to `waitMs`. Returns the bytes written, or
// -1 when it is still pending at the deadline (the write is then cancelled) or failed after
// being queued, or 0 when it failed at once.
long writeOnce(SerialSys& sys, HANDLE port, const uint8_t* data, DWORD n, DWORD waitMs) {
    Event event;
    if (!event.get()) return 0;
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD written = 0;
    if (sys.writeFile(port, data, n, &written, &ov)) return static_cast<long>(written);
    if (sys.lastError() != ERROR_IO_PENDING) return 0;
    if (sys.waitForEvent(event.get(), waitMs) != WAIT_OBJECT_0) {
        // The record must outlive the operation: cancel, then collect the cancelled result.
        sys.cancelIo(port);
        sys.getOverlappedResult(port, &ov, &written, TRUE);
        return -1;
    }
    if (!sys.getOverlappedResult(port, &ov, &written, FALSE)) return -1;
    return static_cast<long>(written);
}

}  // namespace

// Access to COM ports is not granted by groups on Windows.
std::string deviceGroupName(const std::string&) {
    return {};
}

SerialLink::SerialLink(Clock& clock, SerialSys& sys) : m_clock(clock), m_sys(sys) {}

SerialLink::~SerialLink() {
    close();
}

bool SerialLink::isAcceptedBaud(int baud) {
    switch (baud) {
        case 1200:
        case 2400:
        case 4800:
        case 9600:
        case 19200:
        case 38400:
        case 57600:
        case 115200:
            return true;
        default:
            return false;
    }
}

int SerialLink::open(const std::string& devicePath, const SerialSettings& settings) {
    close();

    m_openError = SerialOpenError::None;
    if (isSessionTerminal(devicePath)) {  // the console, not a port
        m_openError = SerialOpenError::NotATerminal;
        return -1;
    }
    // "COM3" is opened as \\.\COM3 (the only form that reaches COM10 and above); a name
    // already in the device namespace is used as given.
    std::string path = devicePath;
    if (path.rfind("\\\\", 0) != 0) path = "\\\\.\\" + path;
    const std::wstring wide = win32::toUtf16(path);
    HANDLE port = m_sys.openPort(wide.c_str());
    if (port == INVALID_HANDLE_VALUE || port == nullptr) {
        m_openError = openErrorFor(m_sys.lastError());
        return -1;
    }
    m_handle = port;
    m_open = true;
    m_sys.setupComm(port, kQueueBytes, kQueueBytes);
    purge(static_cast<int>(kPurgeAll));

    m_neverWritten = true;
    m_lastWriteEnd = 0;
    if (!isAcceptedBaud(settings.baud) || !configure(settings)) {
        // A handle without a line state (a file, a pipe) is no serial port.
        if (m_openError == SerialOpenError::None) m_openError = SerialOpenError::Settings;
        return -1;
    }
    m_baud = settings.baud;
    m_writePerByteMs = static_cast<uint32_t>(19200 / settings.baud);
    return 0;
}

bool SerialLink::configure(const SerialSettings& s) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!m_sys.getCommState(m_handle, &dcb)) {
        trace("GetCommState");
        m_openError = SerialOpenError::NotATerminal;
        return false;
    }
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.fBinary = 1;
    switch (s.parityIndex) {
        case 0:
            dcb.Parity = NOPARITY;
            dcb.fParity = 0;
            break;
        case 1:
            dcb.Parity = ODDPARITY;
            dcb.fParity = 1;
            break;
        case 2:
            dcb.Parity = EVENPARITY;
            dcb.fParity = 1;
            break;
        default:
            return false;
    }
    switch (s.dataBitsIndex) {
        case 0:
            dcb.ByteSize = 7;
            break;
        case 1:
            dcb.ByteSize = 8;
            break;
        default:
            return false;
    }
    switch (s.stopBitsIndex) {
        case 0:
            dcb.StopBits = ONESTOPBIT;
            break;
        case 1:
            dcb.StopBits = TWOSTOPBITS;
            break;
        default:
            return false;
    }
    if (s.flowIndex >= 0 && s.flowIndex <= 2) {
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDtrControl = s.flowIndex == 0 ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE;
        dcb.fOutX = s.flowIndex == 1 ? 1 : 0;
        dcb.fInX = s.flowIndex == 1 ? 1 : 0;
        dcb.fRtsControl = s.flowIndex == 2 ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        if (s.flowIndex == 1) {
            dcb.XonChar = 0x11;
            dcb.XoffChar = 0x13;
            dcb.XonLim = 1;
            dcb.XoffLim = 1;
        }
    }
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fAbortOnError = 0;
    if (!m_sys.setCommState(m_handle, &dcb)) {
        trace("SetCommState");
        return false;
    }

    COMMTIMEOUTS timeouts{};
    m_sys.getCommTimeouts(m_handle, &timeouts);
    timeouts.ReadIntervalTimeout = static_cast<DWORD>(kReadIntervalMs);
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(kReadTotalMs);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(19200 / s.baud);
    timeouts.WriteTotalTimeoutConstant = 0;
    // Without the read time-outs a read could wait for ever for its buffer to fill.
    return m_sys.setCommTimeouts(m_handle, &timeouts) != 0;
}

void SerialLink::purge(int flags) {
    if (m_handle) m_sys.purgeComm(m_handle, static_cast<DWORD>(flags));
}

bool SerialLink::wakeUp() {
    static constexpr uint8_t kZeros[2] = {0, 0};
    // Pending past its second: no printer takes bytes, so the write fails. A write that
    // completed or failed for another reason goes on, as the printer may still wake.
    if (writeOnce(m_sys, m_handle, kZeros, sizeof kZeros, static_cast<DWORD>(kChunkWaitMs)) < 0)
        return false;
    m_clock.sleepMs(kWakePauseMs);
    return true;
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
        const size_t len = std::min(kChunkSize, data.size() - pos);
        // What arrived while the command went out is discarded just before its last chunk
        // goes: discarded after the write, it would race the answer.
        if (pos + len == data.size() && !inputPurged) {
            purge(PURGE_RXCLEAR);
            inputPurged = true;
        }
        int failures = 0;
        for (;;) {
            const long n = writeOnce(m_sys, m_handle, data.data() + pos, static_cast<DWORD>(len),
                                     static_cast<DWORD>(kChunkWaitMs));
            if (n > 0) {
                pos += static_cast<size_t>(n);  // a short write continues from where it ended
                break;
            }
            if (n < 0) {
                purge(static_cast<int>(kPurgeAll));  // the chunk is abandoned, so its rest goes too
                return 0;
            }
            if (++failures >= kChunkTries) return 0;
        }
    }

    // The bytes are queued, not sent: wait until they are out. The output is never
    // discarded, which would cut the command.
    m_sys.flushFileBuffers(m_handle);
    m_lastWriteEnd = m_clock.nowMs();
    return static_cast<int>(pos);
}

int SerialLink::read(std::span<uint8_t> buffer) {
    if (!m_open || buffer.empty()) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    // A read never waits for the first byte.
    if (!m_sys.clearCommError(m_handle, &errors, &status) || status.cbInQue == 0) return 0;

    Event event;
    if (!event.get()) return 0;
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD got = 0;
    const DWORD capacity = static_cast<DWORD>(std::min<size_t>(buffer.size(), MAXDWORD));
    if (m_sys.readFile(m_handle, buffer.data(), capacity, &got, &ov)) return static_cast<int>(got);
    if (m_sys.lastError() == ERROR_IO_PENDING) {
        if (m_sys.waitForEvent(event.get(), kReadWaitMs) != WAIT_OBJECT_0) {
            m_sys.cancelIo(m_handle);
            m_sys.getOverlappedResult(m_handle, &ov, &got, TRUE);
            return static_cast<int>(got);
        }
        if (m_sys.getOverlappedResult(m_handle, &ov, &got, FALSE)) return static_cast<int>(got);
    }
    m_sys.clearCommError(m_handle, &errors, nullptr);
    return static_cast<int>(got);
}

void SerialLink::close() {
    if (!m_open && !m_handle) return;
    m_open = false;
    if (m_handle) {
        m_sys.closeHandle(m_handle);
        m_handle = nullptr;
    }
}

}  // namespace setrion
