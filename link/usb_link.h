#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <thread>

#include "common/clock.h"
#include "link/printer_link.h"
#include "link/usb_backend.h"

namespace setrion {

// Timing of the USB link. The defaults are what the program uses; tests shorten them.
struct UsbLinkOptions {
    uint32_t pollIntervalMs = 500;      // the reconnect thread's pause before each search
    uint32_t reconnectBoundMs = 30000;  // how long the reconnect thread searches
    uint32_t writeBoundMs = 30000;      // how long a write waits for a lost device to return
    uint32_t transferTimeoutMs = 5000;  // one bulk OUT attempt
    uint32_t readTimeoutMs = 3;         // one bulk IN poll when nothing is buffered
};

// The interface of an accepted printer that the link claims.
struct UsbPrinterInterface {
    uint8_t number = 0;
    uint8_t alternateSetting = 0;
    uint8_t outEndpoint = 0;
    uint8_t inEndpoint = 0;
    uint16_t inPacketSize = 0;
};

// The USB side of PrinterLink on a UsbBackend (libusb in the program, a fake in tests).
//
// Open finds the first present printer with an accepted vendor/product pair and a
// printer-class interface with bulk OUT and IN endpoints, detaches the kernel's printer
// driver from that interface and claims it. Write sends blocks of at most 1024 bytes. When an
// attempt fails (the printer dropped off the bus), the write hands the search for the device
// to a reconnect thread and waits for it to install a new handle, then goes on from the
// first byte the device has not accepted; the write then returns 0 although the data got
// through. Both waits are bounded. Close sends one 0x00 byte, stops the reconnect thread,
// releases the interface and gives it back to the kernel driver.
//
// Every operation is for one thread (the user-interface thread); the reconnect thread
// shares the handle and the flags with it under a mutex.
class UsbLink final : public PrinterLink {
  public:
    static constexpr size_t kBlockSize = 1024;
    static constexpr int kOpenOk = 0;
    static constexpr int kOpenFailed = 1;
    static constexpr int kCloseOk = 0;
    static constexpr int kCloseNotOpen = 3;

    explicit UsbLink(usb::UsbBackend& backend = usb::systemUsbBackend(),
                     Clock& clock = systemClock(), UsbLinkOptions options = {});
    ~UsbLink() override;
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // The port text is not looked at. Returns kOpenOk, or kOpenFailed when no accepted
    // device is present, it cannot be opened (permissions) or its interface is held.
    int open(std::string_view port = {});
    // Returns the length on a write that went through at the first attempt, 0 when the link
    // is not open or any attempt failed (even when the data got through after a reconnect).
    int write(std::span<const uint8_t> data) override;
    // Returns the bytes waiting (at most the buffer's size); 0 within a few milliseconds when
    // nothing has arrived, on error or when not open.
    int read(std::span<uint8_t> buffer) override;
    void close() override { closePort(); }
    // Returns kCloseNotOpen when the link was not open, kCloseOk otherwise.
    int closePort();
    bool isOpen() const override { return m_open.load(); }
    // True after a write that returned 0 only because it needed a reconnect: every byte got
    // through.
    bool lastWriteRecovered() const override { return m_lastWriteRecovered; }

    // Set by the reconnect thread: reconnected after a success, searching while attempts fail.
    bool reconnected() const { return m_reconnected.load(); }
    bool searching() const { return m_searching.load(); }
    // True while a reconnect thread has been started and has not ended.
    bool reconnectRunning() const;
    uint64_t lastWriteStartMs() const { return m_writeStartMs; }
    uint64_t lastWriteEndMs() const { return m_writeEndMs; }

    // The interface the link would claim on `device`, or nullopt when the device is not an
    // accepted printer (ids 0x12EE:0x9485 or 0x0525:0xA702, printer class, bulk OUT and IN).
    static std::optional<UsbPrinterInterface> acceptedInterface(const usb::DeviceInfo& device);
    // True for the two vendor:product pairs the link opens.
    static bool isAcceptedId(uint16_t vendor, uint16_t product);

  private:
    struct Session {
        std::shared_ptr<usb::UsbDeviceHandle> handle;
        UsbPrinterInterface iface;
        bool driverDetached = false;
    };

    usb::UsbError findAndOpen(Session& session);
    void releaseSession(Session& session, bool sendZeroByte);
    // Drops the failed handle and starts the reconnect thread when armed. False when no
    // thread is looking for the device and no new handle is in place.
    bool handOverToReconnect(const std::shared_ptr<usb::UsbDeviceHandle>& failed);
    void stopReconnect();
    void reconnectLoop();

    usb::UsbBackend& m_backend;
    Clock& m_clock;
    const UsbLinkOptions m_options;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;  // a handle installed, the thread ended, a stop asked
    Session m_session;                  // guarded by m_mutex; handle null while lost or closed
    std::deque<uint8_t> m_pending;      // guarded by m_mutex; read beyond the caller's buffer
    bool m_threadRunning = false;       // guarded by m_mutex
    bool m_stopRequested = false;       // guarded by m_mutex
    std::thread m_thread;               // started and joined by the operations' thread only

    std::atomic<bool> m_open{false};
    // 1 when a failing write may start the reconnect thread; armed from the start, so a
    // write before the first close can recover.
    std::atomic<bool> m_armed{true};
    std::atomic<bool> m_reconnected{false};
    std::atomic<bool> m_searching{false};

    bool m_lastWriteRecovered = false;
    uint64_t m_writeStartMs = 0;
    uint64_t m_writeEndMs = 0;
};

}  // namespace setrion
