#include "fonts/font_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/usb_link.h"
#include "tests/link/fake_usb_backend.h"
#include "tests/support/scripted_link.h"

namespace setrion::fonts {
namespace {

using test::ScriptedLink;

TEST(FontTransfer, SendsTenPiecesAndReportsEachTenth) {
    ScriptedLink link;
    std::string job(100, 'x');
    for (size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>('A' + i % 26);
    std::vector<int> positions;
    TransferResult r = sendFontJob(link, job, [&](int p) { positions.push_back(p); });
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.sent, 100u);
    ASSERT_EQ(link.writes().size(), 10u);
    for (const auto& w : link.writes()) EXPECT_EQ(w.size(), 10u);
    EXPECT_EQ(test::text(link.allWritten()), job);
    EXPECT_EQ(positions, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST(FontTransfer, RestGoesInAnEleventhPieceWithoutPassingHundred) {
    ScriptedLink link;
    std::string job(1009, 'z');
    std::vector<int> positions;
    TransferResult r = sendFontJob(link, job, [&](int p) { positions.push_back(p); });
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(link.writes().size(), 11u);
    EXPECT_EQ(link.writes()[0].size(), 100u);
    EXPECT_EQ(link.writes()[10].size(), 9u);
    EXPECT_EQ(positions.back(), 100);
    EXPECT_EQ(positions[9], 100);
    EXPECT_EQ(link.allWritten().size(), 1009u);
}

TEST(FontTransfer, TinyJobStillEnds) {
    ScriptedLink link;
    TransferResult r = sendFontJob(link, "}");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(link.writes().size(), 1u);
}

TEST(FontTransfer, FailedWriteStopsAndIsReported) {
    ScriptedLink link;
    link.setWriteFails(true);
    int calls = 0;
    TransferResult r = sendFontJob(link, std::string(500, 'a'), [&](int) { ++calls; });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces, 1);
    EXPECT_EQ(r.sent, 0u);
    EXPECT_EQ(calls, 0);
}

class ShortLink final : public PrinterLink {
  public:
    int write(std::span<const uint8_t> d) override {
        ++writes;
        return writes == 3 ? static_cast<int>(d.size() / 2) : static_cast<int>(d.size());
    }
    int read(std::span<uint8_t>) override { return 0; }
    void close() override {}
    bool isOpen() const override { return true; }
    int writes = 0;
};

TEST(FontTransfer, ShortWriteStopsAfterThatPiece) {
    ShortLink link;
    std::vector<int> positions;
    TransferResult r =
        sendFontJob(link, std::string(200, 'a'), [&](int p) { positions.push_back(p); });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(link.writes, 3);
    EXPECT_EQ(r.sent, 50u);
    EXPECT_EQ(positions, (std::vector<int>{10, 20}));
}

// A USB printer pulled out mid-download: back in time, the download goes on from the first
// byte it had not taken and succeeds; gone for good, the download fails at that piece.
TEST(FontTransfer, UsbUnplugMidDownloadResumesOrFailsAtThatPiece) {
    struct Case {
        bool comesBack;
        bool ok;
        int pieces;
    };
    for (const Case c : {Case{true, true, 10}, Case{false, false, 4}}) {
        test::FakeUsbBackend bus;
        ManualClock clock;
        UsbLinkOptions options;
        options.pollIntervalMs = 5;
        options.writeBoundMs = options.reconnectBoundMs = 300;
        size_t printer = bus.addDevice(test::FakeUsbBackend::printer(0x12EE, 0x9485));
        UsbLink link(bus, clock, options);
        ASSERT_EQ(link.open(), 0);
        std::string job(20000, 'x');
        for (size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>('0' + i % 43);
        bus.unplugAfterBytes(printer, 7000);
        if (c.comesBack) bus.replugAfterEnumerations(printer, 2);

        TransferResult r = sendFontJob(link, job);
        EXPECT_EQ(r.ok, c.ok) << c.comesBack;
        EXPECT_EQ(r.pieces, c.pieces) << c.comesBack;
        const auto got = bus.received(printer);
        if (c.comesBack) {
            EXPECT_EQ(r.sent, job.size());
            EXPECT_EQ(std::string(got.begin(), got.end()), job);
        } else {
            EXPECT_EQ(got.size(), 7000u);
        }
    }
}

}  // namespace
}  // namespace setrion::fonts
