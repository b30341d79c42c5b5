#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/link/fake_port_opener.h"
#include "tests/wifi/module/fake_module.h"
#include "ui/kit/testing/scripted_shell.h"
#include "ui/wifi/wifi_settings_dlg.h"

namespace setrion::test {

using namespace setrion::ui;
using namespace setrion::ui::wifi_dlg;
using setrion::ui::testing::ScriptedShell;
namespace field = setrion::wifi::field;

// A settings-block module behind a scripted link: answers the mode frame with a banner
// without the command-mode mark, a read block with its record and a write block by keeping
// the record and sending it back.
struct BlockModule {
    wifi::WifiSettings record;
    int blocks = 0;
    BlockModule() {
        auto& r = record;
        r.setText(field::kVersion, "01");
        r.overwriteStart(field::kMacAddress, "0011AABBCCDD");
        r.setText(field::kSsid, "Lab");
        r.setChoice(field::kDhcp, 0);
        r.setAddress(field::kIp, {10, 1, 2, 3});
        r.setAddress(field::kSubnet, {255, 255, 255, 0});
        r.setAddress(field::kGateway, {10, 1, 2, 1});
        r.setAddress(field::kDns, {10, 1, 2, 2});
        r.setChoice(field::kMode, 1);
        r.setChannel(6);
        r.setChoice(field::kEncryption, 0);
        r.setChoice(field::kAuthentication, 1);
        r.setChoice(field::kUseKey, 1);
        r.setChoice(field::kWpa, 0);
        r.setChoice(field::kWpaEnc, 0);
        r.setTcpPort(9100);
        r.setChoice(field::kEapType, 0);
        r.setChoice(field::kEapFastProvisioning, 0);
        r.setEapFastServers(1);
        r.setChoice(field::kLpdEnable, 1);
        r.setText(field::kLpdQueue, "lpq");
        r.overwriteStart(field::kChannelText, "6  ");
    }
    void attach(ScriptedLink& link) {
        link.setResponder([this](ScriptedLink& l, std::span<const uint8_t> d) {
            if (d.size() == 4 && d[0] == 0x1B && d[2] == 'M') {
                if (d[3] == 1) l.queueRead("module ready\r\n");
                return;
            }
            if (d.size() != 1026 || d[2] != 0x02) return;
            ++blocks;
            if (d[3] == '0')
                std::copy(d.begin() + 10, d.begin() + 10 + 1013, record.bytes().begin());
            std::string reply =
                "\x02"
                "11111\r\n";
            reply.append(record.bytes().begin(), record.bytes().end());
            reply += "\r\n\x03";
            l.queueRead(reply);
        });
    }
};

// The INI file in memory: present or not, the record its keys load, the keys written.
struct MemoryIni final : WifiIniAccess {
    bool present = true;
    wifi::WifiSettings loads;
    std::vector<wifi::WifiIniRefusal> refuses;  // what the load refuses
    std::vector<KeyValues> writes;
    bool exists() const override { return present; }
    bool load(wifi::WifiSettings& record, std::vector<wifi::WifiIniRefusal>& refused) override {
        record = loads;
        refused = refuses;
        return true;
    }
    std::string failure;  // a write fails with this reason when not empty
    bool write(const KeyValues& values, std::string& error) override {
        if (!failure.empty()) {
            error = failure;
            return false;
        }
        writes.push_back(values);
        return true;
    }
    std::string name() const override { return "Tessun_WIFI.ini"; }
};

struct WifiDialogFixture : ::testing::Test {
    ScriptedShell shell;
    FakePortOpener ports;
    wifi::test::FakeModule module;
    BlockModule block;
    MemoryIni ini;
    bool withIni = false;
    Spooler* spooler = nullptr;
    std::unique_ptr<CWiFiSettings> dlg;

    void make() {
        WifiDialogServices s;
        s.ports = &ports;
        s.env = noEnv;
        s.ini = withIni ? &ini : nullptr;
        s.spooler = spooler;
        dlg = std::make_unique<CWiFiSettings>(shell, std::move(s));
        dlg->init();
    }
    void SetUp() override { module.attach(ports.serialLink); }
    void useBlockModule() { block.attach(ports.serialLink); }

    const Control& c(int id) const { return dlg->control(id); }
    bool enabled(int id) const { return c(id).enabled; }
    bool visible(int id) const { return c(id).visible; }
    void selectText(int id, const std::string& item) {
        const auto& items = dlg->control(id).items;
        auto it = std::find(items.begin(), items.end(), item);
        ASSERT_NE(it, items.end()) << item;
        dlg->select(id, static_cast<int>(it - items.begin()));
    }
    void openAndGet() {
        dlg->click(kOpenPort);
        ASSERT_TRUE(dlg->portOpen()) << lastText();
        dlg->click(kGet);
    }
    std::string lastText() const { return shell.lastMessage() ? shell.lastMessage()->text : ""; }
    std::string lastCaption() const {
        return shell.lastMessage() ? shell.lastMessage()->caption : "";
    }
    std::string lastModalTitle() const {
        return shell.modalRuns().empty() ? "" : shell.modalRuns().back().titleAtEnd;
    }
    // The last mode frame written: 1 enter, 0 leave, -1 none.
    int lastModeFrame() const {
        int mode = -1;
        for (const auto& w : ports.serialLink.writes())
            if (w.size() == 4 && w[0] == 0x1B && w[1] == '[' && w[2] == 'M') mode = w[3];
        return mode;
    }
};

}  // namespace setrion::test
