#include "wifi/module/module_connection.h"

#include <algorithm>
#include <string>

#include "common/interrupt.h"
#include "common/trace.h"
#include "wifi/module/env_item.h"
#include "wifi/module/module_frames.h"
#include "wifi/module/parameter_reply.h"

namespace setrion::wifi {

int moduleGenerationFromInfo(uint8_t byte2, uint8_t byte3) {
    if (byte2 == 1 && byte3 > 5) return 2;
    if (byte2 > 1) return 3;
    return 1;
}

ModuleConnection::ModuleConnection(LinkPair& links, Clock& clock)
    : m_links(links), m_clock(clock) {}

bool ModuleConnection::openModuleLink(LinkKind kind, const std::function<bool(LinkKind)>& open) {
    if (kind == LinkKind::None || !open || !open(kind)) {
        m_links.kind = LinkKind::None;
        return false;
    }
    m_links.kind = kind;
    return true;
}

void ModuleConnection::closeModuleLink() {
    if (PrinterLink* l = m_links.current()) l->close();
    m_links.kind = LinkKind::None;
}

OpenPortResult ModuleConnection::openPort(LinkKind kind,
                                          const std::function<bool(LinkKind)>& open) {
    m_portOpen = false;
    m_infoRead = false;
    if (!openModuleLink(kind, open)) return OpenPortResult::OpenFailed;
    m_clock.sleepMs(kOpenSettleMs);
    // Interrupted before command mode: nothing to undo. Once the enter frame is sent, its
    // banner is awaited whole, so a module that entered command mode is known and left.
    if (interruptRequested()) {
        closeModuleLink();
        return OpenPortResult::OpenFailed;
    }
    bool entered = false;
    {
        InterruptShield shield;
        entered = enterCommandMode();
    }
    if (!entered) {
        closeModuleLink();
        return OpenPortResult::NoBanner;
    }
    m_portOpen = true;
    if (m_moduleKind == ModuleKind::CommandMode && !interruptRequested())
        m_infoRead = readModuleInformation();
    return OpenPortResult::Ok;
}

void ModuleConnection::closePort() {
    if (!m_portOpen) return;
    // Leaving command mode is awaited whole, interrupted or not: the module must be left
    // running on what it has stored.
    InterruptShield shield;
    leaveCommandMode();
    closeModuleLink();
    m_portOpen = false;
}

int ModuleConnection::send(std::span<const uint8_t> bytes) { return m_links.write(bytes); }

int ModuleConnection::sendData(std::string_view payload) {
    auto frame = dataFrame(payload);
    if (!frame) return 0;
    return send(*frame);
}

bool ModuleConnection::enterCommandMode() {
    send(modeFrame(true));
    CollectedReply r = collectReply(m_links, m_clock, kLineReplyLimits);
    m_banner = r.bytes;
    if (r.bytes.empty()) return false;
    std::string text(r.bytes.begin(), r.bytes.end());
    m_moduleKind = text.find(kCommandModeBannerMark) != std::string::npos
                       ? ModuleKind::CommandMode
                       : ModuleKind::SettingsBlock;
    return true;
}

void ModuleConnection::leaveCommandMode() {
    send(modeFrame(false));
    if (m_links.kind == LinkKind::Serial) m_clock.sleepMs(kLeaveModePauseMs);
}

bool ModuleConnection::readModuleInformation() {
    std::vector<uint8_t> reply = readParameter(Parameter::ModuleInfo);
    if (reply.empty()) return false;
    std::vector<uint8_t> info = decodeReplyText(reply);
    info.resize(std::max<std::size_t>(info.size(), 4), 0);
    m_generation = moduleGenerationFromInfo(info[2], info[3]);
    return true;
}

std::vector<uint8_t> ModuleConnection::readParameter(Parameter p) {
    sendData(readCommand(p));
    m_clock.sleepMs(kReadPauseMs);
    return collectReply(m_links, m_clock, kParameterReadLimits).bytes;
}

std::vector<uint8_t> ModuleConnection::writeParameter(Parameter p, std::span<const uint8_t> value) {
    const auto& info = parameterInfo(p);
    EnvItem item{info.type, info.index, std::vector<uint8_t>(value.begin(), value.end())};
    sendData(writeCommand(p, envItemRecordText(item.build())));
    m_clock.sleepMs(kWritePauseMs);
    return collectReply(m_links, m_clock, kLineReplyLimits).bytes;
}

std::vector<uint8_t> ModuleConnection::unlockModule() {
    sendData(kUnlockCommand);
    return collectReply(m_links, m_clock, kLineReplyLimits).bytes;
}

std::vector<uint8_t> ModuleConnection::storeParameters() {
    sendData(kStoreCommand);
    m_clock.sleepMs(kWritePauseMs);
    return collectReply(m_links, m_clock, kLineReplyLimits).bytes;
}

CollectedReply ModuleConnection::exchangeSettingsBlock(std::span<const uint8_t> request,
                                                       const ReplyLimits& limits,
                                                       const PollObserver& observer) {
    send(request);
    return collectReply(m_links, m_clock, limits, observer);
}

int ModuleConnection::resetModuleToFactory() {
    sendData(kFactoryResetPayload);
    m_clock.sleepMs(kResetPauseMs);
    CollectedReply r = collectReply(m_links, m_clock, kLineReplyLimits);
    if (!r.complete) return 1;
    trace("Received size=" + std::to_string(r.bytes.size()) + " [" +
          std::string(r.bytes.begin(), r.bytes.end()) + "]");
    m_clock.sleepMs(kResetPauseMs);
    return 0;
}

}  // namespace setrion::wifi
