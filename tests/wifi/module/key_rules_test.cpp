#include "wifi/settings/key_rules.h"

#include <gtest/gtest.h>

namespace setrion::wifi {
namespace {

TEST(WepKeyRules, EditLimitsBySizeClassAndFormat) {
    EXPECT_EQ(wepKeyEditLimit(1, KeyFormat::Hex), 10);
    EXPECT_EQ(wepKeyEditLimit(1, KeyFormat::Ascii), 5);
    EXPECT_EQ(wepKeyEditLimit(2, KeyFormat::Hex), 26);
    EXPECT_EQ(wepKeyEditLimit(2, KeyFormat::Ascii), 13);
    EXPECT_FALSE(wepKeyEditLimit(0, KeyFormat::Hex));
    EXPECT_EQ(keySizeClass(3), 0);
    EXPECT_EQ(keySizeClass(2), 2);
}

TEST(WepKeyRules, StoredTextDropsTrailingNonHexOrEncodesAscii) {
    EXPECT_EQ(storedWepKeyText("12345G", KeyFormat::Hex), "12345");
    EXPECT_EQ(storedWepKeyText("1G345a", KeyFormat::Hex), "1G345a");  // only the last is checked
    EXPECT_EQ(storedWepKeyText("", KeyFormat::Hex), "");
    EXPECT_EQ(storedWepKeyText("abc", KeyFormat::Ascii), "616263");
}

TEST(WepKeyRules, DisplayTextSwitchingFormats) {
    const std::string hex104 = "4142434445464748494A4B4C4D";
    EXPECT_EQ(wepKeyDisplayText(hex104, 2, KeyFormat::Ascii), "ABCDEFGHIJKLM");
    EXPECT_EQ(wepKeyDisplayText(hex104, 2, KeyFormat::Hex), hex104);
    EXPECT_EQ(wepKeyDisplayText(hex104, 1, KeyFormat::Hex), "4142434445");
    EXPECT_EQ(wepKeyDisplayText(hex104, 1, KeyFormat::Ascii), "ABCDE");
    EXPECT_EQ(wepKeyDisplayText(hex104, 0, KeyFormat::Hex), "");
}

TEST(WepKeyRules, SaveLengthChecks) {
    EXPECT_FALSE(wepKeyLengthError(1, KeyFormat::Ascii, "abcd"));
    EXPECT_FALSE(wepKeyLengthError(1, KeyFormat::Ascii, "abcde"));
    EXPECT_EQ(*wepKeyLengthError(1, KeyFormat::Ascii, "abcdef"), "Key Length is too long");
    EXPECT_EQ(*wepKeyLengthError(1, KeyFormat::Hex, "123456789"), "Key Length is not matched");
    EXPECT_FALSE(wepKeyLengthError(1, KeyFormat::Hex, "1234567890"));
    EXPECT_EQ(*wepKeyLengthError(2, KeyFormat::Hex, "1234567890"), "Key Length is not matched");
    EXPECT_FALSE(wepKeyLengthError(0, KeyFormat::Hex, "x"));
    EXPECT_FALSE(wepKeyLengthError(4, KeyFormat::Hex, "x"));
}

TEST(WpaKeyRule, SixtyFourOnlyForHex) {
    EXPECT_EQ(applyWpaKeyRule("").limit, 64);
    auto hex = applyWpaKeyRule(std::string(64, 'a'));
    EXPECT_EQ(hex.limit, 64);
    EXPECT_FALSE(hex.cut);
    auto mixed = applyWpaKeyRule(std::string(63, 'a') + "z");
    EXPECT_EQ(mixed.limit, 63);
    EXPECT_TRUE(mixed.cut);
    EXPECT_EQ(mixed.text, std::string(63, 'a'));
    auto shortMixed = applyWpaKeyRule("pass word");
    EXPECT_EQ(shortMixed.limit, 63);
    EXPECT_FALSE(shortMixed.cut);
    EXPECT_EQ(shortMixed.text, "pass word");
}

TEST(WpaAuthenticationRule, CommandModeAndBlockModules) {
    auto none = wpaAuthenticationChangedCommandMode(0, 3);
    EXPECT_EQ(none.encryptionSelection, 0);
    EXPECT_EQ(none.encryptionEnabled, false);
    EXPECT_EQ(wpaAuthenticationChangedCommandMode(1, 3).encryptionSelection, 1);
    auto wpa2gen3 = wpaAuthenticationChangedCommandMode(2, 3);
    EXPECT_EQ(wpa2gen3.encryptionSelection, 2);
    EXPECT_EQ(wpa2gen3.encryptionEnabled, true);
    auto wpa2gen2 = wpaAuthenticationChangedCommandMode(2, 2);
    EXPECT_EQ(wpa2gen2.encryptionSelection, 2);
    EXPECT_FALSE(wpa2gen2.encryptionEnabled.has_value());
    EXPECT_EQ(wpaAuthenticationChangedBlock(1).encryptionSelection, 1);
    EXPECT_FALSE(wpaAuthenticationChangedBlock(2).encryptionSelection.has_value());
}

}  // namespace
}  // namespace setrion::wifi
