// The font dialogs and the file choosers in the desktop host, and a whole font download
// from the main window to the simulated printer.
#include <openssl/sha.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/hex.h"
#include "gui/qt/demo_simulator.h"
#include "gui/qt/dialog_view.h"
#include "gui/main_session.h"
#include "gui/qt/qt_shell.h"
#include "link/spooler.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "tests/support/temp_dir.h"
#include "ui/fonts/font_dialog_ids.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/main_dialog_ids.h"
#include "tests/support/font_bytes.h"

namespace setrion::gui {
namespace {

using namespace ui::font_dlg;
using setrion::test::TempDir;

QStringList listItems(QListWidget* lw) {
    QStringList out;
    for (int i = 0; i < lw->count(); ++i) out << lw->item(i)->text();
    return out;
}

DialogView* asView(QWidget* w) { return qobject_cast<DialogView*>(w); }

// Accepts a file dialog on `path` (a folder for a folder chooser, a file name otherwise).
void acceptFileDialog(QWidget* w, const QString& path, QString* title = nullptr,
                      QStringList* filters = nullptr) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr);
    if (title) *title = fd->windowTitle();
    if (filters) *filters = fd->nameFilters();
    if (fd->fileMode() == QFileDialog::Directory) {
        fd->setDirectory(path);
    } else {
        const QFileInfo info(path);
        fd->setDirectory(info.absolutePath());
        // selectFile() leaves a focused name entry alone: type into it as a user would.
        auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(info.fileName());
    }
    static_cast<QDialog*>(fd)->accept();  // QFileDialog::accept checks the selection
}

class FontWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }
    QtShell shell;
    TempDir fonts{"guifonts"};
    TempDir other{"guifonts-other"};
};

TEST_F(FontWindowsTest, SelectionDialogListsFontsAndChangesFolderThroughTheChooser) {
    fonts.write("Demo.ttf", "d");
    fonts.write("Sans.TTF", "s");
    other.write("Mono.ttf", "m");
    ui::CFontSelectDlg dlg(shell, [this] { return fonts.path().string(); });
    QString chooserTitle;
    QStringList firstList;
    QStringList secondList;
    QString folderShown;
    bool selectEnabledAtStart = true;
    test::ModalSequence seq({
        [&](QWidget* w) {
            DialogView* v = asView(w);
            ASSERT_NE(v, nullptr);
            auto* list = qobject_cast<QListWidget*>(v->widget(kFontList));
            ASSERT_NE(list, nullptr);
            firstList = listItems(list);
            selectEnabledAtStart = v->widget(ui::kIdOk)->isEnabled();
            test::saveScreenshot(v->grab().toImage(), "font_selection");
            QTest::mouseClick(v->widget(kFontOpenFolder), Qt::LeftButton);  // the chooser runs here
            secondList = listItems(list);
            folderShown = qobject_cast<QLineEdit*>(v->widget(kFontFolder))->text();
            list->setCurrentRow(0);
            QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
        },
        [&](QWidget* w) { acceptFileDialog(w, other.path().string().c_str(), &chooserTitle); },
    });
    EXPECT_EQ(shell.runModal(dlg), ui::kIdOk);
    EXPECT_TRUE(seq.finished());
    EXPECT_EQ(firstList, QStringList({"Demo.ttf", "Sans.TTF"}));
    EXPECT_FALSE(selectEnabledAtStart);
    EXPECT_EQ(chooserTitle, QString("Choose a folder containing TTF fonts"));
    EXPECT_EQ(secondList, QStringList({"Mono.ttf"}));
    EXPECT_EQ(folderShown, QString::fromStdString(other.folder()));
    EXPECT_EQ(dlg.folder(), other.folder());
    EXPECT_EQ(dlg.fileName(), "Mono.ttf");
}

TEST_F(FontWindowsTest, IdDialogShowsItsListAndMemory) {
    ui::CFontIdDlg dlg(shell);
    QString current;
    int count = 0;
    bool ramChecked = false;
    test::ModalSequence seq({[&](QWidget* w) {
        DialogView* v = asView(w);
        ASSERT_NE(v, nullptr);
        auto* ids = qobject_cast<QComboBox*>(v->widget(kFontIdList));
        current = ids->currentText();
        count = ids->count();
        ramChecked = qobject_cast<QRadioButton*>(v->widget(kFontRam))->isChecked();
        test::saveScreenshot(v->grab().toImage(), "font_id");
        QTest::mouseClick(v->widget(kFontFlash), Qt::LeftButton);
        QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
    }});
    EXPECT_EQ(shell.runModal(dlg), ui::kIdOk);
    EXPECT_EQ(current, QString("100"));
    EXPECT_EQ(count, 400);
    EXPECT_TRUE(ramChecked);
    EXPECT_EQ(dlg.targetMemory(), fonts::TargetMemory::Flash);
}

TEST_F(FontWindowsTest, SaveChooserOffersTheFontFileFilterAndCancelGivesNothing) {
    QStringList filters;
    test::ModalSequence seq({
        [&](QWidget* w) { acceptFileDialog(w, QString::fromStdString((fonts.path() / "kept").string()), nullptr, &filters); },
        [&](QWidget* w) { qobject_cast<QFileDialog*>(w)->reject(); },
    });
    const ui::SaveFileRequest req{"Font File(*.tfd)", "*.tfd;*.doc", fonts.folder(), ""};
    EXPECT_EQ(shell.chooseSaveFile(req), (fonts.path() / "kept").string());
    EXPECT_EQ(filters, QStringList({"Font File (*.tfd *.doc)"}));
    EXPECT_EQ(shell.chooseSaveFile(req), std::nullopt);
    EXPECT_EQ(qtNameFilter("Font File(*.tfd)", "*.tfd;*.doc"), QString("Font File (*.tfd *.doc)"));
}

std::string sha256Hex(const std::string& bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    return toHex(digest);
}

TEST_F(FontWindowsTest, DownloadFromTheMainWindowReachesTheSimulatedPrinter) {
    std::string font = setrion::test::trueTypeBytes(3000);
    for (size_t i = 28; i < font.size(); ++i) font[i] = static_cast<char>(i * 7 + 3);
    fonts.write("Demo.ttf", font);
    DemoSimulator sim;
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--emulation", "escpos"}), QString());
    MainSession session(shell, {{"COM1", sim.linkPath().toStdString()}}, std::make_unique<NullSpooler>());
    std::unique_ptr<DialogView> view = shell.open(session.dialog());
    auto click = [&](int id) {
        ASSERT_TRUE(view->widget(id)->isEnabled()) << id;
        QTest::mouseClick(view->widget(id), Qt::LeftButton);
    };
    click(ui::main_dlg::kOpenPort);
    ASSERT_TRUE(view->widget(ui::main_dlg::kFontOpen)->isEnabled());

    test::ModalSequence open({
        [&](QWidget* w) {
            DialogView* v = asView(w);
            ASSERT_NE(v, nullptr);
            QTest::mouseClick(v->widget(kFontOpenFolder), Qt::LeftButton);
            qobject_cast<QListWidget*>(v->widget(kFontList))->setCurrentRow(0);
            QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
        },
        [&](QWidget* w) { acceptFileDialog(w, fonts.path().string().c_str()); },
        [&](QWidget* w) {
            DialogView* v = asView(w);
            ASSERT_NE(v, nullptr);
            QTest::mouseClick(v->widget(kFontFlash), Qt::LeftButton);
            QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
        },
    }, view.get());
    click(ui::main_dlg::kFontOpen);
    ASSERT_TRUE(open.finished());
    ASSERT_TRUE(view->widget(ui::main_dlg::kFontDownload)->isEnabled());

    QString question;
    QString info;
    bool barShownAtQuestionTime = true;
    test::ModalSequence download({
        [&](QWidget* w) { acceptFileDialog(w, QString::fromStdString((other.path() / "kept").string())); },
        [&](QWidget* w) {
            question = test::readBox(w).text;
            barShownAtQuestionTime = view->widget(ui::main_dlg::kFontProgress)->isVisible();
            qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
        },
        [&](QWidget* w) {
            DialogView* v = asView(w);
            ASSERT_NE(v, nullptr);
            info = qobject_cast<QLabel*>(v->widget(1136))->text();
            test::saveScreenshot(view->grab().toImage(), "main_dialog_font_downloaded");
            QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
        },
    }, view.get(), 60000);
    click(ui::main_dlg::kFontDownload);
    ASSERT_TRUE(download.finished()) << download.done();
    EXPECT_EQ(question, QString("Download font to printer ?"));
    EXPECT_FALSE(barShownAtQuestionTime);
    EXPECT_EQ(info, QString("Font download is success."));
    EXPECT_FALSE(view->widget(ui::main_dlg::kFontProgress)->isVisible());
    EXPECT_TRUE(view->widget(ui::main_dlg::kFontOpen)->isEnabled());
    EXPECT_FALSE(view->widget(ui::main_dlg::kFontDownload)->isEnabled());
    EXPECT_EQ(other.entries(), (std::vector<std::string>{"kept.tfd"}));

    // The simulator writes its state shortly after the job ends.
    nlohmann::json stored;
    for (int i = 0; i < 200 && stored.empty(); ++i) {
        QTest::qWait(20);
        std::ifstream in(sim.statePath().toStdString());
        nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
        if (!j.is_discarded() && j.contains("fonts")) stored = j["fonts"]["stored"];
    }
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]["id"], 100);
    EXPECT_EQ(stored[0]["memory"], "flash");
    EXPECT_EQ(stored[0]["size"], 3000);
    std::string want = sha256Hex(font);
    std::string got = stored[0]["sha256"];
    for (auto& c : want) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (auto& c : got) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(got, want);
    click(ui::main_dlg::kClosePort);
}

}  // namespace
}  // namespace setrion::gui
