// The font selection and font ID dialogs as models: folders, lists and their rules.
#include <gtest/gtest.h>

#include <fstream>

#include "common/utf8_path.h"
#include "fonts/font_file.h"
#include "tests/support/temp_dir.h"
#include "ui/fonts/font_dialog_ids.h"
#include "ui/fonts/font_folders.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/kit/testing/scripted_shell.h"

namespace setrion::test {
namespace {

using namespace setrion::ui::font_dlg;

using namespace setrion::ui;
using setrion::ui::testing::ScriptedShell;
using Items = std::vector<std::string>;

TEST(FontFolders, TrailingSeparatorAndFirstExistingFolder) {
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(withTrailingSeparator("/a/b"), "/a/b/");
    EXPECT_EQ(withTrailingSeparator("/a/b/"), "/a/b/");
    const std::string native(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(withTrailingSeparator("C:" + native + "Fonts"), "C:" + native + "Fonts" + native);
    EXPECT_EQ(withTrailingSeparator("C:" + native + "Fonts" + native), "C:" + native + "Fonts" + native);
    TempDir dir("fontfolders");
    const std::string real = dir.path().string();
    EXPECT_EQ(firstExistingFolder({"/no/such/folder/", real}, "/home/x"), real + "/");
    EXPECT_EQ(firstExistingFolder({"/no/such/folder/"}, "/home/x"), "/home/x/");
}

TEST(FontFolders, ListsTrueTypeFilesOfAnyCaseSortedLikeASortedListBox) {
    TempDir dir("fontlist");
    for (const char* name : {"zeta.ttf", "Alpha.TTF", "beta.Ttf", "gamma.otf", "notes.txt", ".ttf",
                             "b.ttf.bak"})
        dir.write(name, "x");
    std::filesystem::create_directories(dir.path() / "folder.ttf");  // a folder is no font
    EXPECT_EQ(trueTypeFilesIn(dir.path()), (Items{"Alpha.TTF", "beta.Ttf", "zeta.ttf"}));
    EXPECT_TRUE(trueTypeFilesIn(dir.path() / "missing").empty());
}

// Folder and file names are UTF-8 text on every platform: the folder the chooser gives lists
// its fonts, and the file it names is read, whatever the system's narrow encoding.
TEST(FontFolders, NamesOutsideAsciiAreListedAndRead) {
    TempDir dir("fontutf8");
    const std::string folder = setrion::pathToUtf8(dir.path()) + "/Polices \xC3\xA9 \xE6\xB8\xAC";
    std::filesystem::create_directories(setrion::pathFromUtf8(folder));
    const std::string font = "Webdings \xC3\xA9.ttf";
    std::ofstream(setrion::pathFromUtf8(folder + "/" + font), std::ios::binary) << "ttf";
    EXPECT_EQ(trueTypeFilesIn(setrion::pathFromUtf8(withTrailingSeparator(folder))), (Items{font}));
    const setrion::fonts::FileBytes read = setrion::fonts::readWholeFile(setrion::pathFromUtf8(folder + "/" + font));
    EXPECT_EQ(read.error, setrion::fonts::FileError::None);
    EXPECT_EQ(read.bytes.size(), 3u);
    EXPECT_EQ(setrion::pathToUtf8(setrion::pathFromUtf8(folder)), folder);
}

// Debian's /usr/share/fonts holds only subfolders: its fonts are listed by their path below it,
// and the first folder shown is the first candidate that has fonts at all.
TEST(FontFolders, FontTreeIsListedByRelativePathFromTheFirstFolderWithFonts) {
    TempDir root("fonttree");
    std::filesystem::create_directories(root.path() / "user");  // exists, no fonts
    root.write("system/truetype/dejavu/DejaVuSans.ttf", "d");
    root.write("system/truetype/dejavu/DejaVuSans.otf", "o");
    root.write("system/truetype/noto/NotoSans-Regular.TTF", "n");
    root.write("system/Top.ttf", "t");
    const std::string r = root.path().string();
    EXPECT_EQ(firstFolderWithFonts({r + "/missing", r + "/user", r + "/system"}, "/home/x"),
              r + "/system/");
    EXPECT_EQ(firstFolderWithFonts({r + "/missing", r + "/user"}, "/home/x"), r + "/user/");
    EXPECT_EQ(trueTypeFilesIn(root.path() / "system"),
              (Items{"Top.ttf", "truetype/dejavu/DejaVuSans.ttf", "truetype/noto/NotoSans-Regular.TTF"}));

    // The user's folders come first, then the system's, each once.
    EXPECT_EQ(fontFolderCandidates({"/usr/share/fonts", "/usr/local/share/fonts", "/home/u/.fonts",
                                    "/home/u/.local/share/fonts/"},
                                   "/home/u"),
              (Items{"/home/u/.fonts/", "/home/u/.local/share/fonts/", "/usr/share/fonts/",
                     "/usr/local/share/fonts/"}));
}

struct FontSelectTest : ::testing::Test {
    ScriptedShell shell;
    TempDir fonts{"fontsel"};
    TempDir empty{"fontsel-empty"};
    CFontSelectDlg dlg{shell, [this] { return fonts.path().string(); }};

    void SetUp() override {
        fonts.write("Demo.ttf", "d");
        fonts.write("Other.ttf", "o");
    }
    const Control& c(int id) const { return dlg.control(id); }
};

TEST_F(FontSelectTest, OpensAtTheInitialFolderWithItsFontsAndSelectDisabled) {
    dlg.init();
    EXPECT_EQ(dlg.title(), "Download Font Selection Dialog");
    EXPECT_EQ(dlg.widthDu(), 258);
    EXPECT_EQ(dlg.heightDu(), 135);
    EXPECT_EQ(c(kFontFolderLabel).text, "Directory for True-Type Font :  ");
    EXPECT_EQ(c(kFontOpenFolder).text, "Open Folder...");
    EXPECT_EQ(c(kFontOpenFolder).iconNumber, 155);
    EXPECT_EQ(c(kIdOk).text, "&Select");
    EXPECT_EQ(c(kIdOk).iconNumber, 145);
    EXPECT_TRUE(c(kIdOk).isDefault);
    EXPECT_EQ(c(kIdCancel).text, "&Cancel");
    EXPECT_EQ(c(kIdCancel).iconNumber, 132);
    EXPECT_EQ(c(kFontFolder).text, fonts.folder());
    EXPECT_TRUE(c(kFontFolder).readOnly);
    EXPECT_EQ(c(kFontList).items, (Items{"Demo.ttf", "Other.ttf"}));
    EXPECT_FALSE(c(kIdOk).enabled);

    dlg.select(kFontList, 1);
    EXPECT_TRUE(c(kIdOk).enabled);
    dlg.click(kIdOk);
    EXPECT_TRUE(dlg.ended());
    EXPECT_EQ(dlg.result(), kIdOk);
    EXPECT_EQ(dlg.fileName(), "Other.ttf");
    EXPECT_EQ(dlg.folder(), fonts.folder());
}

TEST_F(FontSelectTest, OpenFolderAsksWithTheTitleAndRefillsTheList) {
    dlg.init();
    shell.answerFolders({empty.path().string()});
    dlg.click(kFontOpenFolder);
    ASSERT_EQ(shell.folderRequests().size(), 1u);
    EXPECT_EQ(shell.folderRequests()[0].title, "Choose a folder containing TTF fonts");
    EXPECT_EQ(shell.folderRequests()[0].startFolder, fonts.folder());
    EXPECT_EQ(c(kFontFolder).text, empty.folder());
    EXPECT_TRUE(c(kFontList).items.empty());
    EXPECT_FALSE(c(kIdOk).enabled);

    // A root path already ends in its separator: it keeps just the one.
    shell.answerFolders({"/"});
    dlg.click(kFontOpenFolder);
    EXPECT_EQ(dlg.folder(), "/");
    EXPECT_EQ(c(kFontFolder).text, "/");

    // A folder given with its separator keeps one; a cancelled chooser keeps the folder.
    shell.answerFolders({fonts.folder(), std::nullopt});
    dlg.click(kFontOpenFolder);
    EXPECT_EQ(dlg.folder(), fonts.folder());
    dlg.click(kFontOpenFolder);
    EXPECT_EQ(dlg.folder(), fonts.folder());
    EXPECT_EQ(c(kFontList).items.size(), 2u);
}

TEST_F(FontSelectTest, SelectWithNothingSelectedAsksAndStays) {
    dlg.init();
    dlg.select(kFontList, 0);
    // Refilling the list drops its selection but leaves Select as it was.
    shell.answerFolders({std::nullopt});
    dlg.click(kFontOpenFolder);
    ASSERT_TRUE(c(kIdOk).enabled);
    ASSERT_EQ(c(kFontList).selection, -1);
    dlg.click(kIdOk);
    ASSERT_NE(shell.lastMessage(), nullptr);
    EXPECT_EQ(shell.lastMessage()->text, "Select font ?");
    EXPECT_EQ(shell.lastMessage()->caption, "");
    EXPECT_FALSE(dlg.ended());
    EXPECT_EQ(dlg.fileName(), "");
}

TEST_F(FontSelectTest, EveryOpeningStartsAgainAtTheInitialFolder) {
    dlg.init();
    shell.answerFolders({empty.path().string()});
    dlg.click(kFontOpenFolder);
    dlg.requestClose(kIdCancel);
    dlg.init();
    EXPECT_EQ(dlg.folder(), fonts.folder());
    EXPECT_EQ(c(kFontList).items.size(), 2u);
    EXPECT_FALSE(c(kIdOk).enabled);
}

struct FontIdTest : ::testing::Test {
    ScriptedShell shell;
    CFontIdDlg dlg{shell};
    const Control& c(int id) const { return dlg.control(id); }
};

TEST_F(FontIdTest, ControlsListAndFirstOpening) {
    dlg.init();
    EXPECT_EQ(dlg.title(), "Download Font ID Setting");
    EXPECT_EQ(dlg.widthDu(), 176);
    EXPECT_EQ(dlg.heightDu(), 90);
    EXPECT_EQ(c(kFontIdGroup).text, "MPCL Font ID");
    EXPECT_EQ(c(kFontMemoryGroup).text, "Target Memory");
    EXPECT_EQ(c(kFontIdGroup).colour, 0xE78C10u);
    EXPECT_EQ(c(kFontMemoryGroup).colour, 0xE78C10u);
    EXPECT_EQ(c(kFontRam).text, "  RAM");
    EXPECT_EQ(c(kFontFlash).text, "  Flash");
    EXPECT_EQ(c(kIdOk).text, "OK");
    EXPECT_EQ(c(kIdOk).iconNumber, 145);
    const Items& ids = c(kFontIdList).items;
    ASSERT_EQ(ids.size(), 400u);
    EXPECT_EQ(ids.front(), "100");
    EXPECT_EQ(ids[156], "256");
    EXPECT_EQ(ids.back(), "499");
    EXPECT_EQ(c(kFontIdList).selectedText(), "100");
    EXPECT_TRUE(c(kFontRam).checked);
    EXPECT_FALSE(c(kFontFlash).checked);
    dlg.click(kIdOk);
    EXPECT_EQ(dlg.result(), kIdOk);
    EXPECT_EQ(dlg.fontId(), 100);
    EXPECT_EQ(dlg.targetMemory(), fonts::TargetMemory::Ram);
}

TEST_F(FontIdTest, FlashIsRememberedWhileTheListReturnsTo100) {
    dlg.init();
    dlg.select(kFontIdList, 399);
    dlg.click(kFontFlash);
    EXPECT_TRUE(c(kFontFlash).checked);
    EXPECT_FALSE(c(kFontRam).checked);
    dlg.click(kIdOk);
    EXPECT_EQ(dlg.fontId(), 499);
    EXPECT_EQ(dlg.targetMemory(), fonts::TargetMemory::Flash);

    dlg.setRemember(true);
    dlg.init();
    EXPECT_TRUE(c(kFontFlash).checked);
    EXPECT_FALSE(c(kFontRam).checked);
    EXPECT_EQ(c(kFontIdList).selectedText(), "100");
    dlg.click(kIdOk);
    EXPECT_EQ(dlg.fontId(), 100);  // the list's position, not the last ID
    EXPECT_EQ(dlg.targetMemory(), fonts::TargetMemory::Flash);

    // Without the flag the memory starts at RAM again.
    dlg.setRemember(false);
    dlg.init();
    EXPECT_TRUE(c(kFontRam).checked);
    EXPECT_EQ(dlg.targetMemory(), fonts::TargetMemory::Ram);
}

}  // namespace
}  // namespace setrion::test
