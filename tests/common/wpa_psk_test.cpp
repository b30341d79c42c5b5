#include "common/wpa_psk.h"

#include <gtest/gtest.h>

#include "common/hex.h"

TEST(WpaPsk, Ieee80211iVectors) {
    EXPECT_EQ(setrion::toHex(setrion::deriveWpaPsk("password", "IEEE")),
              "F42C6FC52DF0EBEF9EBB4B90B38A5F902E83FE1B135A70E23AED762E9710A12E");
    EXPECT_EQ(setrion::toHex(setrion::deriveWpaPsk("ThisIsAPassword", "ThisIsASSID")),
              "0DC0D6EB90555ED6419756B9A15EC3E3209B63DF707DD508D14581F8982721AF");
}
