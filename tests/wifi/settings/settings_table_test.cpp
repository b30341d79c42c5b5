#include "wifi/settings/settings_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/trace.h"

namespace setrion::wifi {
namespace {

TEST(OrvaneInformationTable, LoadEditStoreRoundTrip) {
    auto t = std::make_unique<OrvaneInformation>();
    t->entry(5).setText(field::kSsid, "Five");
    ASSERT_TRUE(t->loadEntry(5));
    EXPECT_EQ(t->usingOrvane().text(field::kSsid), "Five");
    t->usingOrvane().setText(field::kSsid, "Changed");
    EXPECT_EQ(t->entry(5).text(field::kSsid), "Five");  // a copy, not a view
    ASSERT_TRUE(t->storeEntry(5));
    EXPECT_EQ(t->entry(5).text(field::kSsid), "Changed");
    EXPECT_EQ(t->entry(4).text(field::kSsid), "");
}

TEST(OrvaneInformationTable, IndexOutsideTableIsRefused) {
    auto t = std::make_unique<OrvaneInformation>();
    t->usingOrvane().setText(field::kSsid, "Working");
    EXPECT_FALSE(t->loadEntry(200));
    EXPECT_FALSE(t->storeEntry(200));
    EXPECT_EQ(t->usingOrvane().text(field::kSsid), "Working");
    EXPECT_THROW(t->entry(200), std::out_of_range);
}

TEST(OrvaneInformationTable, FillWithSpacesResetsRecordsAndKeyFormats) {
    auto t = std::make_unique<OrvaneInformation>();
    t->entry(0).fill(field::kReserved2, 'r');
    t->keyFormats(199)[3] = KeyFormat::Ascii;
    t->fillWithSpaces();
    for (uint8_t b : t->entry(0).bytes()) ASSERT_EQ(b, ' ');
    EXPECT_EQ(t->keyFormats(199)[3], KeyFormat::Hex);
    EXPECT_EQ(static_cast<int>(KeyFormat::Ascii), 1);
}

TEST(OrvaneInformationTable, TracesTheThreeSizes) {
    std::vector<std::string> lines;
    auto old = setTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    OrvaneInformation::traceSizes();
    setTraceSink(old);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "sizeof(UsingOrvane)=1013");
    EXPECT_EQ(lines[1], "sizeof(OrvaneInformation)=202600");
    EXPECT_EQ(lines[2], "sizeof(OrvaneInformation[0])=1013");
}

}  // namespace
}  // namespace setrion::wifi
