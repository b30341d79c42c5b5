#include "wifi/settings/ini_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace setrion::wifi {
namespace {

TEST(IniFileRead, FollowsTheProfileReadingRules) {
    const auto f = IniFile::parse(
        "\xEF\xBB\xBF" "Loose=1\r\n"
        "[Other]\r\nSSID=other\r\n"
        "[wifiinfo]\r\n"
        ";SSID=commented\r\n"
        "  ssid  =  Office AP \t\r\n"
        "SSID=second\r\n"
        "Quoted=\"a b\"\r\n"
        "Single='x'\r\n"
        "Half=\"y\r\n"
        "no equals sign\r\n"
        "Empty=\r\n"
        "Long=" + std::string(300, 'L') + "\n"
        "[WiFiInfo]\nLater=1");
    struct Case { const char* key; std::optional<std::string> value; };
    const Case cases[] = {
        {"SSID", "Office AP"}, {"Quoted", "a b"}, {"Single", "x"}, {"Half", "\"y"},
        {"Empty", ""},         {"Loose", std::nullopt}, {"no equals sign", std::nullopt},
        {"Later", std::nullopt}, {"Missing", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(f.value("WiFiInfo", c.key), c.value) << c.key;
    EXPECT_EQ(f.readString("WiFiInfo", "Missing"), "");
    EXPECT_EQ(f.readString("WiFiInfo", "Long"), std::string(255, 'L'));
    EXPECT_EQ(f.value("Nowhere", "SSID"), std::nullopt);
}

TEST(IniFileWrite, ChangesOnlyTheKeyLineAndKeepsEveryOtherByte) {
    const std::string original =
        "; settings of the printer\r\n"
        "[Printer]\r\nSSID=untouched\r\n\r\n"
        "[WiFiInfo]\r\n"
        "  Ssid = old ; not a comment\r\n"
        "Foreign=kept\r\n"
        "\r\n"
        "[Tail]\r\nX=1";
    auto f = IniFile::parse(original);
    f.set("WiFiInfo", "SSID", "New Net");
    f.set("WiFiInfo", "TCPPORT", "9100");
    f.set("Extra", "Key", "v\r\n[Injected]");
    EXPECT_EQ(f.text(),
              "; settings of the printer\r\n"
              "[Printer]\r\nSSID=untouched\r\n\r\n"
              "[WiFiInfo]\r\n"
              "  Ssid =New Net\r\n"
              "Foreign=kept\r\n"
              "TCPPORT=9100\r\n"
              "\r\n"
              "[Tail]\r\nX=1\r\n"
              "[Extra]\r\nKey=v\r\n");
    EXPECT_EQ(IniFile::parse(original).text(), original);
    EXPECT_EQ(IniFile::parse("\xEF\xBB\xBF[A]\nk=1\n").text(), "\xEF\xBB\xBF[A]\nk=1\n");
}

TEST(IniFileSave, ReplacesAnExistingFileAndNeverCreatesOne) {
    test::TempDir dir("ini");
    const auto path = dir.write("a.ini", "[WiFiInfo]\nSSID=old\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto f = IniFile::load(path);
    ASSERT_TRUE(f);
    f->set("WiFiInfo", "SSID", "new");
    std::string error;
    ASSERT_TRUE(f->saveIfExists(path, &error)) << error;
    EXPECT_EQ(IniFile::load(path)->text(), "[WiFiInfo]\nSSID=new\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.ini"});
#ifndef _WIN32  // the mode bits the file had are kept; Windows files have none
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif

    std::filesystem::remove(path);
    EXPECT_FALSE(f->saveIfExists(path, &error));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(IniFile::load(path));
}

}  // namespace
}  // namespace setrion::wifi
