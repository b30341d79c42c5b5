// The main dialog's event handlers and the printer operations they run.
#include <string>

#include "printer/bluetooth_settings.h"
#include "printer/device_settings.h"
#include "printer/serial_parameters.h"
#include "printer/setting_names.h"
#include "ui/main/about_box.h"
#include "ui/main/information_window.h"
#include "ui/main/qx7_serial_set_dlg.h"

namespace setrion::ui {

using namespace main_dlg;

namespace {
// Shows the wait cursor while a printer exchange blocks the dialog.
class BusyCursor {
public:
    explicit BusyCursor(Shell& shell) : m_shell(shell) { m_shell.setWaitCursor(true); }
    ~BusyCursor() { m_shell.setWaitCursor(false); }

private:
    Shell& m_shell;
};
}  // namespace

void CQx7SerialSetDlg::onClicked(int id) {
    switch (id) {
        case kOpenPort: {
            BusyCursor busy(shell());
            openPort();
            return;
        }
        case kClosePort: closeRule(); return;
        case kStartWifi: startWifi(); return;
        case kDiscoverableOn: clickDiscoverable(true); return;
        case kDiscoverableOff: clickDiscoverable(false); return;
        case kFontOpen:
            if (m_services.fonts) m_services.fonts->open(*this);
            return;
        case kFontDownload:
            if (m_services.fonts) m_services.fonts->download(*this);
            return;
        case kExit:
        case kIdCancel: Dialog::onClicked(id); return;
        default: break;
    }
    BusyCursor busy(shell());
    switch (id) {
        case kSaveSerialConfig: saveSerialConfig(); break;
        case kGetEmulation: getEmulationText(); break;
        case kSetCpcl: setEmulation(true); break;
        case kSetEscPos: setEmulation(false); break;
        case kGetBluetooth: getBluetooth(); break;
        case kSavePin: savePin(); break;
        case kSaveDiscoverable: saveDiscoverableMode(); break;
        case kSavePowerSave: savePowerSaveMode(); break;
        case kSaveCodePage: saveCodePageSetting(); break;
        case kPrintCodePage: printCodePage(m_exchange); break;
        case kSaveDensity: saveDensitySetting(); break;
        case kSetGap: setMedia(true); break;
        case kSetBlackMark: setMedia(false); break;
        default: break;
    }
}

void CQx7SerialSetDlg::onSelectionChanged(int id) {
    switch (id) {
        case kPort: applyPortSelection(); break;
        case kDataBits:
        case kParity: checkDataBitsParity(id); break;
        case kPowerSaveMode:
            enable(kMinutes, control(kPowerSaveMode).selection == 1 ||
                                 control(kPowerSaveMode).selection == 2);
            break;
        default: break;
    }
}

void CQx7SerialSetDlg::onDropDown(int id) {
    if (id != kPort) return;
    const int before = control(kPort).selection;
    refreshPortList();
    if (control(kPort).selection != before) applyPortSelection();
}

void CQx7SerialSetDlg::onTextChanged(int id) {
    if (id == kPin) enable(kSavePin, !control(kPin).text.empty());
}

bool CQx7SerialSetDlg::onClosing(int) {
    if (m_services.automationClientAttached && m_services.automationClientAttached()) {
        setWindowVisible(false);  // the client keeps the program alive
        return false;
    }
    // Exit is disabled while the link is open, so only the close box gets here with it open:
    // the link is closed as Close Port closes it before the program ends.
    if (PrinterLink* link = m_links.current(); link != nullptr && link->isOpen()) closeRule();
    return true;
}

void CQx7SerialSetDlg::onSystemCommand(int command) {
    if (command >= kAboutCommand && command <= kAboutCommand + 15) {
        AboutBox about(shell());
        shell().runModal(about);
    }
}

void CQx7SerialSetDlg::reportProbeFailure(int result) {
    shell().message(probeFailureMessage(result), kProbeFailureCaption);
}

bool CQx7SerialSetDlg::probeOrReport() {
    const int probe = m_exchange.probeEmulation(m_emulation);
    if (probe == kProbeOk) return true;
    reportProbeFailure(probe);
    return false;
}

void CQx7SerialSetDlg::openPort() {
    clearTexts();
    const PortList::Entry* entry = m_portList.at(control(kPort).selection);
    const std::string port = entry ? entry->portName : control(kPort).selectedText();
    Spooler& spooler = m_services.spooler ? *m_services.spooler : m_noSpooler;
    const PortOpenResult opened = openPrinterPort(port, lineSettings(), m_services.portMap, spooler,
                                                  *m_services.ports, m_services.env);
    if (opened.enumerationFailed) shell().message(kEnumerationFailedText, kEnumerationFailedCaption);
    if (auto failure = portOpenFailureMessage(opened)) {
        MessageBox box;
        box.text = failure->text;
        box.caption = failure->caption;
        box.detail = portOpenFailureDetail(opened, port);
        shell().messageBox(box);
        return;
    }
    m_links.kind = opened.kind;
    const int probe = m_exchange.probeEmulation(m_emulation);
    if (probe != kProbeOk) {
        // The link is closed again so that the next Open Port on this port can succeed.
        if (PrinterLink* link = m_links.current()) link->close();
        reportProbeFailure(probe);
        return;
    }
    applyOpenEnabling();
}

void CQx7SerialSetDlg::saveSerialConfig() {
    const int result = saveSerialConfiguration(m_exchange, m_emulation, lineSettings());
    if (result != kProbeOk) {
        reportProbeFailure(result);
        return;
    }
    if (PrinterLink* link = m_links.current()) link->close();
    applyClosedState();
}

void CQx7SerialSetDlg::getEmulationText() {
    const EmulationQuery q = getEmulation(m_exchange, m_emulation);
    if (q.result != kProbeOk) {
        reportProbeFailure(q.result);
        return;
    }
    control(kEmulationText).text = q.text;
}

void CQx7SerialSetDlg::setEmulation(bool toCpcl) {
    switchEmulation(m_exchange, m_emulation, toCpcl);
    if (PrinterLink* link = m_links.current()) link->close();
    applyClosedState();
    enable({kBaud, kParity, kStopBits}, true);
    enable({kDataBits, kFlowControl}, !toCpcl);
    control(kEmulationText).text = toCpcl ? "CPCL" : "ESC/POS";
}

void CQx7SerialSetDlg::getBluetooth() {
    const BluetoothInfo info = getBluetoothInfo(m_exchange, m_emulation);
    if (info.result != kProbeOk) {
        reportProbeFailure(info.result);
        return;
    }
    if (info.queried) {
        control(kBtAddress).text = info.address;
        m_discoverable = info.discoverable;
        checkRadio(info.discoverable ? kDiscoverableOn : kDiscoverableOff,
                   {kDiscoverableOn, kDiscoverableOff});
        control(kPin).text = "?";
    }
    enable({kSavePin, kSaveDiscoverable}, false);
}

void CQx7SerialSetDlg::savePin() {
    const std::string pin = control(kPin).text;
    const int result = saveBluetoothPin(m_exchange, m_emulation, pin);
    if (result == kSettingRefused) {
        shell().message("The PIN code must be 1 to 10 printable characters without double quotes.",
                        "Error");
        return;
    }
    if (result != kProbeOk) {
        reportProbeFailure(result);
        return;
    }
    enable(kSavePin, false);
}

void CQx7SerialSetDlg::clickDiscoverable(bool on) {
    if (m_discoverable == on && control(on ? kDiscoverableOn : kDiscoverableOff).checked) return;
    checkRadio(on ? kDiscoverableOn : kDiscoverableOff, {kDiscoverableOn, kDiscoverableOff});
    m_discoverable = on;
    enable(kSaveDiscoverable, true);
}

void CQx7SerialSetDlg::saveDiscoverableMode() {
    const int result = saveDiscoverable(m_exchange, m_emulation, m_discoverable);
    if (result != kProbeOk) {
        reportProbeFailure(result);
        return;
    }
    enable(kSaveDiscoverable, false);
}

void CQx7SerialSetDlg::savePowerSaveMode() {
    const int modeIndex = control(kPowerSaveMode).selection;
    const auto mode = static_cast<PowerSaveMode>(modeIndex < 0 || modeIndex > 2 ? 0 : modeIndex);
    const int minutes = parsePowerSaveMinutes(control(kMinutes).text);
    const int result = savePowerSave(m_exchange, m_emulation, mode, minutes);
    if (result != kProbeOk) {
        reportProbeFailure(result);
        return;
    }
    InformationWindow info(shell(), InformationWindow::Kind::PowerSave);
    info.setPowerSave(mode, minutes);
    if (shell().runModal(info) == kIdOk) enable({kSavePowerSave, kPowerSaveMode, kMinutes}, false);
    closeRule();
}

void CQx7SerialSetDlg::saveCodePageSetting() {
    const int index = control(kCodePage).selection;
    if (!saveCodePage(m_exchange, index)) return;
    InformationWindow info(shell(), InformationWindow::Kind::CodePage);
    info.setCodePageIndex(index);
    shell().runModal(info);
}

void CQx7SerialSetDlg::saveDensitySetting() {
    const int index = control(kDensity).selection;
    if (!saveDensity(m_exchange, index)) return;
    InformationWindow info(shell(), InformationWindow::Kind::Density);
    info.setDensityIndex(index);
    shell().runModal(info);
}

void CQx7SerialSetDlg::setMedia(bool gap) {
    const int result = setMediaSensing(m_exchange, m_emulation, gap);
    if (result != kProbeOk) {
        reportProbeFailure(result);
        return;
    }
    enable(gap ? kSetGap : kSetBlackMark, false);
    enable(gap ? kSetBlackMark : kSetGap, true);
}

void CQx7SerialSetDlg::startWifi() {
    if (!m_services.wifiDialogFactory) return;
    std::unique_ptr<Dialog> wifi = m_services.wifiDialogFactory(shell());
    if (wifi) shell().runModal(*wifi);
}

}  // namespace setrion::ui
