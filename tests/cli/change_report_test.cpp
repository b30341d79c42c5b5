// The diff of a dry run as the CLI prints it: typed JSON values, "unknown", secrets masked.
#include "cli/change_report.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace setrion::cli;
using nlohmann::json;
using setrion::wifi::SettingChange;

namespace {
const std::vector<SettingChange> kChanges{
    {"ssid", "Lab\x1b", "Office", false},
    {"dhcp", "false", "true", false},
    {"channel", "6", "11", false},
    {"wpa_key", std::nullopt, "s3cret", true},
    {"wep_keys", R"(["A1","","",""])", R"(["B2","","",""])", true},
};
}  // namespace

TEST(ChangeReport, JsonAndTextMaskSecretsUnlessShown) {
    struct Case {
        bool show;
        json wpaKey, wepKeys;
        std::string wpaLine;
    };
    const Case cases[] = {
        {false, json::array({"unknown", "***"}), json::array({"***", "***"}),
         "wpa_key: unknown -> ***"},
        {true, json::array({"unknown", "s3cret"}),
         json::array({json::array({"A1", "", "", ""}), json::array({"B2", "", "", ""})}),
         "wpa_key: unknown -> s3cret"},
    };
    for (const Case& c : cases) {
        json report = changeReportJson(kChanges, c.show);
        EXPECT_EQ(report["changed"], true);
        EXPECT_EQ(report["diff"]["ssid"], json::array({"Lab\x1b", "Office"}));
        EXPECT_EQ(report["diff"]["dhcp"], json::array({false, true}));
        EXPECT_EQ(report["diff"]["channel"], json::array({6, 11}));
        EXPECT_EQ(report["diff"]["wpa_key"], c.wpaKey);
        EXPECT_EQ(report["diff"]["wep_keys"], c.wepKeys);

        std::ostringstream text;
        printChanges(text, kChanges, c.show, "  ");
        EXPECT_NE(text.str().find("  ssid: Lab\\x1B -> Office\n  dhcp: false -> true\n"),
                  std::string::npos)
            << text.str();
        EXPECT_NE(text.str().find("  " + c.wpaLine + "\n"), std::string::npos) << text.str();
        EXPECT_EQ(text.str().find("s3cret") != std::string::npos, c.show);
    }
    EXPECT_EQ(changeReportJson({}, false), json({{"changed", false}, {"diff", json::object()}}));
    std::ostringstream none;
    printChanges(none, {}, false);
    EXPECT_EQ(none.str(), "No change\n");
}
