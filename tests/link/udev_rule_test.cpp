#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The shipped udev rule must grant access to exactly the two printer ids the link accepts.
TEST(UdevRule, GrantsSeatAccessToBothPrinterIds) {
    std::ifstream in(SETRION_SOURCE_DIR "/packaging/70-setrion-printer.rules");
    ASSERT_TRUE(in.good());
    std::vector<std::string> rules;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') rules.push_back(line);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_NE(rules[0].find(R"(ATTR{idVendor}=="12ee", ATTR{idProduct}=="9485")"),
              std::string::npos);
    EXPECT_NE(rules[1].find(R"(ATTR{idVendor}=="0525", ATTR{idProduct}=="a702")"),
              std::string::npos);
    for (const auto& r : rules) {
        EXPECT_NE(r.find(R"(SUBSYSTEM=="usb")"), std::string::npos) << r;
        EXPECT_NE(r.find(R"(TAG+="uaccess")"), std::string::npos) << r;
    }
}

}  // namespace
