#include "wifi/net/item_blocks.h"

#include <gtest/gtest.h>

#include "net_test_util.h"

using namespace setrion::net;
using namespace setrion::net::testing;

namespace {
const MacAddress kMacA{2, 0, 0, 0, 0, 1};
const MacAddress kMacB{2, 0, 0, 0, 0, 2};
}  // namespace

TEST(BlockList, StoreReplacesByMacAndClearEmpties) {
    BlockList list;
    storeBlock(list, kMacA, std::vector<uint8_t>{1, 2, 3});
    storeBlock(list, kMacB, std::vector<uint8_t>{4});
    storeBlock(list, kMacA, std::vector<uint8_t>{9, 9});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(findBlock(list, kMacA)->bytes, (std::vector<uint8_t>{9, 9}));
    EXPECT_EQ(findBlock(list, kMacB)->bytes, (std::vector<uint8_t>{4}));
    storeBlock(list, kMacB, std::vector<uint8_t>(2000, 7));
    EXPECT_EQ(findBlock(list, kMacB)->bytes.size(), kBlockCapacity);
    clearBlocks(list);
    EXPECT_EQ(findBlock(list, kMacA), nullptr);
}

TEST(MergeIntoBlock, BuiltItemsOverwriteInPlaceAndUnmodelledItemsStay) {
    auto unknown = item(45, 0, {0xDE, 0xAD, 0xBE, 0xEF});
    auto block = concat({item(3, 0, {10, 0, 0, 5}), unknown, item(9, 1, textData("Old", 32)),
                         item(47, 2, std::vector<uint8_t>(20, 0x11))});
    RawItemBlock kept{kMacA, block};
    auto built = concat({item(9, 1, textData("New", 32)), item(3, 0, {10, 0, 0, 9})});
    auto out = mergeIntoBlock(built, kept);
    ASSERT_EQ(out.status, MergeStatus::Merged);
    auto expected = concat({item(3, 0, {10, 0, 0, 9}), unknown, item(9, 1, textData("New", 32)),
                            item(47, 2, std::vector<uint8_t>(20, 0x11))});
    EXPECT_EQ(out.payload, expected);
    EXPECT_EQ(kept.bytes, expected);
}

TEST(MergeIntoBlock, BuiltListAsLongAsTheBlockIsSentAsBuilt) {
    auto block = item(3, 0, {10, 0, 0, 5});
    RawItemBlock kept{kMacA, block};
    auto built = concat({item(3, 0, {10, 0, 0, 9}), item(3, 1, {255, 0, 0, 0})});
    auto out = mergeIntoBlock(built, kept);
    EXPECT_EQ(out.status, MergeStatus::SentAsBuilt);
    EXPECT_EQ(out.payload, built);
    EXPECT_EQ(kept.bytes, block);
}

TEST(MergeIntoBlock, MissingItemsAreAppendedAndOtherLengthsSpliced) {
    auto block = concat({item(9, 1, std::vector<uint8_t>(16, 'a')), item(45, 0, std::vector<uint8_t>(200, 1))});
    RawItemBlock kept{kMacA, block};
    auto built = concat({item(9, 1, textData("Longer", 32)), item(3, 3, {8, 8, 8, 8})});
    auto out = mergeIntoBlock(built, kept);
    ASSERT_EQ(out.status, MergeStatus::Merged);
    EXPECT_EQ(out.payload, concat({item(9, 1, textData("Longer", 32)),
                                   item(45, 0, std::vector<uint8_t>(200, 1)),
                                   item(3, 3, {8, 8, 8, 8})}));
}

TEST(MergeIntoBlock, NeverGrowsPastTheCapacity) {
    auto block = item(45, 0, std::vector<uint8_t>(1398, 1));  // 1404 bytes
    RawItemBlock kept{kMacA, block};
    auto built = concat({item(3, 0, {1, 2, 3, 4}), item(3, 1, {1, 2, 3, 4}), item(3, 2, {1, 2, 3, 4}),
                         item(3, 3, {1, 2, 3, 4}), item(9, 0, {1, 2, 3, 4})});  // 60 bytes
    auto out = mergeIntoBlock(built, kept);
    EXPECT_EQ(out.status, MergeStatus::TooLarge);
    EXPECT_EQ(kept.bytes, block);
}
