// The Wi-Fi dialog on an INI file on disk: what it shows from the file and what closing writes.
#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"
#include "tests/ui/wifi/wifi_dialog_fixture.h"
#include "ui/wifi/wifi_ini_file.h"

namespace setrion::test {
namespace {

constexpr const char* kFile =
    "; site profile\r\n"
    "[Site]\r\nName=Depot 4\r\n\r\n"
    "[WiFiInfo]\r\n"
    "Version=02\r\nMacAddress=0011aabbccdd\r\nSSID=Depot\r\nIP=10.0.0\r\nCHANNEL=6\r\n"
    "ENCRYPTION=0\r\nWPA=0\r\nWPAENC=0\r\nTCPPORT=9100\r\nNote=kept\r\n";

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WifiIniFileTest : WifiDialogFixture {
    TempDir dir{"wifi-ini-dlg"};
    std::unique_ptr<WifiIniFileAccess> file;
    void makeOnFile() {
        file = std::make_unique<WifiIniFileAccess>(dir.write("Tessun_WIFI.ini", kFile));
        WifiDialogServices s;
        s.ports = &ports;
        s.env = noEnv;
        s.ini = file.get();
        dlg = std::make_unique<CWiFiSettings>(shell, std::move(s));
        dlg->init();
    }
};

TEST_F(WifiIniFileTest, ShowsTheFilesValuesAndWritesThemBackInPlace) {
    makeOnFile();
    EXPECT_EQ(dlg->moduleKind(), wifi::ModuleKind::SettingsBlock);
    EXPECT_EQ(c(kMacAddress).text, "00:11:AA:BB:CC:DD");
    EXPECT_EQ(c(kTcpPort).text, "9100");
    EXPECT_FALSE(c(kIp).hasAddress);  // IP=10.0.0 ignored: the control is empty
    dlg->editText(kSsid, "Shop");
    dlg.reset();
    // Only the edited key changes; every other byte of the file is kept.
    std::string expected = kFile;
    expected.replace(expected.find("SSID=Depot"), 10, "SSID=Shop");
    EXPECT_EQ(slurp(file->path()), expected);
}

TEST_F(WifiIniFileTest, AFileDeletedWhileTheDialogIsOpenIsNotWritten) {
    makeOnFile();
    std::filesystem::remove(file->path());
    dlg.reset();
    EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace setrion::test
