#pragma once
#include <memory>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "link/port_opening.h"
#include "link/serial_link.h"
#include "link/spooler.h"
#include "link/usb_link.h"
#include "ui/fonts/font_download_handler.h"
#include "ui/main/qx7_serial_set_dlg.h"
#include "ui/wifi/wifi_ini_access.h"
#include "wifi/net/net_config.h"

namespace setrion::gui {

// Everything the main window needs, whichever host shows it for its life: the dialog's serial and
// USB links on the shell's painting clock, the spooler, the main dialog model itself, and the
// second link pair that each Wi-Fi settings dialog started from it uses.
class MainSession {
  public:
    // `spooler` null: the system's spooler. `wifiIni` null: the Wi-Fi dialog has no INI file.
    MainSession(ui::Shell& shell, PortMap portMap, std::unique_ptr<Spooler> spooler = nullptr,
                ui::WifiIniAccess* wifiIni = nullptr);
    ~MainSession();
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    ui::CQx7SerialSetDlg& dialog() { return *m_dialog; }
    // Where the Wi-Fi dialog's network mode searches and saves.
    void setNetConfig(const net::NetConfig& config) { m_netConfig = config; }
    const net::NetConfig& netConfig() const { return m_netConfig; }

  private:
    std::unique_ptr<Spooler> m_spooler;
    SerialLink m_serial;
    UsbLink m_usb;
    StandardPortOpener m_opener;
    SerialLink m_wifiSerial;
    UsbLink m_wifiUsb;
    StandardPortOpener m_wifiOpener;
    PortMap m_portMap;
    ui::WifiIniAccess* m_wifiIni;
    ui::FontDownloadHandler m_fonts;
    std::unique_ptr<ui::CQx7SerialSetDlg> m_dialog;
    net::NetConfig m_netConfig;
};

// Reads "COMn=PATH" mappings into a map; returns an error text, empty when all are good.
std::string parsePortMappings(const std::vector<std::string>& mappings, PortMap& map);

}  // namespace setrion::gui
