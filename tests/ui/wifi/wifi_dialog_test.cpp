// The Wi-Fi dialog: start-up, port handling, Get/Save/Reset against a command-mode module,
// closing, and the INI file's use.
#include "common/trace.h"
#include "tests/ui/wifi/wifi_dialog_fixture.h"

namespace setrion::test {
namespace {

struct Row {
    int id;
    ControlKind kind;
    const char* text;
    bool enabled;
    bool visible;
};

const Row kInitial[] = {
    {1026, ControlKind::DropList, "", true, true},
    {1037, ControlKind::IconButton, "Open Port", true, true},
    {1038, ControlKind::IconButton, "Close Port", false, true},
    {1176, ControlKind::IconButton, "Wi-Fi Search...", true, false},
    {1177, ControlKind::IconButton, "Save...", false, false},
    {1178, ControlKind::ListBox, "", true, false},
    {1145, ControlKind::Edit, "", false, true},
    {1031, ControlKind::Edit, "", false, true},
    {1028, ControlKind::IpAddress, "", false, true},
    {1036, ControlKind::IpAddress, "", false, true},
    {1034, ControlKind::IconButton, "Get Wi-Fi Information", false, true},
    {1035, ControlKind::IconButton, "Save Wi-Fi Information", false, true},
    {1, ControlKind::IconButton, "Exit", true, true},
    {1148, ControlKind::IconButton, "Reset (Factory Settings)", false, false},
    {1149, ControlKind::CheckBox, "DHCP Settings", false, false},
    {1164, ControlKind::Edit, "", false, true},
    {1193, ControlKind::CheckBox, "LPD Enable", true, false},
    {1194, ControlKind::Edit, "", true, false},
    {1195, ControlKind::CheckBox, "Using 802.11a 5GHz", true, false},
    {1039, ControlKind::DropList, "", false, true},
    {1040, ControlKind::DropList, "", false, true},
    {1041, ControlKind::DropList, "", false, true},
    {1103, ControlKind::DropList, "", false, true},
    {1101, ControlKind::DropList, "", false, true},
    {1104, ControlKind::Edit, "", false, true},
    {1054, ControlKind::DropList, "", false, true},
    {1102, ControlKind::ProgressBar, "", true, true},
    {1108, ControlKind::DropList, "", false, true},
    {1043, ControlKind::DropList, "", false, true},
    {1046, ControlKind::Edit, "", false, true},
    {1175, ControlKind::IconButton, "Enterprise\n\nSettings", false, true},
};

const char* const kLabels[] = {
    "Port : ",
    "BaudRate : ",
    "Data Bits : ",
    "Parity : ",
    "Stop Bits : ",
    "Flow Control : ",
    "MAC address : ",
    "SSID : ",
    "IP : ",
    "NetMask : ",
    "Gateway : ",
    "DNS : ",
    "TCP PORT : ",
    "LPD Queue Name : ",
    "Wi-Fi Mode : ",
    "Wi-Fi Channel : ",
    "Wi-Fi Encryption : ",
    "Wi-Fi Authentication : ",
    "Using KEY ID : ",
    "WEP Key is a write-only.",
    "KEY ID 1 : ",
    "KEY ID 4 : ",
    "Progress : ",
    "WPA Authentication : ",
    "WPA Encryption : ",
    "WPA Key : ",
    "WPA Key is a write-only. The input range is 8 to 63 ASCII or 64 hex characters.",
    "Port and Wi-Fi Information",
    "Port Information",
    "Wi-Fi Information",
    "WEP Key",
    "WPA Authentication"};

using WifiDialogTest = WifiDialogFixture;

TEST_F(WifiDialogTest, StartsWithTheControlTableAndTraceLines) {
    std::vector<std::string> traces;
    auto old = setTraceSink([&](std::string_view l) { traces.emplace_back(l); });
    make();
    setTraceSink(old);
    EXPECT_EQ(dlg->title(), "Wi-Fi Settings Dialog");
    for (const Row& r : kInitial) {
        EXPECT_EQ(c(r.id).kind, r.kind) << r.id;
        EXPECT_EQ(c(r.id).text, r.text) << r.id;
        EXPECT_EQ(c(r.id).enabled, r.enabled) << r.id;
        EXPECT_EQ(c(r.id).visible, r.visible) << r.id;
    }
    for (const char* label : kLabels) {
        bool found = false;
        for (const Control* x : dlg->controls()) found = found || x->text == label;
        EXPECT_TRUE(found) << label;
    }
    EXPECT_EQ(c(1026).items,
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                        "COM8", "COM9", "USB", "LAN (network search)"}));
    EXPECT_EQ(c(1026).selection, 0);
    EXPECT_EQ(c(1027).selectedText(), "19200");
    EXPECT_EQ(c(1113).selectedText(), "8");
    EXPECT_EQ(c(1112).selectedText(), "NONE");
    EXPECT_EQ(c(1114).selectedText(), "1");
    EXPECT_EQ(c(1138).selectedText(), "DTR/DSR");
    EXPECT_EQ(c(1101).items,
              (std::vector<std::string>{"KEY ID 1", "KEY ID 2", "KEY ID 3", "KEY ID 4"}));
    EXPECT_EQ(c(1101).selection, 0);
    EXPECT_TRUE(c(1039).items.empty());
    EXPECT_EQ(c(1037).iconNumber, 130);
    EXPECT_EQ(c(1175).iconNumber, 162);
    EXPECT_EQ(dlg->moduleKind(), wifi::ModuleKind::CommandMode);
    EXPECT_EQ(traces, (std::vector<std::string>{"sizeof(UsingOrvane)=1013",
                                                "sizeof(OrvaneInformation)=202600",
                                                "sizeof(OrvaneInformation[0])=1013"}));
}

TEST_F(WifiDialogTest, PortListEnablesSerialListsAndNetworkEntryShowsLanControls) {
    make();
    selectText(kPort, "USB");
    for (int id : {1027, 1113, 1112, 1114, 1138}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(kOpenPort));

    dlg->select(kPort, 10);
    EXPECT_TRUE(dlg->networkMode());
    for (int id : {1176, 1177, 1178}) EXPECT_TRUE(visible(id)) << id;
    for (int id : {1027, 1113, 1112, 1114, 1138, kBaudLabel, kFlowControlLabel})
        EXPECT_FALSE(visible(id)) << id;
    for (int id : {1037, 1034, 1035, 1038}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(c(kWpaNote).text, "WPA Key is characters of 8 ~ 32 length.");

    selectText(kPort, "COM2");
    EXPECT_FALSE(dlg->networkMode());
    for (int id : {1176, 1177, 1178}) EXPECT_FALSE(visible(id)) << id;
    for (int id : {1027, 1113, 1112, 1114, 1138}) {
        EXPECT_TRUE(visible(id)) << id;
        EXPECT_TRUE(enabled(id)) << id;
    }
    EXPECT_TRUE(enabled(kOpenPort));
    EXPECT_EQ(c(kWpaNote).text,
              "WPA Key is a write-only. The input range is 8 to 63 ASCII or 64 hex characters.");

    selectText(kDataBits, "7");
    EXPECT_EQ(lastText(), "Data Bits=7, Parity=NONE is not supported");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_EQ(c(kDataBits).selectedText(), "8");
}

TEST_F(WifiDialogTest, OpenAndClosePortSetTheEnablingAndCommandMode) {
    make();
    dlg->click(kOpenPort);
    ASSERT_TRUE(dlg->portOpen());
    EXPECT_EQ(lastModeFrame(), 1);
    EXPECT_EQ(dlg->moduleGeneration(), 2);  // information bytes 2 = 1, 3 = 6
    for (int id : {1037, 1035, 1026, 1027, 1112, 1113, 1114, 1}) EXPECT_FALSE(enabled(id)) << id;
    for (int id : {1034, 1038, 1148}) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_TRUE(visible(kReset));
    EXPECT_TRUE(visible(kDhcp));

    dlg->click(kClosePort);
    EXPECT_FALSE(dlg->portOpen());
    EXPECT_EQ(lastModeFrame(), 0);
    EXPECT_FALSE(ports.serialLink.isOpen());
    for (int id : {1037, 1026, 1027, 1112, 1114, 1}) EXPECT_TRUE(enabled(id)) << id;
    for (int id : {1034, 1035, 1038, 1164, 1148, 1175}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(visible(kReset));
    EXPECT_FALSE(visible(kDhcp));
}

TEST_F(WifiDialogTest, OpenPortFailuresShowTheirMessages) {
    module.banner.clear();  // the module never answers the mode frame
    make();
    dlg->click(kOpenPort);
    EXPECT_EQ(lastText(), "ISP Mode Set Failed");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_FALSE(dlg->portOpen());
    EXPECT_FALSE(ports.serialLink.isOpen());
    EXPECT_TRUE(enabled(kOpenPort));

    ports.serialResult = -1;
    dlg->click(kOpenPort);
    EXPECT_EQ(lastText(), "Open Port Failed !!!");
    EXPECT_FALSE(shell.waitCursor());

    FixedSpooler queues(std::vector<SpoolerQueue>{{"Labels", "serial:/dev/ttyS0", "qx7"}});
    spooler = &queues;
    std::vector<std::string> traces;
    auto old = setTraceSink([&](std::string_view l) { traces.emplace_back(l); });
    make();
    dlg->click(kOpenPort);
    setTraceSink(old);
    EXPECT_EQ(
        lastText(),
        "The port(serial:/dev/ttyS0) is already occupied in windows printer driver(Labels).\n\n"
        "So, please change your printer driver port from serial:/dev/ttyS0 to other port\n\n"
        "and execute again.");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_EQ(traces.back(), "PrinterName = Labels PortName=serial:/dev/ttyS0 DriverName=qx7");
    spooler = nullptr;
}

TEST_F(WifiDialogTest, GetShowsTheModuleAndSaveWritesTheEdits) {
    make();
    openAndGet();
    EXPECT_EQ(lastModalTitle(), "Read Wi-Fi information");
    EXPECT_EQ(shell.modalRuns().back().staticsAtEnd.begin()->second, "Read Completed !!!");
    EXPECT_EQ(c(kSsid).text, "Office");
    EXPECT_EQ(c(kIp).octets, (wifi::Octets{192, 168, 1, 20}));
    EXPECT_EQ(c(kDns).octets, (wifi::Octets{8, 8, 4, 4}));
    EXPECT_EQ(c(kTcpPort).text, "9100");
    EXPECT_EQ(c(kMacAddress).text, "00:30:f9:0a:bc:de");
    EXPECT_EQ(c(kMode).selectedText(), "infrastructure");
    EXPECT_EQ(c(kChannel).selectedText(), "6");
    EXPECT_EQ(c(kEncryption).items.size(), 5u);
    EXPECT_EQ(c(kEncryption).selectedText(), "WPA");
    EXPECT_EQ(c(kWpaAuthentication).selectedText(), "WPA2-PSK");
    EXPECT_EQ(c(kWpaKey).text, "passphrase");
    EXPECT_EQ(c(kProgress).position, 100);
    EXPECT_TRUE(c(kDhcp).checked);
    for (int id : {1031, 1028, 1039, 1040, 1041, 1103, 1035, 1164, 1108, 1046})
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : {1034, 1148, 1101}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_GT(shell.repaints(), 5);
    EXPECT_FALSE(shell.waitCursor());

    ASSERT_TRUE(dlg->editText(kSsid, "Workshop"));
    ASSERT_TRUE(dlg->editText(kWpaKey, "new-secret"));
    dlg->click(kSave);
    EXPECT_EQ(lastModalTitle(), "Save Wi-Fi information");
    const auto& ssid = module.values[wifi::Parameter::Ssid];
    EXPECT_EQ(std::string(ssid.begin(), ssid.begin() + 8), "Workshop");
    const auto& key = module.values[wifi::Parameter::WpaKey];
    EXPECT_EQ(std::string(key.begin(), key.begin() + 10), "new-secret");
    EXPECT_TRUE(enabled(kGet));
    EXPECT_TRUE(enabled(kReset));
    for (int id : {1031, 1028, 1041, 1035, 1149, 1043}) EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(WifiDialogTest, FailedReadStepKeepsEarlierValuesAndShowsItsMessage) {
    module.silentRead.insert(wifi::Parameter::Ssid);
    make();
    openAndGet();
    EXPECT_EQ(lastText(), "Get SSID Read Failed");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_EQ(c(kIp).octets, (wifi::Octets{192, 168, 1, 20}));
    EXPECT_EQ(c(kProgress).position, 66);
    EXPECT_TRUE(enabled(kGet));
    EXPECT_FALSE(enabled(kSave));
}

TEST_F(WifiDialogTest, ResetAsksFirstAndNoSendsNothing) {
    make();
    dlg->click(kOpenPort);
    const auto framesBefore = ports.serialLink.writes().size();
    dlg->click(kReset);
    EXPECT_EQ(lastText(),
              "Reset the Wi-Fi module to its factory settings?\nEvery Wi-Fi setting of the module "
              "is lost.");
    EXPECT_EQ(ports.serialLink.writes().size(), framesBefore);
    EXPECT_TRUE(dlg->portOpen());
}

TEST_F(WifiDialogTest, ResetReturnsTheModuleToFactorySettingsAndClosesThePort) {
    make();
    dlg->click(kOpenPort);
    shell.answerQuestions({kIdYes});
    dlg->click(kReset);
    EXPECT_EQ(lastModalTitle(), "Factory settting completed");
    EXPECT_FALSE(dlg->portOpen());
    EXPECT_TRUE(enabled(kOpenPort));
    EXPECT_FALSE(visible(kReset));
}

TEST_F(WifiDialogTest, ClosingTheWindowLeavesCommandModeFirst) {
    make();
    dlg->click(kOpenPort);
    dlg->requestClose(kIdCancel);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dlg->result(), kIdCancel);
    EXPECT_EQ(lastModeFrame(), 0);
    EXPECT_FALSE(dlg->portOpen());
    EXPECT_FALSE(ports.serialLink.isOpen());
}

TEST_F(WifiDialogTest, ExitRefusesOverlongValues) {
    make();
    dlg->control(kLpdQueue).text = std::string(35, 'q');
    dlg->click(kExit);
    EXPECT_FALSE(dlg->ended());
    EXPECT_EQ(lastText(), "Please enter no more than 34 characters.");
    dlg->control(kLpdQueue).text = "q";
    dlg->click(kExit);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dlg->result(), kIdOk);
}

TEST_F(WifiDialogTest, TypedCharactersOfTheAddressFieldsAreFiltered) {
    make();
    struct Case {
        int id;
        const char* field;
        int ch;
        bool taken;
    };
    const Case cases[] = {{kIp, "", '7', true},
                          {kIp, "", 'x', false},
                          {kNetMask, "25", '5', true},
                          {kGateway, "255", '1', false},
                          {kDns, "255", 8, true},
                          {kSsid, "Office", ' ', true},
                          {kWpaKey, "secret key", 'x', true}};
    for (const Case& k : cases)
        EXPECT_EQ(dlg->acceptsTypedCharacter(k.id, k.field, k.ch), k.taken)
            << k.id << " " << k.field << " " << k.ch;
}

// ---- INI file ----------------------------------------------------------------------

struct WifiIniTest : WifiDialogFixture {
    void SetUp() override {
        WifiDialogFixture::SetUp();
        withIni = true;
        wifi::WifiSettings& r = ini.loads;
        r.overwriteStart(field::kVersion, "02");
        r.overwriteStart(field::kMacAddress, "0011AABBCCDD");
        r.setText(field::kSsid, "Depot");
        r.overwriteStart(field::kTcpPort, "238C");
        r.setChoice(field::kEncryption, 1);
        r.setChoice(field::kUseKey, 1);
        r.setChoice(field::kMode, 1);
        r.setChannel(6);
        r.setChoice(field::kWpa, 0);
        r.setChoice(field::kWpaEnc, 0);
    }
    std::string written(const std::string& key) const {
        for (const auto& [k, v] : ini.writes.back())
            if (k == key) return v;
        return "<absent>";
    }
};

TEST_F(WifiIniTest, LoadingShowsTheFileAndSelectsSettingsBlockModule) {
    make();
    EXPECT_EQ(dlg->moduleKind(), wifi::ModuleKind::SettingsBlock);
    EXPECT_EQ(c(kTcpPort).text, "9100");
    EXPECT_EQ(c(kMacAddress).text, "00:11:AA:BB:CC:DD");
    EXPECT_EQ(c(kSsid).text, "Depot");
    EXPECT_EQ(c(kEncryption).selectedText(), "WEP64");
    EXPECT_EQ(c(kChannel).selectedText(), "6");
    for (int id : {1031, 1028, 1039, 1040, 1041, 1035, 1145, 1164, 1101, 1104})
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : {1034, 1175, 1105}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(visible(kDhcp));
}

TEST_F(WifiIniTest, ClosingWritesOnlyTheEditedKeysAndStopsAtAKeyLengthError) {
    make();
    dlg.reset();
    EXPECT_TRUE(ini.writes.empty());  // nothing edited: nothing written
    EXPECT_TRUE(shell.messages().empty());

    make();
    dlg->editText(kSsid, "Depot 2");
    dlg->editText(kKey1, "123456789");  // WEP64 HEX needs 10 digits
    dlg->requestClose();
    dlg.reset();
    EXPECT_EQ(lastText(), "Key Length is not matched");
    EXPECT_EQ(lastCaption(), "Error");
    ASSERT_EQ(ini.writes.size(), 1u);
    EXPECT_EQ(ini.writes.back(), (WifiIniAccess::KeyValues{{"SSID", "Depot 2"}}));

    make();
    dlg->editText(kKey1, "123456789A");
    dlg->editText(kTcpPort, "9101");
    dlg.reset();
    EXPECT_EQ(ini.writes.back(),
              (WifiIniAccess::KeyValues{{"KEY1", "123456789A"}, {"TCPPORT", "9101"}}));
}

TEST_F(WifiIniTest, ADialogEndedInNetworkModeWritesNothing) {
    make();
    dlg->editText(kSsid, "Depot 2");
    dlg->select(kPort, kNetworkPortIndex);  // the controls now follow printers found on the LAN
    dlg.reset();
    EXPECT_TRUE(ini.writes.empty());
}

TEST_F(WifiIniTest, TheWpaKeyCheckTakesWhatTheKeyEditTakes) {
    ini.loads.setChoice(field::kWpa, 1);  // "WPA" encryption
    make();
    shell.clearMessages();
    dlg->editText(kWpaKey, std::string(40, 'k'));
    dlg.reset();
    EXPECT_TRUE(shell.messages().empty()) << lastText();
    EXPECT_EQ(ini.writes.back(), (WifiIniAccess::KeyValues{{"WPAKEY", std::string(40, 'k')}}));
}

TEST_F(WifiIniTest, AFailedWriteIsShownWithTheFileAndTheReason) {
    make();
    dlg->editText(kSsid, "Shop");
    ini.failure = "No space left on device";
    dlg.reset();
    EXPECT_EQ(
        lastText(),
        "The Wi-Fi settings could not be written to Tessun_WIFI.ini:\nNo space left on device");
    EXPECT_EQ(lastCaption(), "Error");
}

TEST_F(WifiIniTest, ATextLongerThanItsFieldIsShownNotCut) {
    ini.loads.setText(field::kSsid, "");
    ini.refuses = {{"SSID", 32, 39}};
    make();
    EXPECT_EQ(lastText(),
              "Please enter no more than 32 characters.\n"
              "SSID in Tessun_WIFI.ini is longer and was not loaded.");
    EXPECT_EQ(lastCaption(), "Error");
    EXPECT_EQ(c(kSsid).text, "");
}

TEST_F(WifiIniTest, ADeletedFileIsNotWritten) {
    make();
    ini.present = false;
    dlg.reset();
    EXPECT_TRUE(ini.writes.empty());
}

TEST_F(WifiDialogTest, WithoutAnIniFileNothingIsWritten) {
    withIni = true;
    ini.present = false;
    make();
    EXPECT_EQ(dlg->moduleKind(), wifi::ModuleKind::CommandMode);
    EXPECT_FALSE(enabled(kEnterprise));
    dlg.reset();
    EXPECT_TRUE(ini.writes.empty());
}

}  // namespace
}  // namespace setrion::test
