#pragma once
#include <array>
#include <memory>
#include <string>

#include "link/port_discovery.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "link/port_opening.h"
#include "link/spooler.h"
#include "ui/kit/dialog.h"
#include "ui/wifi/enterprise_dlg.h"
#include "ui/wifi/wifi_dialog_ids.h"
#include "ui/wifi/wifi_ini_access.h"
#include "ui/wifi/wifi_network_mode.h"
#include "wifi/module/command_mode_read.h"
#include "wifi/module/module_connection.h"
#include "wifi/settings/settings_table.h"

namespace setrion::ui {

// What the Wi-Fi dialog is given by the program (gui/) or a test.
struct WifiDialogServices {
    // The dialog's own serial + USB links, apart from the main dialog's. Required.
    PortOpener* ports = nullptr;
    // Asked for print queues on the chosen device before each open. Null: no spooler.
    Spooler* spooler = nullptr;
    PortMap portMap;
    EnvLookup env;  // null: the process environment
    // Lists the serial devices the Port list offers after "LAN (network search)", asked
    // again each time the list drops down. Null: only the fixed entries.
    DeviceSource* devices = nullptr;
    // The INI file read at start and written at the end. Null: there is none.
    WifiIniAccess* ini = nullptr;
    // Network mode: where the LAN search and save go, and how their sockets are opened
    // (null: the system's sockets).
    net::NetConfig net;
    net::SocketOpener netOpener;
};

// The Wi-Fi settings dialog: one settings record in controls, and the buttons that move
// settings between the dialog and the printer's Wi-Fi module over the dialog's own link
// (command-mode or settings-block module), or, in network mode, over the LAN.
//
// Every edit handler first asks editTarget() where the change goes: the record of a table
// entry, a printer found on the LAN, or (command-mode module on the serial path) nowhere but
// the controls.
class CWiFiSettings : public Dialog, private WifiNetworkHost {
public:
    static constexpr int kTemplateId = 134;

    CWiFiSettings(Shell& shell, WifiDialogServices services);
    // Writes the keys the user changed to the INI file when the dialog worked on a
    // settings-block module and the file still exists.
    ~CWiFiSettings() override;

    enum class TargetKind { Controls, Record, Discovered };
    struct EditTarget {
        TargetKind kind = TargetKind::Controls;
        std::size_t index = 0;  // table entry or discovered printer
    };
    EditTarget editTarget() const;

    wifi::ModuleKind moduleKind() const { return m_conn.moduleKind(); }
    int moduleGeneration() const { return m_conn.moduleGeneration(); }
    bool portOpen() const { return m_conn.portOpen(); }
    bool networkMode() const { return m_networkMode; }
    bool lpdSupport() const { return m_lpdSupport; }
    int current5GhzChannel() const { return m_current5Ghz; }
    wifi::OrvaneInformation& table() { return *m_table; }
    wifi::ModuleConnection& connection() { return m_conn; }
    EnterpriseDlg& enterprise() { return m_enterprise; }
    const wifi::KeyFormats& keyFormats() const { return m_keyFormat; }
    WifiNetworkMode& network() { return *m_net; }

    bool acceptsTypedCharacter(int id, const std::string& fieldText, int ch) const override;

protected:
    void onInit() override;
    void onClicked(int id) override;
    void onSelectionChanged(int id) override;
    void onDropDown(int id) override;
    void onTextChanged(int id) override;
    bool onClosing(int result) override;
    void onTimer(int timerId) override;
    void onSocketReadable(SocketHandle socket) override;

    // ---- what network mode reuses (WifiNetworkHost) ------------------------------------
    bool readControls() override { return takeBoundValues(); }
    void runKeyFormatHandlers() override;
    void keyControlRefresh(int encryption, int keyInUse) override;

    // ---- layout and enabling (wifi_settings_dlg.cpp) ----------------------------------
    void addControls();
    void fillPortLists();
    void refreshPortList();
    void portSelectionChanged();
    void checkSerialParameters(int changedList);
    void openPort();
    void closePort();
    void closeSequence();
    bool takeBoundValues();

    // ---- INI file (wifi_settings_ini.cpp) ---------------------------------------------
    // The keys the controls would give the file (only values its reader takes), and the key
    // length message that stops the keys after the key check (unless told not to stop).
    struct IniImage {
        WifiIniAccess::KeyValues values;
        std::string keyError;
        std::string checkedKey;  // the key text the check looked at
    };
    void loadIniFile();
    IniImage iniImage(bool stopAtKeyError = true) const;
    void writeIniFile();

    // ---- handlers of the lists and controls (wifi_settings_handlers.cpp) --------------
    void modeChanged();
    void channelChanged();
    void authenticationChanged();
    void addressChanged(int id);
    void encryptionChanged();
    void keyInUseChanged();
    // Fills the controls from a table entry: 0 after a serial read, a text printer's entry
    // in network mode.
    void fillFromRecord(std::size_t entry = 0) override;
    void switch5Ghz();
    void refillChannels(bool fiveGhz);
    void refillWpaAuthentication(const wifi::WifiSettings& record);
    void setKeyLimits(int encryption, const wifi::KeyFormats& formats);
    void enableKeyInUseOnly(int keyInUse);
    // An address field of a record in an IP control: empty unless it holds 8 hex digits.
    static void showRecordAddress(Control& c, const wifi::WifiSettings& r, wifi::RecordField f);
    void openEnterprise();

    // ---- key entry (wifi_key_handlers.cpp) --------------------------------------------
    void keyFormatChanged(int slot);
    void keyTextChanged(int slot);
    void wpaKeyChanged();
    void wpaAuthenticationChanged();

    // ---- module actions (wifi_module_actions.cpp) -------------------------------------
    void getInformation();
    void getCommandMode();
    void getSettingsBlock();
    void applyReadStep(wifi::ReadStep step, const wifi::CommandModeSettings& v, int progress);
    void saveInformation();
    void saveCommandMode();
    void saveSettingsBlock();
    void resetFactory();
    void enableAfterRead();
    void setProgress(int position);

    // The record target's entry loaded into the working record, changed by `edit` and
    // stored back.
    template <class F>
    void editRecord(std::size_t entry, F&& edit) {
        m_table->loadEntry(entry);
        edit(m_table->usingOrvane());
        m_table->storeEntry(entry);
    }
    const wifi::KeyFormats& formatsOf(const EditTarget& t) const;
    int selection(int id) const { return control(id).selection; }

    // Texts of one key slot remembered from the last read of a command-mode module.
    struct RememberedKey {
        std::string wep64Hex, wep64Ascii, wep128Hex, wep128Ascii;
    };

    WifiDialogServices m_services;
    NullSpooler m_noSpooler;
    PortList m_portList;
    LinkPair m_links;
    wifi::ModuleConnection m_conn;
    std::unique_ptr<wifi::OrvaneInformation> m_table;
    EnterpriseDlg m_enterprise;
    wifi::CommandModeSettings m_read;   // the stores of the last command-mode read
    wifi::KeyFormats m_keyFormat{};     // command-mode module: the key formats
    std::array<RememberedKey, 4> m_remembered;
    // The enterprise texts the settings-block save writes.
    std::string m_eapId, m_eapPassword, m_caCertFile, m_clientCertFile, m_privateKeyFile;
    bool m_networkMode = false;
    bool m_lpdSupport = false;
    int m_channel = 1;      // the 2.4 GHz channel number
    int m_current5Ghz = 0;  // the 5 GHz channel number, 0 for none
    std::unique_ptr<WifiNetworkMode> m_net;
    IniImage m_iniAtLoad;  // the file's keys as the controls showed them after the load
};

}  // namespace setrion::ui
