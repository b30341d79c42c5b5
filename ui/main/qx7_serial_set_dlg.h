#pragma once
#include <functional>
#include <memory>
#include <string>

#include "link/port_discovery.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "link/port_opening.h"
#include "link/spooler.h"
#include "printer/command_exchange.h"
#include "ui/kit/dialog.h"
#include "ui/main/font_download_controller.h"
#include "ui/main/main_dialog_ids.h"

namespace setrion::ui {

// What the main dialog is given by the program (gui/) or a test.
struct MainDialogServices {
    // The dialog's own serial + USB links and how they open. Required.
    PortOpener* ports = nullptr;
    // Asked for print queues on the chosen device before each open. Null: no spooler.
    Spooler* spooler = nullptr;
    // COMn -> device overrides (the --map option); the environment's SETRION_COMn apply too.
    PortMap portMap;
    EnvLookup env;  // null: the process environment
    // Lists the serial devices the Port list offers after "USB", asked again each time the
    // list drops down. Null: only the fixed entries.
    DeviceSource* devices = nullptr;
    // True while an automation client is attached: closing then only hides the window.
    std::function<bool()> automationClientAttached;
    // Creates the Wi-Fi settings dialog for Start Wi-Fi Settings (1019); it is run modally
    // and destroyed afterwards. Null: the button does nothing.
    std::function<std::unique_ptr<Dialog>(Shell&)> wifiDialogFactory;
    // Handles Open (1027) and Download (1028). Null: the buttons do nothing.
    FontDownloadController* fonts = nullptr;
};

// The main settings dialog (template 102): line settings, Open/Close Port, and one button
// per printer setting. Each button runs one printer operation and then sets which controls
// may be used; failures become the one message box the operation calls for.
//
// Extending (fonts): the Open/Download handlers only call MainDialogServices::fonts; a
// controller reaches the link through exchange() and the controls through control(id).
class CQx7SerialSetDlg final : public Dialog {
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kWindowIcon = 128;

    CQx7SerialSetDlg(Shell& shell, MainDialogServices services);

    // The printer exchange over the dialog's link pair (the link kind Open Port chose).
    CommandExchange& exchange() { return m_exchange; }
    EmulationCode emulation() const { return m_emulation; }
    LinkKind linkKind() const { return m_links.kind; }
    bool discoverableFlag() const { return m_discoverable; }
    // The line settings as the lists show them.
    SerialSettings lineSettings() const;

protected:
    void onInit() override;
    void onClicked(int id) override;
    void onSelectionChanged(int id) override;
    void onDropDown(int id) override;
    void onTextChanged(int id) override;
    bool onClosing(int result) override;
    void onSystemCommand(int command) override;

private:
    void addControls();
    void fillLists();
    void applyInitialEnabling();
    void applyPortSelection();
    void refreshPortList();
    void checkDataBitsParity(int changedList);
    void applyOpenEnabling();
    void applyClosedState();  // after Save Serial Port Configuration and the Set commands
    void closeRule();
    void clearTexts();
    bool probeOrReport();
    void reportProbeFailure(int result);

    void openPort();
    void saveSerialConfig();
    void getEmulationText();
    void setEmulation(bool toCpcl);
    void getBluetooth();
    void savePin();
    void saveDiscoverableMode();
    void clickDiscoverable(bool on);
    void savePowerSaveMode();
    void saveCodePageSetting();
    void saveDensitySetting();
    void setMedia(bool gap);
    void startWifi();

    MainDialogServices m_services;
    NullSpooler m_noSpooler;
    PortList m_portList{fixedPortNames()};
    LinkPair m_links;
    CommandExchange m_exchange;
    EmulationCode m_emulation = EmulationCode::EscPos;
    bool m_discoverable = false;
};

}  // namespace setrion::ui
