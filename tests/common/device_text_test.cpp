#include "common/device_text.h"

#include <gtest/gtest.h>

using namespace setrion;

TEST(DeviceText, TerminalAndJsonRules) {
    struct Case {
        std::string bytes, terminal, json;
        bool valid;
    };
    const Case cases[] = {
        {"Office", "Office", "Office", true},
        {"Caf\xC3\xA9", "Caf\xC3\xA9", "Caf\xC3\xA9", true},
        {"\xFF\xFE\xC3", "\\xFF\\xFE\\xC3", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"a\x1B[2Jb\x7F", "a\\x1B[2Jb\\x7F", "a\x1B[2Jb\x7F", true},
        {"\xC2\x9B" "1", "\\xC2\\x9B1", "\xC2\x9B" "1", true},           // C1 control CSI
        {"\xC0\xAF", "\\xC0\\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", false},  // overlong '/'
        {"\xED\xA0\x80", "\\xED\\xA0\\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"back\\slash", "back\\x5Cslash", "back\\slash", true},
        {std::string("n\0l", 3), "n\\x00l", std::string("n\0l", 3), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(terminalText(c.bytes), c.terminal) << c.terminal;
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.terminal;
        EXPECT_EQ(utf8WithReplacements(c.bytes), c.json) << c.terminal;
    }
}

TEST(DeviceText, InvalidJsonTextGetsItsHexCompanion) {
    nlohmann::json j = {{"ssid", "\xFF" "A"}, {"mode", "adhoc"}, {"channel", 6}};
    applyDeviceTextRule(j);
    EXPECT_EQ(j["ssid"], "\xEF\xBF\xBD" "A");
    EXPECT_EQ(j["ssid_hex"], "FF41");
    EXPECT_FALSE(j.contains("mode_hex"));
    EXPECT_NO_THROW(j.dump());
}
