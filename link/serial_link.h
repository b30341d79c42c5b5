#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "common/clock.h"
#include "link/printer_link.h"
#include "link/serial_sys.h"

namespace setrion {

// The line settings as the dialogs pass them: list positions, not termios values.
struct SerialSettings {
    int baud = 19200;       // 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200
    int parityIndex = 0;    // 0 none, 1 odd, 2 even
    int dataBitsIndex = 1;  // 0 seven bits, 1 eight bits
    int stopBitsIndex = 0;  // 0 one stop bit, 1 two stop bits
    int flowIndex = 0;      // 0 DTR/DSR, 1 Xon/Xoff, 2 RTS handshake, 3+ leave as it is
};

// Why the last SerialLink::open failed.
enum class SerialOpenError {
    None,
    NotFound,
    PermissionDenied,
    Busy,
    NotATerminal,
    Settings,
    Other
};
// "busy", "permission denied", ...
inline const char* serialOpenErrorText(SerialOpenError error) {
    switch (error) {
        case SerialOpenError::None:
            return "open";
        case SerialOpenError::NotFound:
            return "no such device";
        case SerialOpenError::PermissionDenied:
            return "permission denied";
        case SerialOpenError::Busy:
            return "busy";
        case SerialOpenError::NotATerminal:
            return "not a serial port";
        case SerialOpenError::Settings:
            return "line settings refused";
        case SerialOpenError::Other:
            break;
    }
    return "open failed";
}
// The group that owns a device node ("dialout"), empty when it cannot be told.
std::string deviceGroupName(const std::string& devicePath);

// The serial side of PrinterLink: a POSIX tty (ttyS, ttyUSB, ttyACM, rfcomm, ptys) or a
// Windows COM port (\\.\COMn), one implementation file per platform.
//
// Write wakes an idle printer (two zero bytes and a 350 ms pause when nothing was written
// since open or for more than 60 s), sends 64-byte chunks with at most 1000 ms for each,
// then drains the output (bounded) and discards the input received meanwhile.
// Read returns 0 at once when nothing waits; otherwise it gathers bytes until the buffer is
// full, 100 ms have passed in all, or 50 ms passed without a new byte.
class SerialLink final : public PrinterLink {
  public:
    static constexpr size_t kChunkSize = 64;
    static constexpr uint64_t kWakeIdleMs = 60000;
    static constexpr uint32_t kWakePauseMs = 350;
    static constexpr uint64_t kChunkWaitMs = 1000;
    static constexpr uint64_t kReadTotalMs = 100;
    static constexpr uint64_t kReadIntervalMs = 50;
    static constexpr int kChunkTries = 3;  // a chunk that fails at once is tried this often

    explicit SerialLink(Clock& clock = systemClock(), SerialSys& sys = systemSerialSys());
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Opens the device exclusively and applies the settings. Returns 0 when open and
    // configured, -1 otherwise. After -1 with the device opened (a rejected setting, a failed
    // configuration) isOpen() is true and the caller must close().
    // A device another process holds is refused at once (Busy), never waited on; a device
    // the user may not open traces the group that grants access.
    int open(const std::string& devicePath, const SerialSettings& settings);
    SerialOpenError lastOpenError() const { return m_openError; }

    int write(std::span<const uint8_t> data) override;
    int read(std::span<uint8_t> buffer) override;
    void close() override;
    bool isOpen() const override { return m_open; }

    // The write time-out per byte set by open: 19200 / baud in whole milliseconds.
    uint32_t writeTimeoutPerByteMs() const { return m_writePerByteMs; }
    int fd() const { return m_fd; }

    static bool isAcceptedBaud(int baud);

  private:
    bool configure(const SerialSettings& settings);
    bool wakeUp();
    bool waitWritable(uint64_t deadline);
    void drainOutput(size_t bytes);
    void purge(int queue);

    Clock& m_clock;
    SerialSys& m_sys;
    bool m_open = false;
    SerialOpenError m_openError = SerialOpenError::None;
    int m_fd = -1;
    void* m_handle = nullptr;  // the COM port's HANDLE on Windows
    int m_baud = 19200;
    uint32_t m_writePerByteMs = 1;
    // True from open until the first write: that write always wakes the printer, whatever
    // the clock's epoch.
    bool m_neverWritten = true;
    uint64_t m_lastWriteStart = 0;
    uint64_t m_lastWriteEnd = 0;
};

}  // namespace setrion
