#include <gtest/gtest.h>

#include <fstream>

#include "common/trace.h"
#include "scripted_lan.h"
#include "tests/support/temp_dir.h"
#include "ui/kit/testing/scripted_shell.h"
#include "ui/main/status_window.h"
#include "ui/wifi/module_password_dlg.h"
#include "ui/wifi/wifi_network_mode.h"
#include "wifi/net/text_frame.h"

using namespace setrion;
using namespace setrion::ui;
using setrion::testing::ScriptedLan;
using setrion::ui::testing::ScriptedShell;

namespace {

// The network mode's controls in a dialog of their own; the Wi-Fi dialog gives the same.
WifiNetworkControls testIds() {
    WifiNetworkControls ids;
    ids.search = 1201;
    ids.save = 1202;
    ids.printerList = 1203;
    ids.mac = 1029;
    ids.ssid = 1031;
    ids.ip = 1032;
    ids.netmask = 1033;
    ids.gateway = 1034;
    ids.dns = 1035;
    ids.mode = 1036;
    ids.channel = 1037;
    ids.encryption = 1038;
    ids.authentication = 1039;
    ids.keyInUse = 1040;
    ids.keys = {1104, 1105, 1106, 1107};
    ids.keyFormats = {1048, 1050, 1052, 1054};
    ids.wpaAuthentication = 1108;
    ids.wpaEncryption = 1043;
    ids.wpaKey = 1046;
    ids.tcpPort = 1047;
    ids.dhcp = 1049;
    ids.reset = 1051;
    ids.getInfo = 1053;
    ids.saveInfo = 1055;
    return ids;
}

struct Host final : WifiNetworkHost {
    std::vector<size_t> filled;
    void fillFromRecord(size_t index) override { filled.push_back(index); }
};

class NetDialog final : public Dialog {
public:
    NetDialog(Shell& shell, ScriptedLan& lan, wifi::OrvaneInformation& table, Host& host)
        : Dialog(shell, 7300, "Wi-Fi Settings Dialog", 400, 300) {
        const auto ids = testIds();
        add(ids.search, ControlKind::IconButton, "Wi-Fi Search...", {});
        add(ids.save, ControlKind::IconButton, "Save...", {});
        add(ids.printerList, ControlKind::ListBox, "", {});
        for (int id : {ids.mac, ids.ssid, ids.wpaKey, ids.tcpPort}) add(id, ControlKind::Edit, "", {});
        for (int id : {ids.ip, ids.netmask, ids.gateway, ids.dns}) add(id, ControlKind::IpAddress, "", {});
        for (int id : {ids.mode, ids.channel, ids.encryption, ids.authentication, ids.keyInUse,
                       ids.wpaAuthentication, ids.wpaEncryption})
            add(id, ControlKind::DropList, "", {});
        for (int id : ids.keys) add(id, ControlKind::Edit, "", {});
        for (int id : ids.keyFormats) add(id, ControlKind::DropList, "", {});
        add(ids.dhcp, ControlKind::CheckBox, "DHCP Settings", {});
        for (int id : {ids.reset, ids.getInfo, ids.saveInfo}) add(id, ControlKind::IconButton, "", {});
        mode = std::make_unique<WifiNetworkMode>(*this, ids, host, table, lan.config());
        mode->setSocketOpener(lan.opener());
    }
    std::unique_ptr<WifiNetworkMode> mode;

protected:
    void onTimer(int id) override { mode->onTimer(id); }
    void onSocketReadable(SocketHandle socket) override { mode->onSocketReadable(socket); }
};

struct Fixture {
    explicit Fixture(size_t modules = 3, size_t printers = 1)
        : lan(shell.manualClock(), modules, printers), dialog(shell, lan, table, host) {
        shell.setModalTimeBoundMs(20'000);
    }
    WifiNetworkMode& mode() { return *dialog.mode; }
    const Control& c(int id) { return dialog.control(id); }
    // Searches; text answers are delivered once the search handler has returned.
    void searchAndHearText() {
        mode().onWifiSearch();
        dialog.socketReadable(10000 + ScriptedLan::kTextLocal);
    }
    void pick(int line) {
        dialog.control(testIds().printerList).selection = line;
        mode().onPrinterSelected();
    }
    ScriptedShell shell;
    ScriptedLan lan;
    wifi::OrvaneInformation table;
    Host host;
    NetDialog dialog;
    WifiNetworkControls ids = testIds();
};

}  // namespace

TEST(WifiNetworkSearch, ListsModulesInMacOrderAndTheStatusWindowClosesItself) {
    Fixture f(2, 0);
    f.mode().onWifiSearch();
    EXPECT_EQ(f.c(f.ids.printerList).items, (std::vector<std::string>{"02:00:00:00:00:01", "02:00:00:00:00:02"}));
    EXPECT_EQ(f.mode().deviceLineMap(), (std::vector<DeviceLine>{{1, 0}, {1, 1}}));
    EXPECT_EQ(f.c(f.ids.printerList).selection, 0);
    EXPECT_EQ(f.c(f.ids.mac).text, "02:00:00:00:00:01");
    EXPECT_TRUE(f.c(f.ids.save).enabled);
    EXPECT_EQ(f.c(f.ids.search).iconNumber, 154);
    EXPECT_FALSE(f.shell.waitCursor());
    ASSERT_EQ(f.shell.modalRuns().size(), 1u);
    const auto& run = f.shell.modalRuns()[0];
    EXPECT_EQ(run.titleAtStart, "Wi-Fi Printer Searching...");
    EXPECT_FALSE(run.closedByShell);
    EXPECT_GT(run.endMs - f.mode().searchDoneTimeMs(), 1500u);
    // The text search frame went out first, to the loopback broadcast's text port.
    ASSERT_FALSE(f.lan.sent.empty());
    EXPECT_EQ(f.lan.sent[0].to, (net::SocketAddress{0x7FFFFFFF, ScriptedLan::kTextPeer}));
    EXPECT_EQ(std::string(f.lan.sent[0].bytes.begin() + 1, f.lan.sent[0].bytes.begin() + 6), "11111");
}

TEST(WifiNetworkSearch, NoAnswerLeavesTheListEmptyAndShowsTheFirewallTextAfter1500ms) {
    Fixture f(0, 0);
    std::string before, after;
    f.shell.onNextModal(StatusWindow::kTemplateId, [&](Dialog& w, ScriptedShell& s) {
        s.advance(0);  // the management search runs
        const uint64_t done = f.mode().searchDoneTimeMs();
        ASSERT_TRUE(f.mode().searchDone());
        s.advance(done + 1400 - s.clock().nowMs());
        before = w.control(StatusWindow::kTextId).text;
        s.advance(1100);
        after = w.control(StatusWindow::kTextId).text;
        EXPECT_TRUE(w.control(kIdOk).visible);
        w.click(kIdOk);
    });
    f.mode().onWifiSearch();
    EXPECT_TRUE(f.c(f.ids.printerList).items.empty());
    EXPECT_FALSE(f.c(f.ids.save).enabled);
    EXPECT_EQ(before, "Now searching printers...");
    EXPECT_EQ(after, "Cannot search the Wi-Fi printer.\nPlease check the firewall...");
    EXPECT_EQ(f.shell.modalRuns()[0].titleAtEnd, "Wi-Fi Printer Searching Results...");
}

TEST(WifiNetworkSearch, ATextAnswerAfterTwoModulesBecomesLineTwo) {
    Fixture f(2, 1);
    f.searchAndHearText();
    ASSERT_EQ(f.mode().deviceLineMap().size(), 3u);
    EXPECT_EQ(f.mode().deviceLineMap()[2], (DeviceLine{0, 0}));
    EXPECT_EQ(f.c(f.ids.printerList).items[2], "02:00:00:00:00:A1");
    EXPECT_EQ(f.mode().textEntryCount(), 1);
    EXPECT_EQ(f.mode().networkEntryCount(), 2);
    // addTextPrinter re-selects line 0, a module.
    EXPECT_EQ(f.c(f.ids.printerList).selection, 0);
    EXPECT_EQ(f.table.entry(WifiNetworkMode::textRecordEntry(0)).text(wifi::field::kSsid), "TextNet-1");
    f.pick(2);
    EXPECT_EQ(f.host.filled, (std::vector<size_t>{1}));
    EXPECT_EQ(f.c(f.ids.wpaEncryption).items, (std::vector<std::string>{"TKIP", "AES"}));
}

TEST(WifiNetworkSearch, MoreThan200PrintersAreCutWithATraceLine) {
    Fixture f(5, 0);
    std::vector<std::string> traced;
    auto old = setTraceSink([&](std::string_view l) { traced.emplace_back(l); });
    f.mode().onWifiSearch();
    for (int j = 0; j < 198; ++j) {
        wifi::WifiSettings r;
        char mac[13];
        std::snprintf(mac, sizeof mac, "0200000B%04X", j);
        r.setText(wifi::field::kMacAddress, mac);
        std::vector<uint8_t> frame(net::kTextFrameSize, 0);
        frame[0] = 0x02;
        std::copy(r.bytes().begin(), r.bytes().end(), frame.begin() + 1);
        frame[1021] = 0x0D, frame[1022] = 0x0A, frame[1023] = 0x03;
        f.mode().addTextPrinter(frame);
    }
    setTraceSink(old);
    EXPECT_EQ(f.c(f.ids.printerList).items.size(), 200u);
    EXPECT_EQ(f.mode().leftOut(), 3u);
    EXPECT_EQ(f.mode().networkEntryCount() + f.mode().textEntryCount(), 200);
    EXPECT_NE(std::find_if(traced.begin(), traced.end(),
                           [](auto& l) { return l.find("3 printers not listed") != std::string::npos; }),
              traced.end());
}

TEST(WifiNetworkSelection, WpaModuleShowsItsListsAndFlags) {
    Fixture f(2, 0);  // the simulator's modules: infrastructure, channel 6, WPA2-PSK, AES
    f.mode().onWifiSearch();
    f.pick(1);
    EXPECT_EQ(f.c(f.ids.encryption).selectedText(), "WPA");
    EXPECT_EQ(f.c(f.ids.wpaAuthentication).selectedText(), "WPA2-PSK");
    EXPECT_EQ(f.c(f.ids.wpaEncryption).selectedText(), "AES");
    EXPECT_FALSE(f.c(f.ids.keyInUse).enabled);
    EXPECT_TRUE(f.c(f.ids.wpaKey).enabled);
    EXPECT_EQ(f.c(f.ids.channel).selectedText(), "6");
    EXPECT_EQ(f.c(f.ids.channel).selection, 5);
    EXPECT_EQ(f.c(f.ids.mode).selectedText(), "infrastructure");
    EXPECT_EQ(f.c(f.ids.ssid).text, "SimNet-2");
    EXPECT_EQ(f.c(f.ids.ip).octets, (std::array<uint8_t, 4>{192, 168, 1, 21}));
    EXPECT_EQ(f.c(f.ids.tcpPort).text, "9100");
    EXPECT_EQ(f.c(f.ids.mac).text, "02:00:00:00:00:02");
}

TEST(WifiNetworkSelection, TheIpShowsTheSenderUnlessItIsALoopbackAddress) {
    struct Case {
        uint32_t sender;
        std::array<uint8_t, 4> shown;
    };
    // From the loopback only a simulated module answers: its reported address is shown.
    for (const Case& k : {Case{0x7F000001u, {192, 168, 1, 20}}, Case{0x0A010203u, {10, 1, 2, 3}}}) {
        Fixture f(1, 0);
        f.lan.moduleSender = k.sender;
        f.mode().onWifiSearch();
        f.pick(0);
        EXPECT_EQ(f.c(f.ids.ip).octets, k.shown);
    }
}

TEST(WifiNetworkEdits, KeyFormatChangeConvertsTheKeyText) {
    Fixture f(1, 0);
    f.mode().onWifiSearch();
    auto& d = f.dialog;
    d.control(f.ids.encryption).selection = 1;  // "WEP64"
    f.mode().onEncryptionChanged();
    d.control(f.ids.keys[0]).text = "6162636465";
    for (auto [format, text] : {std::pair{1, "abcde"}, std::pair{0, "6162636465"}}) {
        d.control(f.ids.keyFormats[0]).selection = format;
        f.mode().onKeyFormatChanged(0);
        EXPECT_EQ(f.c(f.ids.keys[0]).text, text);
    }
}

TEST(WifiNetworkEdits, ModuleFlagsFollowTheLists) {
    Fixture f(1, 0);
    f.mode().onWifiSearch();
    auto& d = f.dialog;
    const auto& r = f.mode().searchResults()[0];
    d.control(f.ids.channel).selection = 10;
    f.mode().onChannelChanged();
    EXPECT_EQ((r.wifiFlags >> 4) & 0xF, 11u);
    d.control(f.ids.mode).selection = 0;
    f.mode().onModeChanged();
    EXPECT_EQ(r.wifiFlags & 0xF, 0u);
    d.control(f.ids.encryption).selection = 4;  // "802.1x"
    f.mode().onEncryptionChanged();
    EXPECT_EQ((r.wifiFlags >> 8) & 3, 0u);
    EXPECT_EQ((r.wifiFlags >> 16) & 0x1F, 0u);
    d.control(f.ids.encryption).selection = 1;  // "WEP64"
    f.mode().onEncryptionChanged();
    EXPECT_EQ((r.wifiFlags >> 8) & 3, 1u);
    d.control(f.ids.keyInUse).selection = 2;
    f.mode().onKeyInUseChanged();
    EXPECT_EQ((r.wifiFlags >> 10) & 3, 2u);
    EXPECT_TRUE(f.c(f.ids.keys[2]).enabled);
    EXPECT_FALSE(f.c(f.ids.keys[0]).enabled);
    EXPECT_EQ(f.c(f.ids.keys[2]).textLimit, 10u);
}

TEST(WifiNetworkEdits, AddressCheck) {
    struct Case {
        std::array<uint8_t, 4> ip, mask;
        bool refused;
    };
    const Case cases[] = {{{192, 168, 1, 255}, {255, 255, 255, 0}, true},
                          {{10, 0, 0, 0}, {255, 0, 0, 0}, true},
                          {{127, 0, 0, 5}, {255, 0, 0, 0}, true},
                          {{224, 0, 0, 1}, {255, 255, 255, 0}, true},
                          {{192, 168, 1, 20}, {255, 255, 255, 0}, false}};
    Fixture f(1, 0);
    f.mode().onWifiSearch();
    for (const auto& k : cases) {
        f.shell.clearMessages();
        f.dialog.control(f.ids.ip).octets = k.ip;
        f.dialog.control(f.ids.netmask).octets = k.mask;
        f.mode().onAddressChanged(f.ids.ip);
        if (k.refused) {
            ASSERT_NE(f.shell.lastMessage(), nullptr);
            EXPECT_EQ(f.shell.lastMessage()->text, "Wrong Local IP address.");
        } else {
            EXPECT_EQ(f.shell.lastMessage(), nullptr);
        }
    }
    // Without a selected printer: the message for IP, the first line for DNS.
    f.dialog.control(f.ids.printerList).selection = -1;
    f.shell.clearMessages();
    f.mode().onAddressChanged(f.ids.gateway);
    EXPECT_EQ(f.shell.lastMessage()->text, "Select Printer before execute this function.");
    f.mode().onAddressChanged(f.ids.dns);
    EXPECT_EQ(f.c(f.ids.printerList).selection, 0);
}

TEST(WifiNetworkSave, RefusalsSendNothing) {
    Fixture f(1, 1);
    f.searchAndHearText();
    const size_t sent = f.lan.sent.size();
    f.dialog.control(f.ids.printerList).selection = -1;
    f.mode().onSave();
    EXPECT_EQ(f.shell.lastMessage()->text, "Select Printer before execute this function.");
    // A WEP64 HEX key of 9 characters in KEY ID 2 of a text-frame printer.
    f.dialog.control(f.ids.printerList).selection = 1;
    f.dialog.control(f.ids.encryption).setItems({"None", "WEP64", "WEP128", "WPA", "802.1x"}, 1);
    f.dialog.control(f.ids.keyInUse).setItems({"KEY ID 1", "KEY ID 2", "KEY ID 3", "KEY ID 4"}, 1);
    f.dialog.control(f.ids.keyFormats[1]).setItems({"HEX", "ASCII"}, 0);
    f.dialog.control(f.ids.keys[1]).text = "123456789";
    f.mode().onSave();
    EXPECT_EQ(f.shell.lastMessage()->text, "Key2 Length is not matched");
    EXPECT_EQ(f.shell.lastMessage()->caption, "Error");
    // The module with an unusable address.
    f.pick(0);
    f.dialog.control(f.ids.ip).octets = {127, 0, 0, 5};
    f.mode().onSave();
    EXPECT_EQ(f.shell.lastMessage()->text, "Wrong Local IP address.");
    EXPECT_EQ(f.lan.sent.size(), sent);
}

TEST(WifiNetworkSave, ModuleSaveWithAndWithoutThePassword) {
    Fixture f(2, 0);  // the simulator's module 02:...:02 has the password "secret"
    f.mode().onWifiSearch();
    f.pick(1);
    f.dialog.control(f.ids.ssid).text = "Shop-Floor";
    auto answer = [&](std::optional<std::string> password) {
        f.shell.onNextModal(ModulePasswordDlg::kTemplateId, [password](Dialog& d, ScriptedShell&) {
            EXPECT_TRUE(d.control(ModulePasswordDlg::kPasswordId).password);
            EXPECT_EQ(d.control(ModulePasswordDlg::kPasswordId).textLimit, 10u);
            if (!password) return d.click(kIdCancel);
            d.editText(ModulePasswordDlg::kPasswordId, *password);
            d.click(kIdOk);
        });
    };
    const size_t mgmtSends = f.lan.sentTo(ScriptedLan::kMgmtPeer);
    answer(std::nullopt);
    f.mode().onSave();
    EXPECT_EQ(f.lan.sentTo(ScriptedLan::kMgmtPeer), mgmtSends);
    answer("wrong");
    f.mode().onSave();
    EXPECT_EQ(f.shell.lastMessage()->text, "Password mismatch error occured.");
    EXPECT_EQ(f.lan.devices.modules()[1].state()["ssid"], "SimNet-2");
    answer("secret");
    f.shell.clearMessages();
    f.mode().onSave();
    EXPECT_EQ(f.shell.lastMessage(), nullptr) << f.shell.lastMessage()->text;
    EXPECT_EQ(f.shell.modalRuns().back().titleAtEnd, "Printer Settings Saved");
    EXPECT_EQ(f.shell.modalRuns().back().staticsAtEnd.at(StatusWindow::kTextId), "Save Completed !!!");
    EXPECT_EQ(f.lan.devices.modules()[1].state()["ssid"], "Shop-Floor");
    EXPECT_EQ(f.mode().searchResults()[1].ssidText(), "Shop-Floor");
}

TEST(WifiNetworkSave, TextRecordSaveIsConfirmedAndKeptInResultOut) {
    setrion::test::TempDir dir("netsave");
    Fixture f(0, 1);
    f.mode().setResultFile(dir.path() / "result.out");
    f.searchAndHearText();
    // The serial path's fill is not part of this dialog: set what it would show.
    f.dialog.control(f.ids.mac).text = "02:00:00:00:00:a1";
    f.dialog.control(f.ids.ssid).text = "Renamed";
    f.dialog.control(f.ids.mode).setItems({"adhoc", "infrastructure"}, 1);
    f.dialog.control(f.ids.channel).setItems({"1", "2", "3", "4", "5", "6"}, 5);
    f.dialog.control(f.ids.encryption).setItems({"None", "WEP64", "WEP128", "WPA", "802.1x"}, 3);
    f.dialog.control(f.ids.wpaAuthentication).setItems({"WPA-PSK", "WPA2-PSK"}, 1);
    f.dialog.control(f.ids.wpaEncryption).setItems({"TKIP", "AES"}, 1);
    f.dialog.control(f.ids.wpaKey).text = "newtextpass";
    f.dialog.control(f.ids.tcpPort).text = "9101";
    f.shell.onNextModal(StatusWindow::kTemplateId, [&](Dialog& w, ScriptedShell& s) {
        EXPECT_EQ(w.title(), "Printer Saving...");
        s.advance(10);
        f.dialog.socketReadable(10000 + ScriptedLan::kTextLocal);  // the printer's answer
        s.advance(1000);
    });
    f.mode().onSave();
    const auto& run = f.shell.modalRuns().back();
    EXPECT_EQ(run.staticsAtEnd.at(StatusWindow::kTextId), "Save Completed !!!");
    const auto& printer = f.lan.devices.printers()[0].record;
    EXPECT_EQ(printer.text(wifi::field::kSsid), "Renamed");
    EXPECT_EQ(printer.text(wifi::field::kWpaKey), "newtextpass");
    EXPECT_EQ(printer.choice(wifi::field::kWpa), 2);
    EXPECT_EQ(printer.text(wifi::field::kChannel), "06");
    EXPECT_EQ(printer.text(wifi::field::kTcpPort), "238D");
    std::ifstream in(dir.path() / "result.out", std::ios::binary);
    std::vector<uint8_t> kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(kept.size(), 1013u);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), printer.bytes().begin()));
    EXPECT_EQ(f.table.usingOrvane(), printer);
}

TEST(WifiNetworkSave, TextRecordSaveWithoutAnAnswerEndsInSaveError) {
    setrion::test::TempDir dir("netsave");
    Fixture f(0, 1);
    f.mode().setResultFile(dir.path() / "result.out");
    f.searchAndHearText();
    f.lan.textAnswers = false;
    f.dialog.control(f.ids.mac).text = "02:00:00:00:00:A1";
    std::string at6s, at7s;
    f.shell.onNextModal(StatusWindow::kTemplateId, [&](Dialog& w, ScriptedShell& s) {
        s.advance(6500);
        at6s = w.control(StatusWindow::kTextId).text;
        s.advance(500);
        at7s = w.control(StatusWindow::kTextId).text;
        w.click(kIdOk);
    });
    f.mode().onSave();
    EXPECT_EQ(at6s, "Now saving....");
    EXPECT_EQ(at7s, "Save Error !!!");
    EXPECT_EQ(f.shell.modalRuns().back().titleAtEnd, "Save Result");
}
