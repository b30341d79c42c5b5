#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/clock.h"
#include "link/printer_link.h"
#include "wifi/module/parameters.h"
#include "wifi/module/reply_collection.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// Which kind of module answered the command-mode switch.
enum class ModuleKind : int { CommandMode = 1, SettingsBlock = 2 };

// Result of Open Port.
enum class OpenPortResult { Ok, OpenFailed, NoBanner };

inline constexpr const char* kOpenPortFailedText = "Open Port Failed !!!";
inline constexpr const char* kIspModeSetFailedText = "ISP Mode Set Failed";
inline constexpr const char* kModuleErrorCaption = "ERROR";

// The text the banner of a command-mode module contains.
inline constexpr std::string_view kCommandModeBannerMark = "Sollae";

// Generation from module information bytes 2 and 3: (1, >5) -> 2, (>1, any) -> 3, else 1.
int moduleGenerationFromInfo(uint8_t byte2, uint8_t byte3);

// The module connection of the Wi-Fi path: a serial + USB link pair chosen by its own link
// kind, the command-mode state and the module's identity. Every pause and poll goes
// through the clock. The operations return what arrived; judging it is the caller's.
class ModuleConnection {
public:
    ModuleConnection(LinkPair& links, Clock& clock);

    // Opens the link of `kind` with `open` (which opens the concrete link object); on
    // success the link kind routes all I/O to it, on failure it becomes None.
    bool openModuleLink(LinkKind kind, const std::function<bool(LinkKind)>& open);
    // Closes the current link; the link kind becomes None.
    void closeModuleLink();
    LinkKind linkKind() const { return m_links.kind; }

    // Open Port: opens the link, waits for it to settle, enters command mode and, for a
    // command-mode module, reads the module information.
    OpenPortResult openPort(LinkKind kind, const std::function<bool(LinkKind)>& open);
    // Close Port: leaves command mode (when open) and closes the link.
    void closePort();

    // Sends the enter frame and collects the banner; sets the module kind from it. False
    // when no banner arrived.
    bool enterCommandMode();
    // Sends the leave frame (then 500 ms on COM).
    void leaveCommandMode();
    // "c 0": sets the generation from the information when any bytes arrived and keeps the
    // decoded information bytes (MAC at 8-13). False when nothing arrived.
    bool readModuleInformation();

    // The exchanges: each returns the bytes collected (empty: no reply).
    std::vector<uint8_t> readParameter(Parameter p);
    std::vector<uint8_t> writeParameter(Parameter p, std::span<const uint8_t> value);
    std::vector<uint8_t> unlockModule();
    std::vector<uint8_t> storeParameters();
    CollectedReply exchangeSettingsBlock(std::span<const uint8_t> request,
                                         const ReplyLimits& limits,
                                         const PollObserver& observer = {});
    // Unlock, "e 4", factory defaults and store in one frame. 0 when the module answered
    // with a line, 1 when no complete answer came.
    int resetModuleToFactory();

    bool portOpen() const { return m_portOpen; }
    ModuleKind moduleKind() const { return m_moduleKind; }
    void setModuleKind(ModuleKind k) { m_moduleKind = k; }
    int moduleGeneration() const { return m_generation; }
    // The last Open Port read the module information (any bytes arrived for "c 0").
    bool moduleInformationRead() const { return m_infoRead; }
    const std::vector<uint8_t>& banner() const { return m_banner; }

    LinkPair& links() { return m_links; }
    Clock& clock() { return m_clock; }

private:
    int send(std::span<const uint8_t> bytes);
    int sendData(std::string_view payload);

    LinkPair& m_links;
    Clock& m_clock;
    bool m_portOpen = false;
    ModuleKind m_moduleKind = ModuleKind::CommandMode;
    int m_generation = 1;
    bool m_infoRead = false;
    std::vector<uint8_t> m_banner;
};

}  // namespace setrion::wifi
