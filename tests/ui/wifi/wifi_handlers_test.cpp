// The Wi-Fi dialog's list handlers and key entry, for a command-mode module (controls only)
// and a settings-block module (edits go to the record of entry 0).
#include "tests/ui/wifi/wifi_dialog_fixture.h"

namespace setrion::test {
namespace {

struct BlockDialogTest : WifiDialogFixture {
    void SetUp() override { useBlockModule(); }
    void openBlock() {
        make();
        openAndGet();
        ASSERT_EQ(dlg->moduleKind(), wifi::ModuleKind::SettingsBlock);
    }
    const wifi::WifiSettings& entry0() { return dlg->table().entry(0); }
};

using CommandModeHandlersTest = WifiDialogFixture;

TEST_F(CommandModeHandlersTest, NoneEncryptionSelectsOpenSystemAndDisablesKeyId) {
    module.values[wifi::Parameter::WlanOptions] = {0x61, 0x09, 0x00, 0x00};  // WEP64, key 3, auth 0
    make();
    openAndGet();
    EXPECT_EQ(c(kEncryption).selectedText(), "WEP64");
    EXPECT_TRUE(enabled(kUsingKeyId));
    EXPECT_TRUE(enabled(kKey3));
    EXPECT_EQ(c(kKey3).text, "1111111111");  // the remembered WEP64 key as HEX
    EXPECT_EQ(c(kKey3).textLimit, 10u);
    selectText(kKeyFormat3, "ASCII");
    EXPECT_EQ(c(kKey3).textLimit, 5u);
    EXPECT_EQ(dlg->keyFormats()[2], wifi::KeyFormat::Ascii);

    selectText(kEncryption, "None");
    EXPECT_EQ(c(kAuthentication).selectedText(), "Open System");
    EXPECT_FALSE(enabled(kUsingKeyId));
    EXPECT_FALSE(enabled(kKey3));
    EXPECT_FALSE(enabled(kEnterprise));

    selectText(kEncryption, "WPA");
    EXPECT_TRUE(enabled(kWpaKey));
    EXPECT_FALSE(enabled(kEnterprise));
    selectText(kEncryption, "802.1x");
    EXPECT_TRUE(enabled(kEnterprise));
}

TEST_F(CommandModeHandlersTest, Wpa2OnGenerationThreeEnablesWpaEncryptionWithAes) {
    module.info[2] = 2;  // generation 3
    module.values[wifi::Parameter::WlanOptions] = {0x61, 0x40, 0x0A, 0x00};  // WPA-PSK, TKIP
    make();
    openAndGet();
    EXPECT_EQ(dlg->moduleGeneration(), 3);
    EXPECT_EQ(c(kWpaEncryption).items.back(), "TKIP+AES");
    EXPECT_FALSE(enabled(kWpaEncryption));
    selectText(kWpaAuthentication, "WPA2-PSK");
    EXPECT_EQ(c(kWpaEncryption).selectedText(), "AES");
    EXPECT_TRUE(enabled(kWpaEncryption));
}

TEST_F(BlockDialogTest, ReadFillsTheControlsFromTheRecord) {
    openBlock();
    EXPECT_EQ(lastModalTitle(), "Read Wi-Fi information");
    EXPECT_EQ(c(kSsid).text, "Lab");
    EXPECT_EQ(c(kIp).octets, (wifi::Octets{10, 1, 2, 3}));
    EXPECT_EQ(c(kMacAddress).text, "00:11:AA:BB:CC:DD");
    EXPECT_EQ(c(kTcpPort).text, "9100");
    EXPECT_EQ(c(kEncryption).selectedText(), "None");
    EXPECT_EQ(c(kWpaAuthentication).items, (std::vector<std::string>{"WPA-PSK", "WPA2-PSK"}));
    // CHANNELTEXT "6  ": the 5 GHz box stays unchecked and channel 6 is selected.
    EXPECT_FALSE(c(k5Ghz).checked);
    EXPECT_FALSE(visible(k5Ghz));  // infrastructure
    EXPECT_EQ(c(kChannel).selectedText(), "6");
    EXPECT_TRUE(visible(kLpdEnable));
    EXPECT_TRUE(c(kLpdEnable).checked);
    EXPECT_EQ(c(kLpdQueue).text, "lpq");
    for (int id : {1035, 1149, 1164, 1031, 1041}) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_FALSE(enabled(kGet));
}

TEST_F(BlockDialogTest, ListChangesWriteTheRecord) {
    openBlock();
    selectText(kChannel, "11");
    EXPECT_EQ(entry0().text(field::kChannel), "11");
    EXPECT_EQ(c(kChannel).selectedText(), "11");
    EXPECT_EQ(c(kAuthentication).selectedText(), "Open System");
    selectText(kAuthentication, "Both");
    EXPECT_EQ(entry0().text(field::kAuthentication), "3");
    dlg->setIpOctets(kGateway, {192, 168, 0, 10});
    EXPECT_EQ(entry0().text(field::kGateway), "C0A8000A");
    selectText(kEncryption, "WEP128");
    EXPECT_EQ(entry0().text(field::kEncryption), "2");
    selectText(kUsingKeyId, "KEY ID 2");
    EXPECT_EQ(entry0().text(field::kUseKey), "2");
    EXPECT_TRUE(enabled(kKey2));
    EXPECT_FALSE(enabled(kKey1));
    EXPECT_EQ(c(kKey2).textLimit, 26u);
}

TEST_F(BlockDialogTest, EnterpriseRuleFollowsEncryptionAndEapType) {
    block.record.setChoice(field::kEapType, 2);
    openBlock();
    selectText(kEncryption, "WPA");
    EXPECT_TRUE(enabled(kEnterprise));
    EXPECT_FALSE(enabled(kWpaAuthentication));
    EXPECT_FALSE(enabled(kWpaKey));
    selectText(kEncryption, "802.1x");
    EXPECT_TRUE(enabled(kEnterprise));
    selectText(kEncryption, "WEP64");
    EXPECT_FALSE(enabled(kEnterprise));
}

TEST_F(BlockDialogTest, FiveGhzSwitchShowsTheFiveGhzChannels) {
    block.record.setChoice(field::kMode, 0);
    block.record.overwriteStart(field::kChannelText, "149");
    openBlock();
    EXPECT_TRUE(visible(k5Ghz));
    EXPECT_TRUE(c(k5Ghz).checked);
    EXPECT_EQ(c(kChannel).items.size(), 31u);
    EXPECT_EQ(c(kChannel).selectedText(), "149");
    dlg->click(k5Ghz);
    EXPECT_EQ(c(kChannel).items.size(), 14u);
    EXPECT_EQ(c(kChannel).selectedText(), "6");
    dlg->click(k5Ghz);
    EXPECT_EQ(c(kChannel).selectedText(), "149");
    selectText(kMode, "infrastructure");
    EXPECT_FALSE(visible(k5Ghz));
    EXPECT_FALSE(c(k5Ghz).checked);
}

TEST_F(BlockDialogTest, WepKeyEntryStoresHexAndSwitchesFormats) {
    openBlock();
    selectText(kEncryption, "WEP128");
    ASSERT_TRUE(dlg->editText(kKey1, "0102030405060708090A0B0C0D"));
    EXPECT_EQ(entry0().text(field::kKey1), "0102030405060708090A0B0C0D");
    selectText(kKeyFormat1, "ASCII");
    EXPECT_EQ(c(kKey1).text, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D");
    EXPECT_EQ(c(kKey1).textLimit, 13u);
    selectText(kKeyFormat1, "HEX");
    EXPECT_EQ(c(kKey1).text, "0102030405060708090A0B0C0D");
    EXPECT_EQ(c(kKey1).textLimit, 26u);
    ASSERT_TRUE(dlg->editText(kKey1, "ABCDg"));  // a non-hex last character is not stored
    EXPECT_EQ(entry0().text(field::kKey1), "ABCD");
    EXPECT_EQ(c(kKey1).text, "ABCDg");
}

TEST_F(BlockDialogTest, WpaKeyLimitDependsOnHexDigits) {
    openBlock();
    selectText(kEncryption, "WPA");
    const std::string hex64(64, 'a');
    ASSERT_TRUE(dlg->editText(kWpaKey, hex64));
    EXPECT_EQ(c(kWpaKey).text, hex64);
    EXPECT_EQ(c(kWpaKey).textLimit, 64u);
    ASSERT_TRUE(dlg->editText(kWpaKey, std::string(63, 'a') + "z"));
    EXPECT_EQ(c(kWpaKey).text, std::string(63, 'a'));
    EXPECT_EQ(c(kWpaKey).textLimit, 63u);
    selectText(kWpaAuthentication, "WPA2-PSK");
    EXPECT_EQ(entry0().text(field::kWpaEnc), "1");
    EXPECT_EQ(c(kWpaEncryption).selectedText(), "AES");
}

TEST_F(BlockDialogTest, SaveSendsTheRecordAndKeepsUnknownFields) {
    block.record.overwriteStart(field::kReserved2, "opaque");
    openBlock();
    ASSERT_TRUE(dlg->editText(kSsid, "Store"));
    selectText(kEncryption, "WPA");
    ASSERT_TRUE(dlg->editText(kWpaKey, "secret-key"));
    dlg->click(kSave);
    EXPECT_EQ(lastModalTitle(), "Save Wi-Fi information");
    EXPECT_EQ(block.record.text(field::kSsid), "Store");
    EXPECT_EQ(block.record.text(field::kWpaKey), "secret-key");
    EXPECT_EQ(block.record.text(field::kEncryption), "3");
    EXPECT_EQ(block.record.text(field::kWpa), "1");
    EXPECT_EQ(block.record.text(field::kReserved2), "opaque");

    selectText(kEncryption, "None");
    dlg->click(kSave);
    EXPECT_EQ(block.record.text(field::kWpa), "0");  // no WPA left behind with "None"
}

TEST_F(BlockDialogTest, SaveValidatesBeforeSending) {
    openBlock();
    ASSERT_TRUE(dlg->editText(kSsid, std::string(32, 's')));
    const int before = block.blocks;
    dlg->click(kSave);
    EXPECT_EQ(lastText(), "SSID Key length should be less than 32");
    EXPECT_EQ(lastCaption(), "Error");
    EXPECT_EQ(block.blocks, before);
}

}  // namespace
}  // namespace setrion::test
