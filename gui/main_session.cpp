#include "gui/main_session.h"

#include "gui/font_folder.h"
#include "ui/wifi/wifi_settings_dlg.h"

namespace setrion::gui {

MainSession::MainSession(ui::Shell& shell, PortMap portMap, std::unique_ptr<Spooler> spooler,
                         ui::WifiIniAccess* wifiIni)
    : m_spooler(spooler ? std::move(spooler) : makeSystemSpooler()),
      m_serial(shell.clock()),
      m_usb(usb::systemUsbBackend(), shell.clock()),
      m_opener(m_serial, m_usb, [this] { return m_usb.open() == UsbLink::kOpenOk ? 0 : -1; }),
      m_wifiSerial(shell.clock()),
      m_wifiUsb(usb::systemUsbBackend(), shell.clock()),
      m_wifiOpener(m_wifiSerial, m_wifiUsb,
                   [this] { return m_wifiUsb.open() == UsbLink::kOpenOk ? 0 : -1; }),
      m_portMap(portMap),
      m_wifiIni(wifiIni),
      m_fonts(shell, firstFontFolder) {
    ui::MainDialogServices services;
    services.ports = &m_opener;
    services.spooler = m_spooler.get();
    services.portMap = std::move(portMap);
    services.devices = &defaultDeviceSource();
    services.fonts = &m_fonts;
    // Start Wi-Fi Settings: a fresh dialog on the second link pair each time.
    services.wifiDialogFactory = [this](ui::Shell& s) -> std::unique_ptr<ui::Dialog> {
        ui::WifiDialogServices w;
        w.ports = &m_wifiOpener;
        w.spooler = m_spooler.get();
        w.portMap = m_portMap;
        w.devices = &defaultDeviceSource();
        w.ini = m_wifiIni;
        w.net = m_netConfig;
        return std::make_unique<ui::CWiFiSettings>(s, std::move(w));
    };
    m_dialog = std::make_unique<ui::CQx7SerialSetDlg>(shell, std::move(services));
}

MainSession::~MainSession() {
    m_dialog.reset();
    m_serial.close();
    m_usb.close();
    m_wifiSerial.close();
    m_wifiUsb.close();
}

std::string parsePortMappings(const std::vector<std::string>& mappings, PortMap& map) {
    for (const std::string& m : mappings) {
        std::string why = addPortMapping(m, map);
        if (!why.empty()) return "--map " + m + ": " + why;
    }
    return {};
}

}  // namespace setrion::gui
