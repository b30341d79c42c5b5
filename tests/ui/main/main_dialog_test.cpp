#include "tests/ui/main/main_dialog_fixture.h"

#include "ui/main/about_box.h"

using namespace setrion;
using namespace setrion::test;

using Ids = std::set<int>;

TEST_F(MainDialogFixture, InitialControls) {
    EXPECT_EQ(dlg->title(), "Orvane Labrix Printer Utiltiy 1.41");
    EXPECT_EQ(dlg->widthDu(), 325);
    EXPECT_EQ(dlg->heightDu(), 366);
    EXPECT_EQ(dlg->control(kPort).items,
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                        "COM8", "COM9", "USB"}));
    EXPECT_EQ(dlg->control(kPort).selectedText(), "COM1");
    EXPECT_EQ(dlg->control(kBaud).items,
              (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"}));
    EXPECT_EQ(dlg->control(kBaud).selection, 3);
    EXPECT_EQ(dlg->control(kDataBits).selectedText(), "8");
    EXPECT_EQ(dlg->control(kParity).items, (std::vector<std::string>{"NONE", "ODD", "EVEN"}));
    EXPECT_EQ(dlg->control(kParity).selectedText(), "NONE");
    EXPECT_EQ(dlg->control(kStopBits).selectedText(), "1");
    EXPECT_EQ(dlg->control(kFlowControl).items, (std::vector<std::string>{"DTR/DSR", "Xon/Xoff"}));
    EXPECT_EQ(dlg->control(kGroupConnection).text, "Printer Connnection Settings");
    EXPECT_EQ(dlg->control(kExit).text, "E&xit");
    EXPECT_EQ(dlg->control(kGroupPin).colour, 0xE78C10u);
    EXPECT_EQ(dlg->control(kGroupDiscoverable).colour, 0xE78C10u);
    EXPECT_FALSE(dlg->control(kFontProgress).visible);
    for (int hidden : {kSetCpcl, kSetEscPos, kGroupPowerSave, kPowerSaveMode, kMinutes,
                       kSavePowerSave, kGroupMedia, kSetGap, kSetBlackMark})
        EXPECT_FALSE(dlg->control(hidden).visible) << hidden;
    EXPECT_EQ(enabledInputs(), (Ids{1000, 1001, 1002, 1003, 1004, 1137, 1005, 1019, 1}));
    ASSERT_EQ(dlg->systemMenuItems().size(), 1u);
    EXPECT_EQ(dlg->systemMenuItems()[0].command, 16);
    EXPECT_EQ(dlg->systemMenuItems()[0].text, "&About Setrion...");
}

TEST_F(MainDialogFixture, UsbDisablesTheLineSettingsAndComEnablesThemAgain) {
    selectText(kPort, "USB");
    for (int id : {kBaud, kDataBits, kParity, kStopBits, kFlowControl}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(dlg->control(kOpenPort).iconNumber, 142);
    EXPECT_EQ(dlg->control(kClosePort).iconNumber, 143);
    selectText(kPort, "COM3");
    for (int id : {kBaud, kDataBits, kParity, kStopBits, kFlowControl}) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(dlg->control(kOpenPort).iconNumber, 130);
    EXPECT_EQ(dlg->control(kClosePort).iconNumber, 135);
}

TEST_F(MainDialogFixture, SevenDataBitsWithoutParityIsPutBack) {
    selectText(kDataBits, "7");
    EXPECT_EQ(lastText(), "Data Bits=7, Parity=NONE is not supported");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_EQ(dlg->control(kDataBits).selectedText(), "8");

    shell.clearMessages();
    selectText(kParity, "EVEN");
    selectText(kDataBits, "7");
    EXPECT_TRUE(shell.messages().empty());
    selectText(kParity, "NONE");
    EXPECT_EQ(lastText(), "Data Bits=7, Parity=NONE is not supported");
    EXPECT_EQ(dlg->control(kParity).selectedText(), "ODD");
    EXPECT_EQ(dlg->control(kDataBits).selectedText(), "7");
}

TEST_F(MainDialogFixture, PinEditLimitAndSaveButtonFollowEmptiness) {
    openWith("1");
    EXPECT_TRUE(dlg->editText(kPin, "0123456789"));
    EXPECT_TRUE(enabled(kSavePin));
    EXPECT_FALSE(dlg->editText(kPin, "01234567890"));
    EXPECT_EQ(dlg->control(kPin).text, "0123456789");
    dlg->editText(kPin, "");
    EXPECT_FALSE(enabled(kSavePin));
    dlg->editText(kPin, "7");
    EXPECT_TRUE(enabled(kSavePin));
}

TEST_F(MainDialogFixture, EnabledSetAfterOpeningEscPos) {
    openWith("1");
    EXPECT_TRUE(shell.messages().empty());
    EXPECT_EQ(dlg->emulation(), EmulationCode::EscPos);
    EXPECT_EQ(enabledInputs(), (Ids{1001, 1002, 1003, 1004, 1137, 1006, 1007, 1009, 1010, 1011,
                                    1012, 1014, 1015, 1016, 1017, 1018, 1027, 1134, 1140, 1143,
                                    1144, 1145, 1146, 1162}));
    EXPECT_EQ(dlg->control(kMinutes).text, "?");
    EXPECT_EQ(dlg->control(kCodePage).selectedText(), "CP_437");
    EXPECT_EQ(dlg->control(kDensity).selectedText(), "DENSITY [+1]");
    EXPECT_EQ(dlg->control(kPowerSaveMode).selectedText(), "None Power Save");
    EXPECT_EQ(ports.serialOpens, std::vector<std::string>{"/dev/ttyS0"});
    EXPECT_EQ(ports.lastSettings.baud, 19200);
}

TEST_F(MainDialogFixture, EnabledSetAfterOpeningCpclAndDataBitsStayOffAfterClose) {
    openWith("0");
    EXPECT_EQ(enabledInputs(), (Ids{1001, 1002, 1004, 1006, 1007, 1009, 1010, 1011, 1012, 1014,
                                    1015, 1016, 1017, 1018, 1027, 1134, 1140, 1159, 1160}));
    dlg->click(kClosePort);
    EXPECT_FALSE(enabled(kDataBits));
    EXPECT_FALSE(enabled(kFlowControl));
    EXPECT_EQ(enabledInputs(), (Ids{1000, 1001, 1002, 1004, 1005, 1019, 1}));
    EXPECT_FALSE(ports.serialLink.isOpen());
    // An ESC/POS printer afterwards brings them back at its close.
    openWith("1");
    dlg->click(kClosePort);
    EXPECT_TRUE(enabled(kDataBits));
    EXPECT_TRUE(enabled(kFlowControl));
}

TEST_F(MainDialogFixture, EnabledSetAfterOpeningZplAndCpclOverUsb) {
    openWith("3");
    EXPECT_EQ(enabledInputs(), (Ids{1001, 1002, 1003, 1004, 1137, 1007, 1009, 1010, 1011, 1012,
                                    1014, 1015, 1016, 1017, 1018, 1134, 1140}));
    dlg->click(kClosePort);
    openWith("0", "USB");
    EXPECT_EQ(dlg->linkKind(), LinkKind::Usb);
    EXPECT_EQ(enabledInputs(), (Ids{1001, 1002, 1004, 1006, 1007, 1009, 1010, 1011, 1012, 1014,
                                    1015, 1016, 1017, 1018, 1027, 1134, 1140, 1159, 1160}));
}

TEST_F(MainDialogFixture, CloseClearsTheTexts) {
    openWith("1");
    answers = {{"\x1B" "bt\x01\x0E", "00:11:22"}, {"\x1B" "bt\x01V", "off"}};
    dlg->click(kGetBluetooth);
    dlg->click(kGetEmulation);
    EXPECT_EQ(dlg->control(kEmulationText).text, "ESC/POS");
    dlg->click(kClosePort);
    for (int id : {kEmulationText, kBtAddress, kPin, kMinutes}) EXPECT_EQ(dlg->control(id).text, "") << id;
}

TEST_F(MainDialogFixture, DriverConflictRefusesThePort) {
    spooler.setAnswer(std::vector<SpoolerQueue>{{"labels", "serial:/dev/ttyS0?baud=9600"}});
    openWith("1", "COM1");
    EXPECT_EQ(lastText(),
              "The port(serial:/dev/ttyS0?baud=9600) is already occupied in windows printer "
              "driver(labels).\n\nSo, please change your printer driver port from "
              "serial:/dev/ttyS0?baud=9600 to other port\n\nand execute again.");
    EXPECT_EQ(lastCaption(), "ERROR");
    EXPECT_TRUE(ports.serialOpens.empty());
    EXPECT_TRUE(enabled(kOpenPort));
    openWith("1", "COM2");
    EXPECT_FALSE(enabled(kOpenPort));
}

TEST_F(MainDialogFixture, FailedEnumerationIsShownAndOpeningGoesOn) {
    spooler.setAnswer(std::nullopt);
    openWith("1");
    ASSERT_EQ(shell.messages().size(), 1u);
    EXPECT_EQ(lastText(), "EnumPrinters() failed");
    EXPECT_EQ(lastCaption(), "EnumPrinters() Error");
    EXPECT_TRUE(enabled(kClosePort));
}

TEST_F(MainDialogFixture, OpenFailuresAndProbeFailures) {
    ports.serialResult = -1;
    openWith("1");
    EXPECT_EQ(lastText(), "Serial Port Open Failed");
    EXPECT_EQ(lastCaption(), "Error");
    EXPECT_FALSE(ports.serialLink.isOpen());
    ports.usbResult = 1;
    openWith("1", "USB");
    EXPECT_EQ(lastText(), "USB Port Open Failed");
    EXPECT_TRUE(enabled(kOpenPort));

    ports.serialResult = 0;
    openWith("", "COM2");
    EXPECT_EQ(lastText(), "No Response in printer");
    EXPECT_EQ(lastCaption(), "Error");
    EXPECT_TRUE(enabled(kOpenPort));
    EXPECT_FALSE(ports.serialLink.isOpen());  // closed again, so a retry can open it
    openWith("7", "COM2");
    EXPECT_EQ(lastText(), "Failed to read emulation");
    openWith("1", "COM2");
    EXPECT_TRUE(enabled(kClosePort));
    EXPECT_EQ(ports.serialOpens.size(), 4u);
}

TEST_F(MainDialogFixture, SaveSerialConfigurationSendsTheRecordAndCloses) {
    openWith("1");
    selectText(kBaud, "9600");
    ports.serialLink.clearWrites();
    dlg->click(kSaveSerialConfig);
    ASSERT_EQ(ports.serialLink.writes().size(), 2u);
    EXPECT_EQ(ports.serialLink.writes()[1],
              hexBytes({0x1D, 0x53, 0x43, 0x01, 0x30, 0x31, 0x30, 0x31, 0x31}));
    EXPECT_FALSE(ports.serialLink.isOpen());
    EXPECT_EQ(enabledInputs(), (Ids{1000, 1001, 1002, 1003, 1004, 1137, 1005, 1019, 1}));
    EXPECT_TRUE(shell.messages().empty());
}

TEST_F(MainDialogFixture, GetEmulationShowsNamesAndTheUnknownText) {
    openWith("1");
    probeAnswer = "2";
    dlg->click(kGetEmulation);
    EXPECT_EQ(dlg->control(kEmulationText).text, "MPCL");
    EXPECT_EQ(dlg->emulation(), EmulationCode::Mpcl);
    probeAnswer = "9";
    dlg->click(kGetEmulation);
    EXPECT_EQ(dlg->control(kEmulationText).text, "Unkonwn Emulation");
    EXPECT_EQ(dlg->emulation(), EmulationCode::Mpcl);
    probeAnswer = "";
    dlg->click(kGetEmulation);
    EXPECT_EQ(lastText(), "No Response in printer");
}

TEST_F(MainDialogFixture, BluetoothInformationOnCpcl) {
    openWith("0");
    answers = {{"! U1 getvar \"bluetooth.address\"", "\"00:19:01:AA:BB:CC\""},
               {"! U1 getvar \"bluetooth.discoverable\"", "\"off\""}};
    dlg->click(kGetBluetooth);
    EXPECT_EQ(dlg->control(kBtAddress).text, "00:19:01:AA:BB:CC");
    EXPECT_TRUE(dlg->control(kDiscoverableOff).checked);
    EXPECT_FALSE(dlg->control(kDiscoverableOn).checked);
    EXPECT_EQ(dlg->control(kPin).text, "?");
    EXPECT_FALSE(enabled(kSavePin));
    EXPECT_FALSE(enabled(kSaveDiscoverable));

    dlg->click(kDiscoverableOff);  // already checked: nothing
    EXPECT_FALSE(enabled(kSaveDiscoverable));
    dlg->click(kDiscoverableOn);
    EXPECT_TRUE(dlg->control(kDiscoverableOn).checked);
    EXPECT_FALSE(dlg->control(kDiscoverableOff).checked);
    EXPECT_TRUE(enabled(kSaveDiscoverable));
    ports.serialLink.clearWrites();
    dlg->click(kSaveDiscoverable);
    EXPECT_EQ(text(ports.serialLink.writes().back()), "! U1 setvar \"bluetooth.discoverable\" \"on\"\r\n");
    EXPECT_FALSE(enabled(kSaveDiscoverable));
}

TEST_F(MainDialogFixture, BluetoothInformationOnZplLeavesTheTexts) {
    openWith("3");
    dlg->editText(kPin, "1234");
    dlg->click(kGetBluetooth);
    EXPECT_EQ(dlg->control(kPin).text, "1234");
    EXPECT_EQ(dlg->control(kBtAddress).text, "");
    EXPECT_FALSE(enabled(kSavePin));
    EXPECT_FALSE(enabled(kSaveDiscoverable));
    EXPECT_TRUE(shell.messages().empty());
}

TEST_F(MainDialogFixture, SavePinOnEscPos) {
    openWith("1");
    dlg->editText(kPin, "4321");
    ports.serialLink.clearWrites();
    dlg->click(kSavePin);
    EXPECT_EQ(ports.serialLink.writes().back(),
              hexBytes({0x1B, 0x62, 0x74, 0x05, 0x90, '4', '3', '2', '1'}));
    EXPECT_FALSE(enabled(kSavePin));
    EXPECT_TRUE(shell.messages().empty());

    dlg->editText(kPin, "12\"34");
    ports.serialLink.clearWrites();
    dlg->click(kSavePin);
    EXPECT_TRUE(ports.serialLink.writes().empty());
    EXPECT_EQ(lastCaption(), "Error");
}

TEST_F(MainDialogFixture, CodePageAndDensityConfirmInTheInformationWindow) {
    openWith("1");
    selectText(kCodePage, "WINDOWS_1251");
    ports.serialLink.clearWrites();
    dlg->click(kSaveCodePage);
    ASSERT_EQ(ports.serialLink.writes().size(), 1u);  // no probe
    EXPECT_EQ(ports.serialLink.writes()[0], hexBytes({0x1C, 0x45, 0x50, 0x14}));
    ASSERT_EQ(shell.modalRuns().size(), 1u);
    EXPECT_EQ(shell.modalRuns()[0].templateId, 144);
    EXPECT_EQ(shell.modalRuns()[0].titleAtEnd, "Code Page Setting Information");
    EXPECT_EQ(shell.modalRuns()[0].staticsAtEnd.at(1136), "Code Page changed to WINDOWS_1251.");

    selectText(kDensity, "DENSITY [-1]");
    ports.serialLink.clearWrites();
    dlg->click(kSaveDensity);
    EXPECT_EQ(ports.serialLink.writes()[0],
              hexBytes({'#', '#', 'D', 'E', 'N', 'S', 'I', 'T', 'Y', 0x01, 0x00}));
    EXPECT_EQ(shell.modalRuns()[1].titleAtEnd, "Printer Density Setting Information");
    EXPECT_EQ(shell.modalRuns()[1].staticsAtEnd.at(1136), "Printer Density changed to DENSITY [-1].");

    ports.serialLink.clearWrites();
    dlg->click(kPrintCodePage);
    ASSERT_EQ(ports.serialLink.writes().size(), 1u);
    EXPECT_EQ(ports.serialLink.writes()[0].size(), 172u);
}

TEST_F(MainDialogFixture, ExitHidesWhileAnAutomationClientIsAttached) {
    automation = true;
    dlg->click(kExit);
    EXPECT_FALSE(dlg->ended());
    EXPECT_FALSE(dlg->windowVisible());
    automation = false;
    dlg->requestClose();
    EXPECT_TRUE(dlg->ended());
}

TEST_F(MainDialogFixture, ExitClosesWithOk) {
    dlg->click(kExit);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dlg->result(), kIdOk);
}

TEST_F(MainDialogFixture, AboutBoxFromTheSystemMenu) {
    dlg->systemCommand(16);
    dlg->systemCommand(31);
    dlg->systemCommand(32);
    ASSERT_EQ(shell.modalRuns().size(), 2u);
    EXPECT_EQ(shell.modalRuns()[0].templateId, 100);
    EXPECT_EQ(shell.modalRuns()[0].titleAtEnd, "About Setrion");
    EXPECT_EQ(shell.modalRuns()[0].staticsAtEnd.at(AboutBox::kVersionTextId), "Setrion Version 1.40");
}

TEST_F(MainDialogFixture, StartWifiRunsAFreshDialogEachTime) {
    dlg->click(kStartWifi);
    dlg->click(kStartWifi);
    EXPECT_EQ(wifiDialogsMade, 2);
    ASSERT_EQ(shell.modalRuns().size(), 2u);
    EXPECT_EQ(shell.modalRuns()[1].templateId, 4242);
    openWith("1");
    dlg->click(kStartWifi);  // disabled while the link is open
    EXPECT_EQ(wifiDialogsMade, 2);
}
