#include "link/usb_link.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "common/trace.h"

namespace setrion {
namespace {

using usb::UsbError;
using SteadyClock = std::chrono::steady_clock;

// How often a write waiting for a lost device gives the clock (and with it the desktop
// program's painting) a turn.
constexpr std::chrono::milliseconds kHostTurnEvery{50};

struct UsbId {
    uint16_t vendor;
    uint16_t product;
};
constexpr std::array<UsbId, 2> kAcceptedIds{{{0x12EE, 0x9485}, {0x0525, 0xA702}}};

void traceError(const char* what, UsbError error) {
    trace(std::string(what) + ": " + usb::usbErrorName(error));
}

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

std::string interfaceText(const UsbPrinterInterface& iface) {
    return "interface " + std::to_string(iface.number);
}

}  // namespace

bool UsbLink::isAcceptedId(uint16_t vendor, uint16_t product) {
    return std::any_of(kAcceptedIds.begin(), kAcceptedIds.end(), [&](const UsbId& id) {
        return id.vendor == vendor && id.product == product;
    });
}

UsbLink::UsbLink(usb::UsbBackend& backend, Clock& clock, UsbLinkOptions options)
    : m_backend(backend), m_clock(clock), m_options(options) {}

UsbLink::~UsbLink() {
    closePort();
}

std::optional<UsbPrinterInterface> UsbLink::acceptedInterface(const usb::DeviceInfo& device) {
    if (!isAcceptedId(device.vendorId, device.productId)) return std::nullopt;
    for (const usb::InterfaceInfo& iface : device.interfaces) {
        if (iface.interfaceClass != usb::kPrinterInterfaceClass) continue;
        const usb::EndpointInfo* out = nullptr;
        const usb::EndpointInfo* in = nullptr;
        for (const usb::EndpointInfo& ep : iface.endpoints) {
            if (!ep.isBulk()) continue;
            if (ep.isIn() && !in) in = &ep;
            if (!ep.isIn() && !out) out = &ep;
        }
        if (!out || !in) continue;
        return UsbPrinterInterface{iface.number, iface.alternateSetting, out->address, in->address,
                                   in->maxPacketSize};
    }
    return std::nullopt;
}

UsbError UsbLink::findAndOpen(Session& session) {
    std::vector<usb::DeviceInfo> devices;
    if (UsbError e = m_backend.enumerate(devices); e != UsbError::Ok) return e;
    UsbError last = UsbError::NotFound;
    for (const usb::DeviceInfo& device : devices) {
        std::optional<UsbPrinterInterface> iface = acceptedInterface(device);
        if (!iface) continue;
        const std::string where =
            "USB " + hex(device.vendorId, 4) + ":" + hex(device.productId, 4) + " on bus " +
            std::to_string(device.busNumber) + " address " + std::to_string(device.deviceAddress);
        std::unique_ptr<usb::UsbDeviceHandle> handle;
        if (UsbError e = m_backend.open(device, handle); e != UsbError::Ok || !handle) {
            last = e == UsbError::Ok ? UsbError::Other : e;
            traceError((where + ": open").c_str(), last);
            continue;
        }
        trace(where + ": opened, " + interfaceText(*iface) + " (out 0x" +
              hex(iface->outEndpoint, 2) + ", in 0x" + hex(iface->inEndpoint, 2) + ", " +
              std::to_string(iface->inPacketSize) + "-byte packets)");
        bool active = false;
        bool detached = false;
        if (handle->kernelDriverActive(iface->number, active) == UsbError::Ok && active) {
            if (UsbError e = handle->detachKernelDriver(iface->number); e != UsbError::Ok) {
                traceError(
                    ("USB detach of the kernel driver from " + interfaceText(*iface)).c_str(), e);
                last = e;
                continue;
            }
            trace("USB detached the kernel driver from " + interfaceText(*iface));
            detached = true;
        }
        UsbError e = handle->claimInterface(iface->number);
        if (e == UsbError::Ok && iface->alternateSetting != 0) {
            e = handle->setAlternateSetting(iface->number, iface->alternateSetting);
            if (e != UsbError::Ok) handle->releaseInterface(iface->number);
        }
        if (e != UsbError::Ok) {
            traceError(("USB claim of " + interfaceText(*iface)).c_str(), e);
            if (detached) handle->attachKernelDriver(iface->number);
            last = e;
            continue;
        }
        trace("USB claimed " + interfaceText(*iface));
        session.handle = std::move(handle);
        session.iface = *iface;
        session.driverDetached = detached;
        return UsbError::Ok;
    }
    return last;
}

void UsbLink::releaseSession(Session& session, bool sendZeroByte) {
    if (!session.handle) return;
    usb::UsbDeviceHandle& h = *session.handle;
    if (sendZeroByte) {
        // Tells the printer the host is done with it. One attempt only: a printer that is
        // gone must not hold up the close.
        const uint8_t zero = 0x00;
        size_t sent = 0;
        UsbError e = h.bulkWrite(session.iface.outEndpoint, std::span<const uint8_t>(&zero, 1),
                                 sent, m_options.transferTimeoutMs);
        if (e != UsbError::Ok) traceError("USB close write", e);
    }
    h.releaseInterface(session.iface.number);
    std::string released = "USB released " + interfaceText(session.iface);
    if (session.driverDetached) {
        UsbError e = h.attachKernelDriver(session.iface.number);
        released += e == UsbError::Ok
                        ? ", kernel driver attached again"
                        : std::string(", kernel driver not attached: ") + usb::usbErrorName(e);
    }
    trace(released);
    session = Session{};
}

int UsbLink::open(std::string_view /*port*/) {
    stopReconnect();
    Session old;
    {
        std::lock_guard lock(m_mutex);
        old = std::move(m_session);
        m_session = Session{};
        m_open = false;
        m_pending.clear();
    }
    releaseSession(old, false);

    Session session;
    if (UsbError e = findAndOpen(session); e != UsbError::Ok) {
        traceError("USB open failed", e);
        return kOpenFailed;
    }
    std::lock_guard lock(m_mutex);
    m_session = std::move(session);
    m_reconnected = false;
    m_searching = false;
    m_armed = true;
    m_open = true;
    return kOpenOk;
}

bool UsbLink::reconnectRunning() const {
    std::lock_guard lock(m_mutex);
    return m_threadRunning;
}

bool UsbLink::handOverToReconnect(const std::shared_ptr<usb::UsbDeviceHandle>& failed) {
    Session lost;
    bool start = false;
    {
        std::lock_guard lock(m_mutex);
        if (failed && m_session.handle == failed) {
            lost = std::move(m_session);
            m_session = Session{};
            m_pending.clear();
            // Until the device is back the link does not count as open: other writes fail
            // at once instead of each waiting for the bound.
            m_open = false;
            if (m_armed) {
                m_armed = false;
                start = true;
            }
        }
        // Not ours to hand over: a thread is searching already, or has put a new handle in.
        if (!start) return m_threadRunning || m_session.handle != nullptr;
    }
    releaseSession(lost, false);
    if (m_thread.joinable()) m_thread.join();  // a thread that has ended already
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
        m_threadRunning = true;
    }
    try {
        m_thread = std::thread(&UsbLink::reconnectLoop, this);
    } catch (const std::system_error&) {
        trace("USB reconnect thread failed to start");
        std::lock_guard lock(m_mutex);
        m_threadRunning = false;
        m_armed = true;
        return false;
    }
    return true;
}

int UsbLink::write(std::span<const uint8_t> data) {
    m_lastWriteRecovered = false;
    if (!m_open) return 0;
    m_writeStartMs = m_clock.nowMs();
    bool failed = false;
    std::optional<SteadyClock::time_point> deadline;

    size_t offset = 0;
    while (offset < data.size()) {
        const size_t blockEnd = std::min(data.size(), offset + kBlockSize);
        while (offset < blockEnd) {
            std::shared_ptr<usb::UsbDeviceHandle> handle;
            uint8_t endpoint = 0;
            {
                std::lock_guard lock(m_mutex);
                handle = m_session.handle;
                endpoint = m_session.iface.outEndpoint;
            }
            UsbError e = UsbError::NoDevice;
            if (handle) {
                size_t sent = 0;
                e = handle->bulkWrite(endpoint, data.subspan(offset, blockEnd - offset), sent,
                                      m_options.transferTimeoutMs);
                // What the device accepted counts, even from a cut transfer: a retry
                // resends only the rest, so no byte arrives twice.
                const size_t asked = blockEnd - offset;
                offset += std::min(sent, asked);
                if (e == UsbError::Ok && sent == 0) e = UsbError::Io;
                trace("USB out " + std::to_string(sent) + " of " + std::to_string(asked) +
                      " bytes" +
                      (e == UsbError::Timeout
                           ? ", timed out after " + std::to_string(m_options.transferTimeoutMs) +
                                 " ms"
                           : std::string()));
                if (e == UsbError::Ok) continue;
                traceError("USB write failed", e);
            }
            failed = true;
            if (!deadline) {
                trace("USB device lost: waiting up to " + std::to_string(m_options.writeBoundMs) +
                      " ms for it to come back");
                deadline = SteadyClock::now() + std::chrono::milliseconds(m_options.writeBoundMs);
            }
            bool searching = handOverToReconnect(handle);
            handle.reset();  // the failed device is closed before the search reopens it
            if (!searching) {
                trace("USB write abandoned: device lost");
                m_writeEndMs = m_clock.nowMs();
                return 0;
            }
            std::unique_lock lock(m_mutex);
            const auto settled = [&] { return m_session.handle || !m_threadRunning; };
            bool back = false;
            // The wait is cut into slices with a zero sleep on the clock between them, so a
            // desktop program keeps painting while the device is away.
            for (;;) {
                back = m_changed.wait_until(
                    lock, std::min(*deadline, SteadyClock::now() + kHostTurnEvery), settled);
                if (back || SteadyClock::now() >= *deadline) break;
                lock.unlock();
                m_clock.sleepMs(0);
                lock.lock();
            }
            if (!back || !m_session.handle) {
                lock.unlock();
                trace("USB write abandoned: device lost");
                m_writeEndMs = m_clock.nowMs();
                return 0;
            }
        }
    }
    m_writeEndMs = m_clock.nowMs();
    m_lastWriteRecovered = failed;
    return failed ? 0 : static_cast<int>(data.size());
}

int UsbLink::read(std::span<uint8_t> buffer) {
    if (!m_open || buffer.empty()) return 0;
    std::shared_ptr<usb::UsbDeviceHandle> handle;
    UsbPrinterInterface iface;
    {
        std::lock_guard lock(m_mutex);
        if (!m_pending.empty()) {
            size_t n = std::min(buffer.size(), m_pending.size());
            std::copy_n(m_pending.begin(), n, buffer.begin());
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(n));
            return static_cast<int>(n);
        }
        handle = m_session.handle;
        iface = m_session.iface;
    }
    if (!handle) return 0;
    // A bulk IN transfer must take whole packets, or a long packet overflows: read into a
    // buffer of whole packets and keep what does not fit the caller's for the next read.
    const size_t packet = std::max<size_t>(iface.inPacketSize, 64);
    std::vector<uint8_t> chunk((buffer.size() + packet - 1) / packet * packet);
    size_t got = 0;
    UsbError e = handle->bulkRead(iface.inEndpoint, chunk, got, m_options.readTimeoutMs);
    if (e != UsbError::Ok && e != UsbError::Timeout) traceError("USB read failed", e);
    got = std::min(got, chunk.size());
    if (got > 0) trace("USB in " + std::to_string(got) + " bytes");
    const size_t n = std::min(got, buffer.size());
    std::copy_n(chunk.begin(), n, buffer.begin());
    if (got > n) {
        std::lock_guard lock(m_mutex);
        m_pending.insert(m_pending.end(), chunk.begin() + static_cast<long>(n),
                         chunk.begin() + static_cast<long>(got));
    }
    return static_cast<int>(n);
}

void UsbLink::stopReconnect() {
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard lock(m_mutex);
    m_stopRequested = false;
    m_threadRunning = false;
}

int UsbLink::closePort() {
    stopReconnect();
    Session session;
    bool wasOpen = false;
    {
        std::lock_guard lock(m_mutex);
        session = std::move(m_session);
        m_session = Session{};
        m_pending.clear();
        wasOpen = m_open.exchange(false);
        m_armed = true;
    }
    releaseSession(session, true);
    return wasOpen ? kCloseOk : kCloseNotOpen;
}

void UsbLink::reconnectLoop() {
    const auto start = SteadyClock::now();
    const auto bound = std::chrono::milliseconds(m_options.reconnectBoundMs);
    trace("USB reconnect: searching every " + std::to_string(m_options.pollIntervalMs) +
          " ms for up to " + std::to_string(m_options.reconnectBoundMs) + " ms");
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_changed.wait_for(lock, std::chrono::milliseconds(m_options.pollIntervalMs),
                                   [this] { return m_stopRequested; }))
                break;
        }
        Session session;
        UsbError e = findAndOpen(session);
        std::unique_lock lock(m_mutex);
        if (e == UsbError::Ok) {
            if (m_stopRequested) {
                lock.unlock();
                releaseSession(session, false);
                lock.lock();
                break;
            }
            m_session = std::move(session);
            m_open = true;
            m_armed = true;
            m_reconnected = true;
            m_searching = false;
            trace("USB reconnected after " +
                  std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     SteadyClock::now() - start)
                                     .count()) +
                  " ms");
            break;
        }
        m_open = false;
        m_searching = true;
        if (m_stopRequested) break;
        if (SteadyClock::now() - start >= bound) {
            trace("USB reconnect gave up: device not found");
            m_armed = true;
            break;
        }
    }
    std::lock_guard lock(m_mutex);
    m_threadRunning = false;
    m_changed.notify_all();
}

}  // namespace setrion
