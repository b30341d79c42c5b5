// The main dialog's controls, layout and enabling rules.
#include "ui/main/qx7_serial_set_dlg.h"

#include "printer/setting_names.h"

namespace setrion::ui {

using namespace main_dlg;

namespace {
// Colour reference of the PIN and discoverable group captions (red 16, green 140, blue 231).
constexpr uint32_t kGroupColour = 0xE78C10;

// The buttons, lists and edits disabled whenever the link is closed.
constexpr int kClosedDisabled[] = {kClosePort,     kSaveSerialConfig, kGetEmulation, kSetCpcl,
                                   kSetEscPos,     kSetGap,           kSetBlackMark, kDensity,
                                   kSaveDensity,   kFontOpen,         kFontDownload, kGetBluetooth,
                                   kSavePin,       kSaveDiscoverable, kPin,          kDiscoverableOn,
                                   kDiscoverableOff, kPowerSaveMode,  kMinutes,      kSavePowerSave,
                                   kCodePage,      kSaveCodePage,     kPrintCodePage};
}  // namespace

CQx7SerialSetDlg::CQx7SerialSetDlg(Shell& shell, MainDialogServices services)
    : Dialog(shell, kTemplateId, "Orvane Labrix Printer Utiltiy 1.41", 325, 366),
      m_services(std::move(services)),
      m_links{&m_services.ports->serial(), &m_services.ports->usb(), LinkKind::Serial},
      m_exchange(m_links, shell.clock()) {
    setWindowIcon(kWindowIcon);
    addControls();
}

void CQx7SerialSetDlg::addControls() {
    auto icon = [this](int id, const char* text, int iconNumber, Rect r) -> Control& {
        Control& c = add(id, ControlKind::IconButton, text, r);
        c.iconNumber = iconNumber;
        return c;
    };
    auto group = [this](int id, const char* text, Rect r) -> Control& {
        return add(id, ControlKind::GroupBox, text, r);
    };
    auto label = [this](int id, const char* text, Rect r) -> Control& {
        return add(id, ControlKind::Static, text, r);
    };
    auto list = [this](int id, Rect r) -> Control& { return add(id, ControlKind::DropList, "", r); };

    // Hidden emulation switches at the top left.
    icon(kSetCpcl, "Set CPCL", 136, {4, 2, 40, 12}).visible = false;
    icon(kSetEscPos, "Set ESC/POS", 137, {46, 2, 40, 12}).visible = false;

    group(kGroupConnection, "Printer Connnection Settings", {5, 5, 315, 95});
    label(kPortLabel, "Port : ", {12, 20, 44, 10});
    list(kPort, {58, 18, 50, 90});
    label(kBaudLabel, "BaudRate : ", {12, 36, 44, 10});
    list(kBaud, {58, 34, 50, 90});
    label(kDataBitsLabel, "Data Bits : ", {12, 52, 44, 10});
    list(kDataBits, {58, 50, 50, 40});
    label(kParityLabel, "Parity : ", {116, 20, 50, 10});
    list(kParity, {168, 18, 50, 50});
    label(kStopBitsLabel, "Stop Bits : ", {116, 36, 50, 10});
    list(kStopBits, {168, 34, 50, 40});
    label(kFlowControlLabel, "Flow Control : ", {116, 52, 50, 10});
    list(kFlowControl, {168, 50, 50, 40});
    icon(kOpenPort, "Open Port", 130, {226, 14, 88, 24});
    icon(kClosePort, "Close Port", 135, {226, 42, 88, 24});
    icon(kSaveSerialConfig, "Save Serial Port Configuration", 133, {12, 68, 206, 26});

    group(kGroupEmulation, "Emulation Settings", {5, 104, 155, 54});
    icon(kGetEmulation, "Get Emulation", 138, {12, 116, 72, 36});
    Control& emu = add(kEmulationText, ControlKind::Edit, "", {88, 128, 68, 12});
    emu.readOnly = true;
    emu.enabled = false;
    emu.otherTexts = {"CPCL", "ESC/POS", "MPCL", "ZPL", "EPL", "DPL", kUnknownEmulationText};

    group(kGroupDensity, "Density Settings", {165, 104, 155, 54});
    label(kDensityLabel, "Density : ", {172, 116, 40, 10});
    list(kDensity, {172, 130, 80, 80});
    icon(kSaveDensity, "Save Density", 152, {258, 114, 56, 38});

    group(kGroupBluetooth, "Bluetooth Settings", {5, 162, 315, 100});
    icon(kGetBluetooth, "Get Bluetooth Information", 131, {12, 174, 100, 34});
    label(kBtAddressLabel, "BT Address : ", {120, 186, 46, 10});
    Control& addr = add(kBtAddress, ControlKind::Edit, "", {168, 184, 144, 12});
    addr.readOnly = true;
    addr.enabled = false;
    group(kGroupPin, "PIN Code Information", {12, 212, 150, 46}).colour = kGroupColour;
    label(kPinLabel, "PIN Code : ", {18, 224, 48, 10});
    add(kPin, ControlKind::Edit, "", {18, 236, 50, 12}).textLimit = 10;
    icon(kSavePin, "Save Bluetooth PIN Code", 133, {72, 223, 86, 32});
    group(kGroupDiscoverable, "Discoverable Mode Information", {166, 212, 148, 46}).colour = kGroupColour;
    add(kDiscoverableOn, ControlKind::Radio, "ON", {174, 224, 30, 10});
    add(kDiscoverableOff, ControlKind::Radio, "OFF", {174, 238, 30, 10});
    icon(kSaveDiscoverable, "Save Discoverable Mode", 133, {208, 223, 100, 32});

    group(kGroupCodePage, "Code Page Setting", {5, 266, 205, 50});
    label(kCodePageLabel, "Code Page", {12, 277, 40, 10});
    list(kCodePage, {12, 290, 74, 120});  // wide enough for "WINDOWS_1254" in both hosts' fonts
    icon(kSaveCodePage, "Save Code Page", 133, {88, 276, 58, 36});
    icon(kPrintCodePage, "Print Code Page", 134, {148, 276, 58, 36});

    group(kGroupWifi, "Wi-Fi Settings", {215, 266, 105, 50});
    icon(kStartWifi, "Start Wi-Fi Settings", 139, {222, 278, 92, 34});

    group(kGroupFont, "Font Download", {5, 320, 205, 42});
    icon(kFontOpen, "Open", 155, {12, 330, 56, 28});
    icon(kFontDownload, "Download", 156, {72, 330, 64, 28});
    add(kFontProgress, ControlKind::ProgressBar, "", {140, 340, 64, 10}).visible = false;

    Control& exitButton = icon(kExit, "E&xit", 132, {222, 322, 92, 36});
    exitButton.isDefault = true;

    // Hidden power-save and label-media groups at the right edge.
    group(kGroupPowerSave, "Power Save Mode", {330, 5, 120, 80}).visible = false;
    list(kPowerSaveMode, {336, 18, 108, 60}).visible = false;
    Control& minutes = add(kMinutes, ControlKind::Edit, "", {336, 36, 20, 12});
    minutes.textLimit = 2;
    minutes.visible = false;
    label(kMinuteLabel, "Minute", {360, 38, 30, 10}).visible = false;
    icon(kSavePowerSave, "Save Power Save Mode", 141, {336, 52, 108, 28}).visible = false;
    group(kGroupMedia, "Label Media Settings", {330, 90, 120, 50}).visible = false;
    icon(kSetGap, "Set Gap", 149, {336, 102, 50, 32}).visible = false;
    icon(kSetBlackMark, "Set Black mark", 150, {390, 102, 56, 32}).visible = false;
    for (int id : {kSetCpcl, kSetEscPos, kGroupPowerSave, kPowerSaveMode, kMinutes, kMinuteLabel,
                   kSavePowerSave, kGroupMedia, kSetGap, kSetBlackMark})
        control(id).neverShown = true;

    // Escape is Exit: while the link is open, Exit and with it Escape do nothing.
    setEscapeButton(kExit);
}

void CQx7SerialSetDlg::fillLists() {
    control(kPort).setItems(m_portList.texts(), 0);
    refreshPortList();
    control(kBaud).setItems({"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"}, 3);
    control(kDataBits).setItems({"7", "8"}, 1);
    control(kParity).setItems({"NONE", "ODD", "EVEN"}, 0);
    control(kStopBits).setItems({"1", "2"}, 0);
    control(kFlowControl).setItems({"DTR/DSR", "Xon/Xoff"}, 0);
    const auto& modes = powerSaveModeNames();
    control(kPowerSaveMode).setItems({modes.begin(), modes.end()}, 0);
    const auto& pages = codePageNames();
    control(kCodePage).setItems({pages.begin(), pages.end()}, 0);
    const auto& densities = densityNames();
    control(kDensity).setItems({densities.begin(), densities.end()}, kDefaultDensityIndex);
}

void CQx7SerialSetDlg::onInit() {
    addSystemMenuItem(kAboutCommand, "&About Setrion...");
    fillLists();
    applyInitialEnabling();
    show(kFontProgress, false);
    applyPortSelection();
}

void CQx7SerialSetDlg::applyInitialEnabling() {
    enable({kPort, kOpenPort, kStartWifi, kExit}, true);
    for (int id : kClosedDisabled) enable(id, false);
    enable({kBaud, kDataBits, kParity, kStopBits, kFlowControl}, true);
}

void CQx7SerialSetDlg::refreshPortList() {
    if (!m_services.devices) return;
    const int selected = m_portList.refresh(
        discoverSerialPorts(*m_services.devices, m_services.portMap, m_services.env),
        control(kPort).selection);
    control(kPort).setItems(m_portList.texts(), selected);
}

void CQx7SerialSetDlg::applyPortSelection() {
    // COM entries and discovered devices take the line settings; "USB" does not.
    const PortList::Entry* entry = m_portList.at(control(kPort).selection);
    const bool usb = !entry || !entry->serial;
    control(kOpenPort).iconNumber = usb ? 142 : 130;
    control(kClosePort).iconNumber = usb ? 143 : 135;
    enable({kBaud, kDataBits, kParity, kStopBits, kFlowControl}, !usb);
}

void CQx7SerialSetDlg::checkDataBitsParity(int changedList) {
    if (control(kDataBits).selectedText() != "7" || control(kParity).selectedText() != "NONE") return;
    shell().message("Data Bits=7, Parity=NONE is not supported", "ERROR");
    if (changedList == kDataBits)
        control(kDataBits).selectText("8");
    else
        control(kParity).selectText("ODD");
}

void CQx7SerialSetDlg::applyOpenEnabling() {
    enable({kPort, kOpenPort, kStartWifi, kExit}, false);
    enable({kClosePort, kGetEmulation, kSetCpcl, kSetEscPos, kGetBluetooth, kSavePin,
            kSaveDiscoverable, kPin, kDiscoverableOn, kDiscoverableOff},
           true);
    switch (m_emulation) {
        case EmulationCode::EscPos:
            enable({kBaud, kDataBits, kParity, kStopBits, kDensity, kSaveDensity, kFontOpen,
                    kSaveSerialConfig},
                   true);
            enable({kSetGap, kSetBlackMark}, false);
            break;
        case EmulationCode::Cpcl:
        case EmulationCode::Mpcl:
            enable({kDataBits, kFlowControl, kDensity, kSaveDensity}, false);
            enable({kSetGap, kSetBlackMark, kFontOpen, kSaveSerialConfig}, true);
            if (m_links.kind == LinkKind::Usb) enable({kBaud, kParity, kStopBits}, true);
            break;
        default: break;  // ZPL, EPL, DPL: only the changes above
    }
    const auto& modes = powerSaveModeNames();
    control(kPowerSaveMode).setItems({modes.begin(), modes.end()}, 0);
    control(kMinutes).text = std::string(1, '?');  // (a literal here trips a GCC 12 -Wrestrict false positive)
    if (m_emulation == EmulationCode::EscPos) {
        const auto& pages = codePageNames();
        control(kCodePage).setItems({pages.begin(), pages.end()}, 0);
        enable({kCodePage, kSaveCodePage, kPrintCodePage}, true);
    }
    const auto& densities = densityNames();
    control(kDensity).setItems({densities.begin(), densities.end()}, kDefaultDensityIndex);
    enable({kPowerSaveMode, kSavePowerSave, kDiscoverableOn, kDiscoverableOff}, true);
}

void CQx7SerialSetDlg::applyClosedState() {
    enable({kPort, kOpenPort, kStartWifi, kExit}, true);
    for (int id : kClosedDisabled) enable(id, false);
}

void CQx7SerialSetDlg::clearTexts() {
    for (int id : {kEmulationText, kBtAddress, kPin, kMinutes}) control(id).text.clear();
}

void CQx7SerialSetDlg::closeRule() {
    if (PrinterLink* link = m_links.current()) link->close();
    enable({kPort, kOpenPort, kStartWifi, kExit, kBaud, kParity, kStopBits}, true);
    if (m_emulation == EmulationCode::EscPos) enable({kDataBits, kFlowControl}, true);
    for (int id : kClosedDisabled) enable(id, false);
    clearTexts();
}

SerialSettings CQx7SerialSetDlg::lineSettings() const {
    SerialSettings s;
    s.baud = std::atoi(control(kBaud).selectedText().c_str());
    s.dataBitsIndex = control(kDataBits).selection;
    s.parityIndex = control(kParity).selection;
    s.stopBitsIndex = control(kStopBits).selection;
    s.flowIndex = control(kFlowControl).selection;
    return s;
}

}  // namespace setrion::ui
