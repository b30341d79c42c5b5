// SerialLink on Win32 against a scripted port: the DCB and time-outs it sets, the wake-up,
// the chunks, the purges and the bounded waits.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "link/port_failure.h"
#include "link/port_names.h"
#include "link/serial_link.h"

using namespace setrion;

namespace {

class ScriptedPort : public SerialSys {
public:
    std::wstring openedPath;
    Dword openError = 0;
    DCB dcb{};
    COMMTIMEOUTS timeouts{};
    std::vector<std::string> writes;
    std::vector<Dword> purges;
    Dword inQueue = 0;
    bool pendingForever = false;  // writes stay pending and their event is never signalled
    int failingWrites = 0;        // writes that fail at once
    Dword error = 0;

    Handle openPort(const wchar_t* path) override {
        openedPath = path;
        if (openError) {
            error = openError;
            return INVALID_HANDLE_VALUE;
        }
        return reinterpret_cast<Handle>(0x1234);
    }
    int closeHandle(Handle) override { return 1; }
    int setupComm(Handle, Dword, Dword) override { return 1; }
    int purgeComm(Handle, Dword flags) override {
        purges.push_back(flags);
        writes.push_back("<purge " + std::to_string(flags) + ">");
        return 1;
    }
    bool noLineState = false;  // a handle that is no serial port
    int getCommState(Handle, _DCB* d) override {
        *d = dcb;
        return noLineState ? 0 : 1;
    }
    int setCommState(Handle, _DCB* d) override {
        dcb = *d;
        return 1;
    }
    int getCommTimeouts(Handle, _COMMTIMEOUTS* t) override {
        *t = timeouts;
        return 1;
    }
    int setCommTimeouts(Handle, _COMMTIMEOUTS* t) override {
        timeouts = *t;
        return 1;
    }
    int clearCommError(Handle, Dword* errors, _COMSTAT* status) override {
        if (errors) *errors = 0;
        if (status) status->cbInQue = inQueue;
        return 1;
    }
    int writeFile(Handle, const void* data, Dword n, Dword* written, _OVERLAPPED*) override {
        if (failingWrites > 0) {
            --failingWrites;
            error = ERROR_GEN_FAILURE;
            return 0;
        }
        if (pendingForever) {
            error = ERROR_IO_PENDING;
            return 0;
        }
        writes.emplace_back(static_cast<const char*>(data), n);
        *written = n;
        return 1;
    }
    int readFile(Handle, void* data, Dword n, Dword* got, _OVERLAPPED*) override {
        const Dword count = std::min(n, inQueue);
        std::memset(data, 'x', count);
        *got = count;
        return 1;
    }
    int getOverlappedResult(Handle, _OVERLAPPED*, Dword* n, int) override {
        *n = 0;
        return 0;
    }
    Dword waitForEvent(Handle, Dword) override { return pendingForever ? WAIT_TIMEOUT : WAIT_OBJECT_0; }
    int cancelIo(Handle) override { return 1; }
    int flushFileBuffers(Handle) override { return 1; }
    Dword lastError() override { return error; }
};

}  // namespace

TEST(SerialLinkWin32, LineSettingsBecomeTheDcbAndTimeouts) {
    struct Case {
        SerialSettings settings;
        BYTE parity, byteSize, stopBits;
        DWORD dtr, rts, outX, writeMultiplier;
    };
    const Case cases[] = {
        {{1200, 0, 1, 0, 0}, NOPARITY, 8, ONESTOPBIT, DTR_CONTROL_HANDSHAKE, RTS_CONTROL_DISABLE, 0, 16},
        {{9600, 1, 0, 1, 1}, ODDPARITY, 7, TWOSTOPBITS, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, 1, 2},
        {{38400, 2, 1, 0, 2}, EVENPARITY, 8, ONESTOPBIT, DTR_CONTROL_DISABLE, RTS_CONTROL_HANDSHAKE, 0, 0},
    };
    for (const Case& c : cases) {
        ScriptedPort port;
        SerialLink link(systemClock(), port);
        ASSERT_EQ(link.open("COM3", c.settings), 0) << c.settings.baud;
        EXPECT_EQ(port.openedPath, L"\\\\.\\COM3");
        EXPECT_EQ(port.dcb.BaudRate, static_cast<DWORD>(c.settings.baud));
        EXPECT_EQ(port.dcb.Parity, c.parity);
        EXPECT_EQ(port.dcb.fParity, c.parity == NOPARITY ? 0u : 1u);
        EXPECT_EQ(port.dcb.ByteSize, c.byteSize);
        EXPECT_EQ(port.dcb.StopBits, c.stopBits);
        EXPECT_EQ(port.dcb.fDtrControl, c.dtr);
        EXPECT_EQ(port.dcb.fRtsControl, c.rts);
        EXPECT_EQ(port.dcb.fOutX, c.outX);
        EXPECT_EQ(port.dcb.fTXContinueOnXoff, 1u);
        EXPECT_EQ(port.timeouts.ReadIntervalTimeout, 50u);
        EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant, 100u);
        EXPECT_EQ(port.timeouts.WriteTotalTimeoutMultiplier, c.writeMultiplier);
    }
}

TEST(SerialLinkWin32, RefusedSettingsAndMissingPorts) {
    ScriptedPort port;
    SerialLink link(systemClock(), port);
    EXPECT_EQ(link.open("COM1", {300, 0, 1, 0, 0}), -1);
    EXPECT_TRUE(link.isOpen());  // opened, then refused: the caller closes
    link.close();
    EXPECT_FALSE(link.isOpen());

    port.openError = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(link.open("COM9", {}), -1);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.lastOpenError(), SerialOpenError::NotFound);
    port.openError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(link.open("COM9", {}), -1);
    EXPECT_EQ(link.lastOpenError(), SerialOpenError::Busy);
}

TEST(SerialLinkWin32, WakeUpChunksAndInputPurge) {
    ScriptedPort port;
    ManualClock clock;
    SerialLink link(clock, port);
    ASSERT_EQ(link.open("COM2", {}), 0);
    port.writes.clear();
    const std::string data(150, 'a');
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    EXPECT_EQ(link.write(bytes), 150);
    const std::vector<std::string> first = {std::string(2, '\0'), std::string(64, 'a'),
                                            std::string(64, 'a'), "<purge 8>", std::string(22, 'a')};
    EXPECT_EQ(port.writes, first);
    EXPECT_EQ(clock.sleptMs(), 350u);

    port.writes.clear();
    clock.advance(2000);
    EXPECT_EQ(link.write(bytes.first(10)), 10);  // no wake-up two seconds later
    EXPECT_EQ(port.writes.front(), "<purge 8>");
    port.writes.clear();
    clock.advance(61000);
    EXPECT_EQ(link.write(bytes.first(10)), 10);  // but again after a minute
    EXPECT_EQ(port.writes.front(), std::string(2, '\0'));
}

TEST(SerialLinkWin32, WritesAndReadsAreBounded) {
    ScriptedPort port;
    ManualClock clock;
    SerialLink link(clock, port);
    ASSERT_EQ(link.open("COM2", {}), 0);
    const uint8_t byte = 'x';
    port.pendingForever = true;
    EXPECT_EQ(link.write(std::span(&byte, 1)), 0);  // the wake-up never completes

    port.pendingForever = false;
    port.failingWrites = 100;  // a chunk failing at once is tried a bounded number of times
    EXPECT_EQ(link.write(std::span(&byte, 1)), 0);

    uint8_t buffer[8] = {};
    EXPECT_EQ(link.read(buffer), 0);  // nothing waiting: no read at all
    EXPECT_EQ(buffer[0], 0);
    port.inQueue = 5;
    EXPECT_EQ(link.read(buffer), 5);
}

TEST(PortNamesWin32, ComPortsUpTo256OpenThroughTheDeviceNamespace) {
    const PortMap none;
    auto noEnv = [](const char*) -> const char* { return nullptr; };
    EXPECT_EQ(resolvePort("COM1", none, nullptr, noEnv)->device, "\\\\.\\COM1");
    EXPECT_EQ(resolvePort("com256", none, nullptr, noEnv)->device, "\\\\.\\COM256");
    std::string error;
    EXPECT_FALSE(resolvePort("COM257", none, &error, noEnv));
    EXPECT_EQ(error, "\"COM257\" is not one of COM1..COM256");
    EXPECT_FALSE(resolvePort("COM0", none, nullptr, noEnv));
    EXPECT_EQ(resolvePort("\\\\.\\CNCA0", none, nullptr, noEnv)->device, "\\\\.\\CNCA0");
}

TEST(SerialLinkWin32, OpenFailuresNameThePortAndTheReason) {
    struct Case {
        DWORD error;
        SerialOpenError kind;
        const char* reason;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, SerialOpenError::NotFound, "no such device: COM9"},
        {ERROR_PATH_NOT_FOUND, SerialOpenError::NotFound, "no such device: COM9"},
        {ERROR_ACCESS_DENIED, SerialOpenError::Busy, "COM9 is busy: another program holds it"},
        {ERROR_SHARING_VIOLATION, SerialOpenError::Busy, "COM9 is busy: another program holds it"},
        {ERROR_GEN_FAILURE, SerialOpenError::Other, "COM9: open failed"},
    };
    for (const Case& c : cases) {
        ScriptedPort port;
        port.openError = c.error;
        SerialLink link(systemClock(), port);
        EXPECT_EQ(link.open("\\\\.\\COM9", {}), -1);
        EXPECT_EQ(link.lastOpenError(), c.kind) << c.error;
        EXPECT_EQ(serialOpenFailureReason("\\\\.\\COM9", link.lastOpenError()), c.reason);
    }
    ScriptedPort port;
    port.noLineState = true;
    SerialLink link(systemClock(), port);
    EXPECT_EQ(link.open("COM3", {}), -1);
    EXPECT_EQ(serialOpenFailureReason("COM3", link.lastOpenError()), "COM3 is not a serial port");
    port.noLineState = false;
    EXPECT_EQ(link.open("CON", {}), -1);  // the console is never opened as a port
    EXPECT_EQ(link.lastOpenError(), SerialOpenError::NotATerminal);
    EXPECT_EQ(deviceIdentity("\\\\.\\com9"), deviceIdentity("COM9"));
}
