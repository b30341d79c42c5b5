// The enterprise settings dialog and its exchange with the Wi-Fi dialog's record.
#include "ui/wifi/enterprise_dlg.h"

#include "tests/ui/wifi/wifi_dialog_fixture.h"

namespace setrion::test {
namespace {

using namespace setrion::ui::enterprise_dlg;

struct EnterpriseTest : ::testing::Test {
    ScriptedShell shell;
    EnterpriseDlg dlg{shell};
    void open(int eapType, int encryption, int wpaType) {
        dlg.values().eapType = eapType;
        dlg.values().encryption = encryption;
        dlg.values().wpaType = wpaType;
        dlg.init();
    }
    bool shown(int id) const { return dlg.control(id).visible; }
};

TEST_F(EnterpriseTest, OpeningSelectsTheMethodOfTheStoredCodes) {
    open(4, 4, 1);
    EXPECT_EQ(dlg.title(), "Enterprise  Settings");
    EXPECT_EQ(dlg.control(kMethod).selectedText(), "WEP-LEAP");
    EXPECT_TRUE(shown(kLeapAuthentication));
    EXPECT_FALSE(shown(kCaCertFile));
    EXPECT_EQ(dlg.control(kWpaType).selectedText(), "None");
    EXPECT_FALSE(dlg.control(kWpaType).enabled);
    EXPECT_EQ(dlg.control(kAccept).iconNumber, 145);
    EXPECT_EQ(dlg.control(kCancel).iconNumber, 132);
}

TEST_F(EnterpriseTest, AnUnknownCombinationSelectsNothingAndKeepsTheCodes) {
    open(4, 4, 1);  // an earlier opening that hid rows and selected a method
    dlg.values().eapId = "user";
    open(5, 4, 2);
    EXPECT_EQ(dlg.control(kMethod).selection, -1);
    for (int id : {kLeapAuthentication, kCaCertFile, kClientCertFile, kPrivateKeyFile,
                   kProvisioning, kMaxServers})
        EXPECT_TRUE(shown(id)) << id;
    EXPECT_FALSE(dlg.control(kEapId).enabled);
    dlg.click(kAccept);
    EXPECT_TRUE(dlg.ended());
    EXPECT_EQ(dlg.values().eapType, 5);
    EXPECT_EQ(dlg.values().wpaType, 2);
}

struct MethodCase {
    const char* method;
    const char* wpaShown;
    int eapType, encryption, wpaType, cipher;
    bool ca, client, leap, fast;
};

TEST_F(EnterpriseTest, MethodChangeSetsCodesRowsAndLimits) {
    const MethodCase cases[] = {
        {"PEAP", "WPA2-ENT", 1, 4, 4, 1, true, false, false, false},
        {"TLS", "WPA2-ENT", 2, 4, 4, 1, true, true, false, false},
        {"WEP-LEAP", "None", 4, 4, 1, 1, false, false, true, false},
        {"WPA-LEAP", "WPA-ENT", 4, 3, 3, 1, false, false, false, false},
        {"WPA-FAST", "WPA-ENT", 5, 4, 3, 1, true, false, false, true},
        {"WPA2-FAST", "WPA2-ENT", 5, 4, 4, 1, true, false, false, true},
    };
    open(0, 3, 1);
    for (const MethodCase& m : cases) {
        const auto& items = dlg.control(kMethod).items;
        const int pos =
            static_cast<int>(std::find(items.begin(), items.end(), m.method) - items.begin());
        dlg.select(kMethod, 0);
        dlg.select(kMethod, pos);
        const EnterpriseValues& v = dlg.values();
        EXPECT_EQ(dlg.control(kWpaType).selectedText(), m.wpaShown) << m.method;
        EXPECT_EQ(v.eapType, m.eapType) << m.method;
        EXPECT_EQ(v.encryption, m.encryption) << m.method;
        EXPECT_EQ(v.wpaType, m.wpaType) << m.method;
        EXPECT_EQ(v.wpaCipher, m.cipher) << m.method;
        EXPECT_EQ(shown(kCaCertFile), m.ca) << m.method;
        EXPECT_EQ(shown(kClientCertFile), m.client) << m.method;
        EXPECT_EQ(shown(kPrivateKeyFile), m.client) << m.method;
        EXPECT_EQ(shown(kLeapAuthentication), m.leap) << m.method;
        EXPECT_EQ(shown(kProvisioning), m.fast) << m.method;
        EXPECT_EQ(shown(kMaxServers), m.fast) << m.method;
        EXPECT_TRUE(dlg.control(kEapId).enabled) << m.method;
    }
}

TEST_F(EnterpriseTest, LeapMethodsCutIdentityToThirtyTwo) {
    open(1, 4, 4);
    ASSERT_TRUE(dlg.editText(kEapId, std::string(40, 'i')));
    dlg.control(kMethod).selectText("WPA-LEAP");
    const int pos = dlg.control(kMethod).selection;
    dlg.select(kMethod, 0);
    dlg.select(kMethod, pos);
    EXPECT_TRUE(dlg.control(kEapId).text.empty());  // "None" on the way emptied it
    ASSERT_TRUE(dlg.editText(kEapId, std::string(32, 'i')));
    EXPECT_FALSE(dlg.editText(kEapId, std::string(33, 'i')));
    dlg.select(kMethod, 1);  // PEAP: limit 64
    ASSERT_TRUE(dlg.editText(kEapId, std::string(40, 'i')));
    dlg.select(kMethod, pos);
    EXPECT_EQ(dlg.control(kEapId).text, std::string(32, 'i'));
}

TEST_F(EnterpriseTest, ServersBelowTwoSelectTheFirstEntry) {
    for (int servers : {0, 1}) {
        dlg.values().maxServers = servers;
        open(0, 3, 1);
        EXPECT_EQ(dlg.control(kMaxServers).selectedText(), "001");
    }
    dlg.values().maxServers = 17;
    open(0, 3, 1);
    EXPECT_EQ(dlg.control(kMaxServers).selectedText(), "017");
    EXPECT_EQ(dlg.control(kMaxServers).items.size(), 255u);
}

struct EnterpriseExchangeTest : WifiDialogFixture {
    void SetUp() override { useBlockModule(); }
};

TEST_F(EnterpriseExchangeTest, NoneAndAcceptStoreTheCodes) {
    block.record.setChoice(field::kEapType, 1);
    block.record.setChoice(field::kEncryption, 4);
    block.record.setChoice(field::kWpa, 4);
    block.record.setText(field::kEapId, "field tech");  // spaces inside are kept
    block.record.setText(field::kEapPassword, "my pw");
    block.record.overwriteStart(field::kEapFastServers, "000");
    make();
    openAndGet();
    ASSERT_EQ(c(kEncryption).selectedText(), "802.1x");
    ASSERT_TRUE(enabled(kEnterprise));
    shell.onNextModal(EnterpriseDlg::kTemplateId, [](Dialog& d, ScriptedShell&) {
        EXPECT_EQ(d.control(kMethod).selectedText(), "PEAP");
        EXPECT_EQ(d.control(kEapId).text, "field tech");
        EXPECT_EQ(d.control(kEapPassword).text, "my pw");
        EXPECT_EQ(d.control(kMaxServers).selectedText(), "001");
        d.select(kMethod, 0);  // "None"
        d.click(kAccept);
    });
    dlg->click(kEnterprise);
    const wifi::WifiSettings& r = dlg->table().entry(0);
    EXPECT_EQ(r.text(field::kEapType), "0");
    EXPECT_EQ(r.text(field::kEncryption), "3");
    EXPECT_EQ(r.text(field::kWpa), "1");
    EXPECT_EQ(r.text(field::kWpaEnc), "0");
    EXPECT_EQ(r.text(field::kEapId), "");
    EXPECT_EQ(r.text(field::kEapPassword), "");
    EXPECT_EQ(c(kWpaAuthentication).items, (std::vector<std::string>{"WPA-PSK", "WPA2-PSK"}));
    EXPECT_EQ(c(kWpaAuthentication).selectedText(), "WPA-PSK");
    EXPECT_EQ(c(kEncryption).selectedText(), "WPA");
}

TEST_F(EnterpriseExchangeTest, CancelChangesNothing) {
    block.record.setChoice(field::kEncryption, 4);
    block.record.setChoice(field::kEapType, 1);
    make();
    openAndGet();
    const wifi::WifiSettings before = dlg->table().entry(0);
    shell.onNextModal(EnterpriseDlg::kTemplateId, [](Dialog& d, ScriptedShell&) {
        d.select(kMethod, 2);
        d.click(kCancel);
    });
    dlg->click(kEnterprise);
    EXPECT_EQ(dlg->table().entry(0), before);
}

}  // namespace
}  // namespace setrion::test
