#include "link/serial_sys_win32.h"

#include <windows.h>

namespace setrion {

SerialSys::Handle Win32SerialSys::openPort(const wchar_t* path) {
    return ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
}
int Win32SerialSys::closeHandle(Handle h) { return ::CloseHandle(h); }
int Win32SerialSys::setupComm(Handle h, Dword in, Dword out) { return ::SetupComm(h, in, out); }
int Win32SerialSys::purgeComm(Handle h, Dword flags) { return ::PurgeComm(h, flags); }
int Win32SerialSys::getCommState(Handle h, _DCB* dcb) { return ::GetCommState(h, dcb); }
int Win32SerialSys::setCommState(Handle h, _DCB* dcb) { return ::SetCommState(h, dcb); }
int Win32SerialSys::getCommTimeouts(Handle h, _COMMTIMEOUTS* t) { return ::GetCommTimeouts(h, t); }
int Win32SerialSys::setCommTimeouts(Handle h, _COMMTIMEOUTS* t) { return ::SetCommTimeouts(h, t); }
int Win32SerialSys::clearCommError(Handle h, Dword* errors, _COMSTAT* status) {
    return ::ClearCommError(h, errors, status);
}
int Win32SerialSys::writeFile(Handle h, const void* data, Dword n, Dword* written, _OVERLAPPED* ov) {
    return ::WriteFile(h, data, n, written, ov);
}
int Win32SerialSys::readFile(Handle h, void* data, Dword n, Dword* got, _OVERLAPPED* ov) {
    return ::ReadFile(h, data, n, got, ov);
}
int Win32SerialSys::getOverlappedResult(Handle h, _OVERLAPPED* ov, Dword* n, int wait) {
    return ::GetOverlappedResult(h, ov, n, wait);
}
SerialSys::Dword Win32SerialSys::waitForEvent(Handle event, Dword timeoutMs) {
    return ::WaitForSingleObject(event, timeoutMs);
}
int Win32SerialSys::cancelIo(Handle h) { return ::CancelIo(h); }
int Win32SerialSys::flushFileBuffers(Handle h) { return ::FlushFileBuffers(h); }
SerialSys::Dword Win32SerialSys::lastError() { return ::GetLastError(); }

SerialSys& systemSerialSys() {
    static Win32SerialSys sys;
    return sys;
}

}  // namespace setrion
