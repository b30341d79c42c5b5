#include "gui/main_session.h"

#include "gui/qt_shell.h"

namespace setrion::gui {

MainSession::MainSession(QtShell& shell, PortMap portMap, std::unique_ptr<Spooler> spooler)
    : m_spooler(spooler ? std::move(spooler) : makeSystemSpooler()),
      m_serial(shell.clock()),
      m_usb(usb::libusbBackend(), shell.clock()),
      m_opener(m_serial, m_usb, [this] { return m_usb.open() == UsbLink::kOpenOk ? 0 : -1; }),
      m_fonts(shell) {
    ui::MainDialogServices services;
    services.ports = &m_opener;
    services.spooler = m_spooler.get();
    services.portMap = std::move(portMap);
    services.fonts = &m_fonts;
    m_dialog = std::make_unique<ui::CQx7SerialSetDlg>(shell, std::move(services));
}

MainSession::~MainSession() {
    m_dialog.reset();
    m_serial.close();
    m_usb.close();
}

std::string parsePortMappings(const std::vector<std::string>& mappings, PortMap& map) {
    for (const std::string& m : mappings) {
        std::string why = addPortMapping(m, map);
        if (!why.empty()) return "--map " + m + ": " + why;
    }
    return {};
}

}  // namespace setrion::gui
