// The main dialog's Open and Download buttons with the font handler, on a scripted link.
#include <gtest/gtest.h>

#include "common/interrupt.h"
#include "fonts/font_job.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/main/main_dialog_fixture.h"
#include "ui/fonts/font_dialog_ids.h"
#include "ui/fonts/font_download_handler.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/information_window.h"
#include "tests/support/font_bytes.h"

namespace setrion::test {
namespace {

using namespace setrion::ui::font_dlg;

struct FontDownloadTest : MainDialogFixture {
    TempDir fontDir{"fontdl"};
    TempDir saveDir{"fontdl-save"};
    FontDownloadHandler handler{shell, [this] { return fontDir.path().string(); }};
    const std::string fontBytes = test::trueTypeBytes(100);
    // Progress bar state seen by the link at each write of the transfer.
    std::vector<std::pair<bool, int>> barAtWrite;

    FontDownloadTest() { fontController = &handler; }

    void SetUp() override {
        fontDir.write("Demo.ttf", fontBytes);
        MainDialogFixture::SetUp();
        openWith("1");  // CPCL: Open enabled, Download disabled
    }

    // Open: picks `file` in the selection dialog, then `id` and the memory in the ID dialog.
    void chooseFont(const std::string& file, int id, bool flash = false) {
        shell.onNextModal(CFontSelectDlg::kTemplateId, [file](Dialog& d, ScriptedShell&) {
            const auto& items = d.control(kFontList).items;
            auto it = std::find(items.begin(), items.end(), file);
            ASSERT_NE(it, items.end());
            d.select(kFontList, static_cast<int>(it - items.begin()));
            d.click(kIdOk);
        });
        shell.onNextModal(CFontIdDlg::kTemplateId, [id, flash](Dialog& d, ScriptedShell&) {
            d.select(kFontIdList, id - 100);
            d.click(flash ? kFontFlash : kFontRam);
            d.click(kIdOk);
        });
        dlg->click(kFontOpen);
    }
    // Everything written to the printer from now on.
    std::string sentFrom(size_t mark) const {
        const std::string all = text(ports.serialLink.allWritten());
        return all.substr(mark);
    }
    size_t mark() const { return ports.serialLink.allWritten().size(); }
    void watchBar() {
        ports.serialLink.setResponder([this](ScriptedLink&, std::span<const uint8_t>) {
            const Control& bar = dlg->control(kFontProgress);
            barAtWrite.emplace_back(bar.visible, bar.position);
        });
    }
    std::string expectedJob(int id, fonts::TargetMemory memory) const {
        const std::vector<uint8_t> b(fontBytes.begin(), fontBytes.end());
        return fonts::buildFontJob(b, "Demo.ttf", id, memory);
    }
};

TEST_F(FontDownloadTest, OpenEnablesDownloadAndStoresTheChoice) {
    EXPECT_TRUE(enabled(kFontOpen));
    EXPECT_FALSE(enabled(kFontDownload));
    chooseFont("Demo.ttf", 256, true);
    EXPECT_TRUE(enabled(kFontDownload));
    EXPECT_EQ(handler.fontPath(), fontDir.folder() + "Demo.ttf");
    EXPECT_EQ(handler.fileName(), "Demo.ttf");
    EXPECT_EQ(handler.fontId(), 256);
    EXPECT_EQ(handler.targetMemory(), fonts::TargetMemory::Flash);

    // The second use remembers Flash; its list starts at "100" again.
    shell.onNextModal(CFontSelectDlg::kTemplateId, [](Dialog& d, ScriptedShell&) {
        d.select(kFontList, 0);
        d.click(kIdOk);
    });
    bool flashShown = false;
    std::string idShown;
    shell.onNextModal(CFontIdDlg::kTemplateId, [&](Dialog& d, ScriptedShell&) {
        flashShown = d.control(kFontFlash).checked;
        idShown = d.control(kFontIdList).selectedText();
        d.requestClose(kIdCancel);
    });
    dlg->click(kFontOpen);
    EXPECT_TRUE(flashShown);
    EXPECT_EQ(idShown, "100");
    EXPECT_TRUE(enabled(kFontDownload));  // a cancelled ID dialog leaves Download as it was

    // A cancelled font choice disables Download.
    shell.onNextModal(CFontSelectDlg::kTemplateId,
                      [](Dialog& d, ScriptedShell&) { d.requestClose(kIdCancel); });
    dlg->click(kFontOpen);
    EXPECT_FALSE(enabled(kFontDownload));
}

TEST_F(FontDownloadTest, FirstOpenStartsTheIdDialogAtRam) {
    bool ramShown = false;
    shell.onNextModal(CFontSelectDlg::kTemplateId, [](Dialog& d, ScriptedShell&) {
        d.select(kFontList, 0);
        d.click(kIdOk);
    });
    shell.onNextModal(CFontIdDlg::kTemplateId, [&](Dialog& d, ScriptedShell&) {
        ramShown = d.control(kFontRam).checked && !d.control(kFontFlash).checked;
        d.click(kIdOk);
    });
    dlg->click(kFontOpen);
    EXPECT_TRUE(ramShown);
}

TEST_F(FontDownloadTest, DownloadWithoutKeepingSendsTheJobInTenPiecesAndLeavesNoFile) {
    chooseFont("Demo.ttf", 100);
    const size_t before = mark();
    watchBar();
    shell.answerSaveFiles({std::nullopt});
    shell.answerQuestions({kIdYes});
    dlg->click(kFontDownload);

    ASSERT_EQ(shell.saveFileRequests().size(), 1u);
    const SaveFileRequest& req = shell.saveFileRequests()[0];
    EXPECT_EQ(req.filterName, "Font File(*.tfd)");
    EXPECT_EQ(req.filterPatterns, "*.tfd;*.doc");
    EXPECT_EQ(req.fileName, "");
    EXPECT_EQ(req.initialFolder, "./");
    // The question comes with its caption; then the success window.
    const MessageBox& q = shell.messages().at(0);
    EXPECT_EQ(q.text, "Download font to printer ?");
    EXPECT_EQ(q.caption, "Setrion");
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
    ASSERT_FALSE(shell.modalRuns().empty());
    const auto& info = shell.modalRuns().back();
    EXPECT_EQ(info.templateId, InformationWindow::kTemplateId);
    EXPECT_EQ(info.staticsAtEnd.at(InformationWindow::kTextId), "Font download is success.");

    const std::string sent = sentFrom(before);
    EXPECT_EQ(sent, expectedJob(100, fonts::TargetMemory::Ram));
    EXPECT_EQ(sent.rfind("{W,100,A,R,15|\r\n", 0), 0u);
    // Ten pieces of a tenth and a rest: the bar is shown throughout, 0 then 10 ... 100.
    ASSERT_GE(barAtWrite.size(), 10u);
    for (size_t i = 0; i < barAtWrite.size(); ++i) {
        EXPECT_TRUE(barAtWrite[i].first);
        EXPECT_EQ(barAtWrite[i].second, static_cast<int>(10 * i));
    }
    EXPECT_FALSE(dlg->control(kFontProgress).visible);
    EXPECT_EQ(dlg->control(kFontProgress).position, 0);
    EXPECT_TRUE(enabled(kFontOpen));
    EXPECT_FALSE(enabled(kFontDownload));
    EXPECT_TRUE(handler.downloadCompleted());
    EXPECT_TRUE(saveDir.entries().empty());
}

TEST_F(FontDownloadTest, AKeptJobGetsItsExtensionAndIsWhatIsSent) {
    chooseFont("Demo.ttf", 101, true);
    const size_t before = mark();
    shell.answerSaveFiles({(saveDir.path() / "myfont").string()});
    shell.answerQuestions({kIdYes});
    dlg->click(kFontDownload);
    EXPECT_EQ(saveDir.entries(), (std::vector<std::string>{"myfont.tfd"}));
    const std::string job = expectedJob(101, fonts::TargetMemory::Flash);
    EXPECT_EQ(sentFrom(before), job);

    // A name with the extension stays as it is; answering No sends nothing but keeps it.
    chooseFont("Demo.ttf", 101, true);
    const size_t second = mark();
    shell.answerSaveFiles({(saveDir.path() / "again.tfd").string()});
    shell.answerQuestions({kIdNo});
    dlg->click(kFontDownload);
    EXPECT_EQ(saveDir.entries(), (std::vector<std::string>{"again.tfd", "myfont.tfd"}));
    EXPECT_EQ(sentFrom(second), "");
    EXPECT_TRUE(enabled(kFontOpen));
}

TEST_F(FontDownloadTest, FailuresStopWithTheirMessageAndSendNothing) {
    chooseFont("Demo.ttf", 100);
    const size_t before = mark();

    shell.answerSaveFiles({(saveDir.path() / "no-such-folder" / "x").string()});
    dlg->click(kFontDownload);
    EXPECT_EQ(lastText(), "Write Open Failed");
    EXPECT_EQ(lastCaption(), "Error");

    std::filesystem::remove(fontDir.path() / "Demo.ttf");
    shell.answerSaveFiles({std::nullopt});
    dlg->click(kFontDownload);
    EXPECT_EQ(lastText(), fontDir.folder() + "Demo.ttf file is not exist");
    EXPECT_EQ(lastCaption(), "Error");

    fontDir.write("Demo.ttf", "a text file named .ttf");
    shell.answerSaveFiles({std::nullopt});
    dlg->click(kFontDownload);
    EXPECT_EQ(lastText(), fontDir.folder() + "Demo.ttf: not a TrueType or OpenType font");

    EXPECT_EQ(sentFrom(before), "");
    EXPECT_EQ(shell.unscriptedQuestions(), 0);
    EXPECT_TRUE(enabled(kFontDownload));
}

TEST_F(FontDownloadTest, ALinkThatStopsTakingBytesIsReportedAndTheButtonsComeBack) {
    chooseFont("Demo.ttf", 100);
    ports.serialLink.setWriteFails(true);
    shell.answerSaveFiles({std::nullopt});
    shell.answerQuestions({kIdYes});
    dlg->click(kFontDownload);
    EXPECT_EQ(lastText(), "Font download failed.");
    EXPECT_EQ(lastCaption(), "Error");
    EXPECT_FALSE(dlg->control(kFontProgress).visible);
    EXPECT_TRUE(enabled(kFontOpen));
    EXPECT_TRUE(enabled(kFontDownload));
    EXPECT_FALSE(handler.downloadCompleted());
}

// A download cut short after three pieces: closed with its brace when the window was closed
// meanwhile; when the link stops taking bytes, the printer must be switched off and on.
TEST_F(FontDownloadTest, AJobCutShortIsClosedOrThePrinterMustBeSwitchedOffAndOn) {
    chooseFont("Demo.ttf", 100);
    const std::string job = expectedJob(100, fonts::TargetMemory::Ram);
    for (const bool linkFails : {false, true}) {
        const size_t before = mark();
        int writes = 0;
        ports.serialLink.setResponder([&](ScriptedLink& link, std::span<const uint8_t>) {
            if (++writes == 3) linkFails ? link.setWriteFails(true) : requestInterrupt(0);
        });
        shell.answerSaveFiles({std::nullopt});
        shell.answerQuestions({kIdYes});
        dlg->click(kFontDownload);
        clearInterrupt();
        const std::string sent = sentFrom(before);
        EXPECT_EQ(lastText(), linkFails ? "Font download failed.\nThe printer is still inside the "
                                          "unfinished font job: switch it off and on."
                                        : "Font download failed.");
        EXPECT_EQ(sent, linkFails ? job.substr(0, sent.size())
                                  : job.substr(0, sent.size() - 3) + "\r\n}");
        EXPECT_LT(sent.size(), job.size());
        ports.serialLink.setWriteFails(false);
    }
}

}  // namespace
}  // namespace setrion::test
