// The Wi-Fi dialog's controls, start-up, port handling and closing.
#include "ui/wifi/choice_texts.h"
#include "ui/wifi/wifi_settings_dlg.h"

#include <cstdio>
#include <cctype>
#include <cstdlib>

#include "common/trace.h"
#include "link/driver_conflict.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/key_rules.h"

namespace setrion::ui {

using namespace wifi_dlg;
using wifi::ModuleKind;
using wifi::WifiSettings;
namespace field = wifi::field;

namespace {
// Caption colour of the group boxes (red 16, green 140, blue 231).
constexpr uint32_t kGroupColour = 0xE78C10;

WifiNetworkControls networkControls() {
    WifiNetworkControls ids;
    ids.search = kWifiSearch;
    ids.save = kNetworkSave;
    ids.printerList = kPrinterList;
    ids.mac = kMacAddress;
    ids.ssid = kSsid;
    ids.ip = kIp;
    ids.netmask = kNetMask;
    ids.gateway = kGateway;
    ids.dns = kDns;
    ids.mode = kMode;
    ids.channel = kChannel;
    ids.encryption = kEncryption;
    ids.authentication = kAuthentication;
    ids.keyInUse = kUsingKeyId;
    for (std::size_t k = 0; k < 4; ++k) {
        ids.keys[k] = kKeyEdits[k];
        ids.keyFormats[k] = kKeyFormats[k];
    }
    ids.wpaAuthentication = kWpaAuthentication;
    ids.wpaEncryption = kWpaEncryption;
    ids.wpaKey = kWpaKey;
    ids.tcpPort = kTcpPort;
    ids.dhcp = kDhcp;
    ids.reset = kReset;
    ids.getInfo = kGet;
    ids.saveInfo = kSave;
    return ids;
}

// COM1..COM9, USB, then the entry of network mode at kNetworkPortIndex.
std::vector<std::string> wifiPortNames() {
    std::vector<std::string> names = fixedPortNames();
    names.emplace_back("LAN (network search)");
    return names;
}
}  // namespace

CWiFiSettings::CWiFiSettings(Shell& shell, WifiDialogServices services)
    : Dialog(shell, kTemplateId, "Wi-Fi Settings Dialog", 460, 386),
      m_services(std::move(services)),
      m_portList(wifiPortNames()),
      m_links{&m_services.ports->serial(), &m_services.ports->usb(), LinkKind::None},
      m_conn(m_links, shell.clock()),
      m_table(std::make_unique<wifi::OrvaneInformation>()),
      m_enterprise(shell) {
    addControls();
    WifiNetworkHost& host = *this;
    m_net = std::make_unique<WifiNetworkMode>(*this, networkControls(), host, *m_table, m_services.net);
    if (m_services.netOpener) m_net->setSocketOpener(m_services.netOpener);
}

CWiFiSettings::~CWiFiSettings() {
    if (m_conn.portOpen()) m_conn.closePort();
    writeIniFile();
}

void CWiFiSettings::addControls() {
    auto icon = [this](int id, const char* text, int iconNumber, Rect r) -> Control& {
        Control& c = add(id, ControlKind::IconButton, text, r);
        c.iconNumber = iconNumber;
        return c;
    };
    // The four framed groups: coloured bold captions, the inner three centred.
    auto group = [this](int id, const char* text, Rect r) -> Control& {
        Control& c = add(id, ControlKind::GroupBox, text, r);
        c.colour = kGroupColour;
        c.bold = true;
        c.alignment = id == kGroupOuter ? 0 : 1;
        return c;
    };
    auto label = [this](int id, const char* text, Rect r) -> Control& {
        return add(id, ControlKind::Static, text, r);
    };
    auto list = [this](int id, Rect r) -> Control& { return add(id, ControlKind::DropList, "", r); };
    auto edit = [this](int id, Rect r) -> Control& { return add(id, ControlKind::Edit, "", r); };

    group(kGroupOuter, "Port and Wi-Fi Information", {4, 2, 452, 380});
    group(kGroupPort, "Port Information", {10, 12, 440, 74});
    label(kPortLabel, "Port : ", {16, 26, 42, 10});
    // The first column is wide enough for "LAN (network search)" in the closed list with the
    // fonts of both hosts (Windows' dialog font is the wider).
    list(kPort, {60, 24, 90, 120});
    label(kBaudLabel, "BaudRate : ", {16, 42, 42, 10});
    list(kBaud, {60, 40, 90, 90});
    label(kDataBitsLabel, "Data Bits : ", {16, 58, 42, 10});
    list(kDataBits, {60, 56, 90, 40});
    label(kParityLabel, "Parity : ", {154, 26, 52, 10});
    list(kParity, {208, 24, 62, 50});
    label(kStopBitsLabel, "Stop Bits : ", {154, 42, 52, 10});
    list(kStopBits, {208, 40, 62, 40});
    label(kFlowControlLabel, "Flow Control : ", {154, 58, 52, 10});
    list(kFlowControl, {208, 56, 62, 40});
    icon(kOpenPort, "Open Port", 130, {276, 22, 82, 26}).isDefault = true;
    icon(kClosePort, "Close Port", 135, {362, 22, 82, 26});
    icon(kWifiSearch, "Wi-Fi Search...", 147, {276, 52, 82, 26});
    icon(kNetworkSave, "Save...", 133, {362, 52, 82, 26});
    add(kPrinterList, ControlKind::ListBox, "", {154, 22, 118, 58});

    group(kGroupWifi, "Wi-Fi Information", {10, 88, 440, 290});
    label(kMacLabel, "MAC address : ", {16, 102, 56, 10});
    edit(kMacAddress, {74, 100, 92, 12}).readOnly = true;
    label(kSsidLabel, "SSID : ", {16, 118, 56, 10});
    edit(kSsid, {74, 116, 92, 12}).textLimit = 32;
    label(kIpLabel, "IP : ", {16, 134, 56, 10});
    add(kIp, ControlKind::IpAddress, "", {74, 132, 92, 12});
    label(kNetMaskLabel, "NetMask : ", {16, 150, 56, 10});
    add(kNetMask, ControlKind::IpAddress, "", {74, 148, 92, 12});
    label(kGatewayLabel, "Gateway : ", {16, 166, 56, 10});
    add(kGateway, ControlKind::IpAddress, "", {74, 164, 92, 12});
    label(kDnsLabel, "DNS : ", {16, 182, 56, 10});
    add(kDns, ControlKind::IpAddress, "", {74, 180, 92, 12});
    label(kTcpPortLabel, "TCP PORT : ", {16, 198, 56, 10});
    edit(kTcpPort, {74, 196, 50, 12});
    add(kDhcp, ControlKind::CheckBox, "DHCP Settings", {16, 212, 80, 10});

    label(kModeLabel, "Wi-Fi Mode : ", {172, 102, 72, 10});
    list(kMode, {246, 100, 64, 60});
    label(kChannelLabel, "Wi-Fi Channel : ", {172, 118, 72, 10});
    list(kChannel, {246, 116, 64, 120});
    label(kEncryptionLabel, "Wi-Fi Encryption : ", {172, 134, 72, 10});
    list(kEncryption, {246, 132, 64, 80});
    label(kAuthenticationLabel, "Wi-Fi Authentication : ", {172, 150, 72, 10});
    list(kAuthentication, {246, 148, 64, 60});
    label(kUsingKeyIdLabel, "Using KEY ID : ", {172, 166, 72, 10});
    list(kUsingKeyId, {246, 164, 64, 60});
    add(k5Ghz, ControlKind::CheckBox, "Using 802.11a 5GHz", {172, 182, 90, 10});
    add(kLpdEnable, ControlKind::CheckBox, "LPD Enable", {172, 196, 60, 10});
    label(kLpdQueueLabel, "LPD Queue Name : ", {172, 212, 72, 10});
    edit(kLpdQueue, {246, 210, 64, 12});

    icon(kGet, "Get Wi-Fi Information", 139, {318, 100, 126, 26});
    icon(kSave, "Save Wi-Fi Information", 133, {318, 130, 126, 26});
    icon(kReset, "Reset (Factory Settings)", 146, {318, 160, 126, 26});
    icon(kExit, "Exit", 132, {318, 190, 126, 26});

    add(kGroupWep, ControlKind::GroupBox, "WEP Key", {16, 228, 212, 144});
    label(kWepNote, "WEP Key is a write-only.", {22, 240, 150, 10});
    for (int k = 0; k < 4; ++k) {
        const int y = 254 + 16 * k;
        char text[16];
        std::snprintf(text, sizeof text, "KEY ID %d : ", k + 1);
        label(kKey1Label + k, text, {22, y + 2, 40, 10});
        edit(kKeyEdits[k], {64, y, 112, 12});
        list(kKeyFormats[k], {180, y, 42, 40});
    }
    label(kProgressLabel, "Progress : ", {22, 324, 40, 10});
    add(kProgress, ControlKind::ProgressBar, "", {64, 324, 158, 10});

    group(kGroupWpa, "WPA Authentication", {232, 228, 212, 144});
    label(kWpaAuthenticationLabel, "WPA Authentication : ", {238, 242, 80, 10});
    list(kWpaAuthentication, {320, 240, 118, 60});
    label(kWpaEncryptionLabel, "WPA Encryption : ", {238, 258, 80, 10});
    list(kWpaEncryption, {320, 256, 118, 60});
    label(kWpaKeyLabel, "WPA Key : ", {238, 274, 80, 10});
    edit(kWpaKey, {320, 272, 118, 12}).textLimit = 64;
    label(kWpaNote, kWpaNoteSerial, {238, 288, 200, 18});
    icon(kEnterprise, "Enterprise\n\nSettings", 162, {300, 310, 138, 56});

    // What the lists and the note show once a module was read or network mode chosen.
    control(kMode).otherTexts = texts(wifi::kModeTexts);
    control(kEncryption).otherTexts = texts(wifi::kEncryptionTexts);
    control(kAuthentication).otherTexts = texts(wifi::kAuthenticationTexts);
    for (int id : kKeyFormats) control(id).otherTexts = texts(wifi::kKeyFormatTexts);
    control(kWpaAuthentication).otherTexts = {"None Use", "WPA-PSK", "WPA2-PSK", "WPA-ENT",
                                              "WPA2-ENT"};
    control(kWpaEncryption).otherTexts = {"None Use", "TKIP", "AES", "TKIP+AES"};
    control(kWpaNote).otherTexts = {kWpaNoteNetwork};

    // Reading order: each group's columns top to bottom, left to right; a key slot's edit
    // before its format.
    std::vector<int> order;
    auto then = [&order](std::initializer_list<int> ids) { order.insert(order.end(), ids); };
    then({kPort, kBaud, kDataBits, kParity, kStopBits, kFlowControl, kPrinterList});
    then({kOpenPort, kClosePort, kWifiSearch, kNetworkSave});
    then({kMacAddress, kSsid, kIp, kNetMask, kGateway, kDns, kTcpPort, kDhcp});
    then({kMode, kChannel, kEncryption, kAuthentication, kUsingKeyId});
    then({k5Ghz, kLpdEnable, kLpdQueue});
    then({kGet, kSave, kReset, kExit});
    for (int k = 0; k < 4; ++k) then({kKeyEdits[k], kKeyFormats[k]});
    then({kWpaAuthentication, kWpaEncryption, kWpaKey, kEnterprise});
    setTabOrder(std::move(order));
}

void CWiFiSettings::fillPortLists() {
    control(kPort).setItems(m_portList.texts(), 0);
    refreshPortList();
    control(kBaud).setItems({"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"}, 3);
    control(kDataBits).setItems({"7", "8"}, 1);
    control(kParity).setItems({"NONE", "ODD", "EVEN"}, 0);
    control(kStopBits).setItems({"1", "2"}, 0);
    control(kFlowControl).setItems({"DTR/DSR", "Xon/Xoff"}, 0);
}

void CWiFiSettings::refreshPortList() {
    if (!m_services.devices) return;
    const int selected = m_portList.refresh(
        discoverSerialPorts(*m_services.devices, m_services.portMap, m_services.env),
        control(kPort).selection);
    control(kPort).setItems(m_portList.texts(), selected);
}

void CWiFiSettings::onDropDown(int id) {
    if (id != kPort) return;
    const int before = selection(kPort);
    refreshPortList();
    if (selection(kPort) != before) portSelectionChanged();
}

void CWiFiSettings::onInit() {
    fillPortLists();
    control(kUsingKeyId).setItems(texts(wifi::kKeyIdTexts), 0);
    for (int id : {kMacAddress, kSsid, kIp, kNetMask, kGateway, kDns, kGet, kSave, kReset, kDhcp,
                   kTcpPort, kMode, kChannel, kEncryption, kAuthentication, kUsingKeyId,
                   kWpaAuthentication, kWpaEncryption, kWpaKey, kEnterprise, kNetworkSave})
        enable(id, false);
    for (int k = 0; k < 4; ++k) enable({kKeyEdits[k], kKeyFormats[k]}, false);
    enable({kOpenPort, kExit}, true);
    enable(kClosePort, false);
    for (int id : {kWifiSearch, kNetworkSave, kPrinterList, kReset, kDhcp, kLpdEnable, kLpdQueue,
                   kLpdQueueLabel, k5Ghz})
        show(id, false);
    m_keyFormat = {};
    m_remembered = {};
    m_eapId.clear();
    m_eapPassword.clear();
    m_caCertFile.clear();
    m_clientCertFile.clear();
    m_privateKeyFile.clear();
    m_networkMode = false;
    wifi::OrvaneInformation::traceSizes();
    loadIniFile();
}

CWiFiSettings::EditTarget CWiFiSettings::editTarget() const {
    if (!m_networkMode) {
        if (m_conn.moduleKind() == ModuleKind::SettingsBlock) return {TargetKind::Record, 0};
        return {TargetKind::Controls, 0};
    }
    // Network mode: the printer list's entry names the target; without a printer selected
    // the edit has no target.
    const auto line = m_net->selectedLine();
    if (!line) return {TargetKind::Controls, 0};
    if (line->kind == 0) return {TargetKind::Record, WifiNetworkMode::textRecordEntry(line->index)};
    return {TargetKind::Discovered, line->index};
}

void CWiFiSettings::runKeyFormatHandlers() {
    for (int k = 0; k < 4; ++k) keyFormatChanged(k);
}

void CWiFiSettings::onTimer(int timerId) { m_net->onTimer(timerId); }

void CWiFiSettings::onSocketReadable(SocketHandle socket) { m_net->onSocketReadable(socket); }

const wifi::KeyFormats& CWiFiSettings::formatsOf(const EditTarget& t) const {
    if (t.kind == TargetKind::Record) return m_table->keyFormats(t.index);
    return m_keyFormat;
}

bool CWiFiSettings::acceptsTypedCharacter(int id, const std::string& fieldText, int ch) const {
    // The address controls take digits and backspace, at most three digits a field. Text
    // edits (SSID, keys) take every character: their rules act on the text itself.
    if (id != kIp && id != kNetMask && id != kGateway && id != kDns) return true;
    if (ch == 8) return true;
    return ch >= '0' && ch <= '9' && fieldText.size() <= 2;
}

void CWiFiSettings::onClicked(int id) {
    switch (id) {
        case kOpenPort: openPort(); return;
        case kClosePort: closePort(); return;
        case kGet: getInformation(); return;
        case kSave: saveInformation(); return;
        case kReset: resetFactory(); return;
        case kEnterprise: openEnterprise(); return;
        case k5Ghz: switch5Ghz(); return;
        case kWifiSearch: m_net->onWifiSearch(); return;
        case kNetworkSave: m_net->onSave(); return;
        default: Dialog::onClicked(id); return;
    }
}

void CWiFiSettings::onSelectionChanged(int id) {
    for (int k = 0; k < 4; ++k)
        if (id == kKeyFormats[k]) return keyFormatChanged(k);
    switch (id) {
        case kPort: portSelectionChanged(); break;
        case kPrinterList: m_net->onPrinterSelected(); break;
        case kDataBits:
        case kParity: checkSerialParameters(id); break;
        case kMode: modeChanged(); break;
        case kChannel: channelChanged(); break;
        case kAuthentication: authenticationChanged(); break;
        case kEncryption: encryptionChanged(); break;
        case kUsingKeyId: keyInUseChanged(); break;
        case kWpaAuthentication: wpaAuthenticationChanged(); break;
        default: break;
    }
}

void CWiFiSettings::onTextChanged(int id) {
    for (int k = 0; k < 4; ++k)
        if (id == kKeyEdits[k]) return keyTextChanged(k);
    switch (id) {
        case kIp:
        case kNetMask:
        case kGateway:
        case kDns: addressChanged(id); break;
        case kWpaKey: wpaKeyChanged(); break;
        default: break;  // SSID, TCP PORT, LPD Queue Name: the controls hold the values
    }
}

bool CWiFiSettings::onClosing(int result) {
    if (result == kExit) return takeBoundValues();
    closeSequence();
    return true;
}

// ---- port handling ------------------------------------------------------------------

void CWiFiSettings::portSelectionChanged() {
    const int pos = selection(kPort);
    const int serialLists[] = {kBaud, kDataBits, kParity, kStopBits, kFlowControl};
    const int serialLabels[] = {kBaudLabel, kDataBitsLabel, kParityLabel, kStopBitsLabel,
                                kFlowControlLabel};
    if (pos == kNetworkPortIndex) {
        m_networkMode = true;
        for (int id : {kWifiSearch, kNetworkSave, kPrinterList}) show(id, true);
        for (int id : serialLists) show(id, false);
        for (int id : serialLabels) show(id, false);
        enable({kOpenPort, kGet, kSave, kClosePort}, false);
        for (int id : serialLists) enable(id, false);
        control(kWpaNote).text = kWpaNoteNetwork;
        show(kReset, false);
        show(kDhcp, false);
        return;
    }
    m_networkMode = false;
    // COM entries and discovered devices take the line settings; "USB" does not.
    const PortList::Entry* entry = m_portList.at(pos);
    const bool usb = !entry || !entry->serial;
    for (int id : serialLists) {
        enable(id, !usb);
        show(id, true);
    }
    for (int id : serialLabels) show(id, true);
    for (int id : {kWifiSearch, kNetworkSave, kPrinterList}) show(id, false);
    enable(kOpenPort, true);
    enable({kGet, kSave, kClosePort}, false);
    show(kReset, false);
    show(kDhcp, false);
    control(kWpaNote).text = kWpaNoteSerial;
}

void CWiFiSettings::checkSerialParameters(int changedList) {
    if (selection(kDataBits) != 0 || selection(kParity) != 0) return;
    shell().message("Data Bits=7, Parity=NONE is not supported", "ERROR");
    control(changedList).selection = 1;
}

void CWiFiSettings::openPort() {
    const PortList::Entry* entry = m_portList.at(selection(kPort));
    const std::string port = entry ? entry->portName : control(kPort).selectedText();
    SerialSettings settings;
    settings.baud = std::atoi(control(kBaud).selectedText().c_str());
    settings.dataBitsIndex = selection(kDataBits);
    settings.parityIndex = selection(kParity);
    settings.stopBitsIndex = selection(kStopBits);
    settings.flowIndex = selection(kFlowControl);

    shell().setWaitCursor(true);
    Spooler& spooler = m_services.spooler ? *m_services.spooler : m_noSpooler;
    const PortOpenResult opened = openPrinterPort(port, settings, m_services.portMap, spooler,
                                                  *m_services.ports, m_services.env);
    if (opened.enumerationFailed) {
        shell().setWaitCursor(false);
        shell().message(kEnumerationFailedText, kEnumerationFailedCaption);
        shell().setWaitCursor(true);
    }
    if (opened.status == PortOpenResult::Status::DriverConflict && opened.conflict) {
        trace(driverConflictTrace(*opened.conflict));
        shell().setWaitCursor(false);
        shell().message(driverConflictMessage(*opened.conflict), kDriverConflictCaption);
        return;
    }
    if (!opened.opened()) {
        shell().setWaitCursor(false);
        MessageBox box;
        box.text = wifi::kOpenPortFailedText;
        box.caption = wifi::kModuleErrorCaption;
        box.detail = portOpenFailureDetail(opened, port);
        shell().messageBox(box);
        return;
    }
    // The link is open; the module connection takes it over.
    const wifi::OpenPortResult result = m_conn.openPort(opened.kind, [](LinkKind) { return true; });
    shell().setWaitCursor(false);
    if (result == wifi::OpenPortResult::OpenFailed) {
        shell().message(wifi::kOpenPortFailedText, wifi::kModuleErrorCaption);
        return;
    }
    if (result == wifi::OpenPortResult::NoBanner) {
        shell().message(wifi::kIspModeSetFailedText, wifi::kModuleErrorCaption);
        return;
    }
    enable({kOpenPort, kSave, kPort, kBaud, kParity, kDataBits, kStopBits, kExit}, false);
    enable({kGet, kClosePort}, true);
    if (m_conn.moduleKind() == ModuleKind::CommandMode && m_conn.moduleInformationRead()) {
        const int generation = m_conn.moduleGeneration();
        enable(kReset, generation >= 2);
        show(kReset, generation >= 2);
        show(kDhcp, generation == 2);
    }
}

void CWiFiSettings::closePort() {
    for (int id : {kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kUsingKeyId,
                   kAuthentication, kSave, kReset, kWpaEncryption})
        enable(id, false);
    keyControlRefresh(0, selection(kUsingKeyId));
    if (m_conn.portOpen()) m_conn.closePort();
    enable({kOpenPort, kPort, kBaud, kParity, kStopBits, kExit}, true);
    enable({kGet, kSave, kClosePort, kTcpPort, kReset, kEnterprise}, false);
    portSelectionChanged();
}

void CWiFiSettings::closeSequence() {
    for (int id : {kSsid, kIp, kNetMask, kGateway, kDns, kMode, kChannel, kEncryption, kUsingKeyId,
                   kAuthentication, kSave, kGet, kReset, kClosePort, kTcpPort})
        enable(id, false);
    keyControlRefresh(0, selection(kUsingKeyId));
    if (m_conn.portOpen()) m_conn.closePort();
    enable({kOpenPort, kExit}, true);
}

bool CWiFiSettings::takeBoundValues() {
    struct Limit {
        int id;
        std::size_t max;
    };
    for (const Limit& l : {Limit{kSsid, 32}, Limit{kWpaKey, 64}, Limit{kLpdQueue, 34}}) {
        if (control(l.id).text.size() > l.max) {
            shell().message("Please enter no more than " + std::to_string(l.max) + " characters.");
            return false;
        }
    }
    const std::string& port = control(kTcpPort).text;
    if (!port.empty()) {
        char* end = nullptr;
        const long value = std::strtol(port.c_str(), &end, 10);
        if (*end != '\0' || value < 0 || value > 65535) {
            shell().message("Please enter an integer between 0 and 65535.");
            return false;
        }
    }
    return true;
}

}  // namespace setrion::ui
