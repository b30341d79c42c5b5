#pragma once
#include <cstdint>

// Opaque Win32 types, so users of SerialLink do not get <windows.h> and its macros.
struct _DCB;
struct _COMMTIMEOUTS;
struct _COMSTAT;
struct _OVERLAPPED;

namespace setrion {

// Every Win32 call the serial link makes goes through this interface, so tests can script
// the port without a device. The members mirror the Win32 calls (HANDLE is void*, DWORD is
// unsigned long, BOOL is int) and return what the call returns; lastError() is GetLastError.
class SerialSys {
public:
    using Handle = void*;
    using Dword = unsigned long;

    virtual ~SerialSys() = default;
    // CreateFileW for reading and writing, no sharing, existing device, overlapped I/O.
    // Returns INVALID_HANDLE_VALUE on failure.
    virtual Handle openPort(const wchar_t* path) = 0;
    virtual int closeHandle(Handle h) = 0;
    virtual int setupComm(Handle h, Dword inQueue, Dword outQueue) = 0;
    virtual int purgeComm(Handle h, Dword flags) = 0;
    virtual int getCommState(Handle h, _DCB* dcb) = 0;
    virtual int setCommState(Handle h, _DCB* dcb) = 0;
    virtual int getCommTimeouts(Handle h, _COMMTIMEOUTS* timeouts) = 0;
    virtual int setCommTimeouts(Handle h, _COMMTIMEOUTS* timeouts) = 0;
    virtual int clearCommError(Handle h, Dword* errors, _COMSTAT* status) = 0;
    virtual int writeFile(Handle h, const void* data, Dword n, Dword* written, _OVERLAPPED* ov) = 0;
    virtual int readFile(Handle h, void* data, Dword n, Dword* got, _OVERLAPPED* ov) = 0;
    virtual int getOverlappedResult(Handle h, _OVERLAPPED* ov, Dword* n, int wait) = 0;
    // WaitForSingleObject on an event: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    virtual Dword waitForEvent(Handle event, Dword timeoutMs) = 0;
    virtual int cancelIo(Handle h) = 0;
    virtual int flushFileBuffers(Handle h) = 0;
    virtual Dword lastError() = 0;
};

// The real calls.
class Win32SerialSys : public SerialSys {
public:
    Handle openPort(const wchar_t* path) override;
    int closeHandle(Handle h) override;
    int setupComm(Handle h, Dword inQueue, Dword outQueue) override;
    int purgeComm(Handle h, Dword flags) override;
    int getCommState(Handle h, _DCB* dcb) override;
    int setCommState(Handle h, _DCB* dcb) override;
    int getCommTimeouts(Handle h, _COMMTIMEOUTS* timeouts) override;
    int setCommTimeouts(Handle h, _COMMTIMEOUTS* timeouts) override;
    int clearCommError(Handle h, Dword* errors, _COMSTAT* status) override;
    int writeFile(Handle h, const void* data, Dword n, Dword* written, _OVERLAPPED* ov) override;
    int readFile(Handle h, void* data, Dword n, Dword* got, _OVERLAPPED* ov) override;
    int getOverlappedResult(Handle h, _OVERLAPPED* ov, Dword* n, int wait) override;
    Dword waitForEvent(Handle event, Dword timeoutMs) override;
    int cancelIo(Handle h) override;
    int flushFileBuffers(Handle h) override;
    Dword lastError() override;
};

// The process-wide instance of the real calls.
SerialSys& systemSerialSys();

}  // namespace setrion
