#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/kit/dialog.h"
#include "ui/main/network_activity.h"
#include "wifi/net/discovered_printer.h"
#include "wifi/net/management_exchange.h"
#include "wifi/net/udp_text_sock.h"
#include "wifi/settings/settings_table.h"

namespace setrion::ui {

// The Wi-Fi dialog's controls that network mode reads and changes, by id.
struct WifiNetworkControls {
    int search = 0;       // "Wi-Fi Search..." icon button
    int save = 0;         // "Save..." icon button
    int printerList = 0;  // list box of found printers
    int mac = 0;
    int ssid = 0;
    int ip = 0, netmask = 0, gateway = 0, dns = 0;
    int mode = 0, channel = 0, encryption = 0, authentication = 0, keyInUse = 0;
    std::array<int, 4> keys{};
    std::array<int, 4> keyFormats{};
    int wpaAuthentication = 0, wpaEncryption = 0, wpaKey = 0;
    int tcpPort = 0;
    int dhcp = 0;
    int reset = 0, getInfo = 0, saveInfo = 0;
};

// What network mode needs from the dialog that holds it: the serial path's routines it
// reuses. Each has a default that does the least.
class WifiNetworkHost {
public:
    virtual ~WifiNetworkHost() = default;
    // The bound-value validation of the dialog; false stops the action.
    virtual bool readControls() { return true; }
    // Fills the controls from OrvaneInformation entry `index` as after a serial read.
    virtual void fillFromRecord(size_t /*index*/) {}
    // The four key-format handlers (keys 1 to 4).
    virtual void runKeyFormatHandlers() {}
    // The key-control refresh with an encryption and a key-in-use position.
    virtual void keyControlRefresh(int /*encryption*/, int /*keyInUse*/) {}
    virtual void setModuleGeneration(int /*generation*/) {}
};

// One line of the printer list: the table it refers to and the index into it.
struct DeviceLine {
    uint8_t kind = 0;  // 1 DiscoveredPrinter, 0 WifiSettings text record
    uint8_t index = 0;
    bool operator==(const DeviceLine&) const = default;
};

// The Wi-Fi dialog's network mode: the LAN search over the management and text-frame
// protocols into the printer list, the fill on selection, the edits that go to a found
// module's flags, and the save of the selected line. It changes the dialog's controls
// through the ids it is given and runs the status windows on the dialog's shell. The text
// socket is watched through the shell; the dialog forwards its socket and timer events.
class WifiNetworkMode final : public NetworkActivity, public net::CUdpSockOwner {
public:
    static constexpr size_t kMaxLines = 200;
    static constexpr size_t kMaxModules = 256;
    static constexpr int kSearchTimerId = 7301;  // runs the management search

    WifiNetworkMode(Dialog& dialog, const WifiNetworkControls& ids, WifiNetworkHost& host,
                    wifi::OrvaneInformation& table, net::NetConfig config);
    ~WifiNetworkMode() override;
    WifiNetworkMode(const WifiNetworkMode&) = delete;
    WifiNetworkMode& operator=(const WifiNetworkMode&) = delete;

    // Tests substitute a scripted network.
    void setSocketOpener(net::SocketOpener opener);
    void setResultFile(std::filesystem::path path) { m_resultFile = std::move(path); }

    // ---- actions ---------------------------------------------------------------------
    void onWifiSearch();
    void onPrinterSelected();
    void onSave();
    // Edits while a DiscoveredPrinter line is selected (the dialog's target rule chose it).
    void onModeChanged();
    void onChannelChanged();
    void onAuthenticationChanged();
    void onEncryptionChanged();
    void onKeyInUseChanged();
    void onKeyFormatChanged(int slot);
    // An address control changed; no selected line: the message of the Part, or the DNS
    // rule (the first line is selected).
    void onAddressChanged(int id);
    // Events the dialog forwards; true when network mode handled them.
    bool onTimer(int timerId);
    bool onSocketReadable(SocketHandle socket);

    // ---- state -----------------------------------------------------------------------
    // The selected line's entry, or nothing.
    std::optional<DeviceLine> selectedLine() const;
    const std::vector<DeviceLine>& deviceLineMap() const { return m_lines; }
    const std::vector<net::DiscoveredPrinter>& searchResults() const { return m_modules; }
    net::DiscoveredPrinter* selectedModule();
    bool hasTextSocket() const { return m_sock != nullptr; }
    const std::string& remoteAddress() const { return m_remoteAddress; }
    const net::ManagementContext& management() const { return m_ctx; }
    // The OrvaneInformation entry of text line index k: entry 0 stays the serial path's.
    static size_t textRecordEntry(size_t k) { return k + 1; }
    // Lines the full list could not take in the last search.
    size_t leftOut() const { return m_leftOut; }

    // NetworkActivity (read by the status window).
    bool searchDone() const override { return m_searchDone; }
    uint64_t searchDoneTimeMs() const override { return m_searchDoneTime; }
    int networkEntryCount() const override { return m_networkEntries; }
    int textEntryCount() const override { return m_textEntries; }
    void setSearchResultCount(int count) override { m_resultCount = count; }
    bool saveConfirmed() const override { return m_saveConfirmed; }

    // CUdpSockOwner.
    void addTextPrinter(std::span<const uint8_t> frame) override;
    void setRemoteAddress(const std::string& address) override { m_remoteAddress = address; }
    void enableSave() override;
    void setSaveConfirmed(bool confirmed) override { m_saveConfirmed = confirmed; }
    void showMessage(const std::string& text) override;

private:
    Control& c(int id) { return m_dialog.control(id); }
    Shell& shell() { return m_dialog.shell(); }
    void discardTextSocket();
    bool openTextSocket(net::CUdpSock::Mode mode, std::span<const uint8_t> frame);
    void watchTextSocket();
    void runManagementSearch();
    size_t addLine(const std::string& text, DeviceLine entry);
    void fillFromModule(const net::DiscoveredPrinter& r, size_t line, bool fromSearch);
    void setKeyLimits(uint32_t wep, size_t line);
    void enableKeyInUseOnly(int key);
    void saveModule(size_t index);
    void saveTextRecord(size_t index);
    std::optional<std::string> textKeyError();
    void applyEncryption(net::DiscoveredPrinter& r, size_t line);
    int selection(int id) const;

    Dialog& m_dialog;
    WifiNetworkControls m_ids;
    WifiNetworkHost& m_host;
    wifi::OrvaneInformation& m_table;
    net::ItemBlockStore m_blocks;
    net::ManagementContext m_ctx;
    net::SocketOpener m_textOpener;
    std::unique_ptr<net::CUdpSock> m_sock;
    SocketHandle m_watchedFd = kNoSocket;
    std::string m_remoteAddress = "255.255.255.255";
    std::filesystem::path m_resultFile = "./result.out";

    std::vector<net::DiscoveredPrinter> m_modules;
    std::vector<DeviceLine> m_lines;                       // deviceLineMap, one per line
    std::vector<std::array<uint8_t, 4>> m_lineKeyFormats;  // 0 HEX, 1 ASCII
    int m_networkEntries = 0;
    int m_textEntries = 0;
    size_t m_leftOut = 0;
    bool m_searchDone = false;
    bool m_searchPending = false;
    uint64_t m_searchDoneTime = 0;
    int m_resultCount = -1;
    bool m_saveConfirmed = false;
};

}  // namespace setrion::ui
