#pragma once
#include <filesystem>
#include <string>
#include <utility>

#include "common/trace.h"
#include "common/utf8_path.h"
#include "ui/wifi/wifi_ini_access.h"
#include "wifi/settings/wifi_ini.h"

namespace setrion::ui {

// The Wi-Fi dialog's INI file on disk (by default ./Tessun_WIFI.ini): read by the INI file's
// rules, changed key by key in place and replaced atomically, never created.
class WifiIniFileAccess final : public WifiIniAccess {
  public:
    explicit WifiIniFileAccess(std::filesystem::path path = wifi::defaultWifiIniPath())
        : m_file(std::move(path)) {}
    const std::filesystem::path& path() const { return m_file.path(); }

    bool exists() const override { return m_file.exists(); }
    bool load(wifi::WifiSettings& record, std::vector<wifi::WifiIniRefusal>& refused) override {
        return m_file.load(record, &refused);
    }
    bool write(const KeyValues& values, std::string& error) override {
        const bool ok = m_file.write(values, &error);
        if (!ok && error.empty()) error = "the file no longer exists";
        if (!ok) trace("Wi-Fi INI file: " + error);
        return ok;
    }
    std::string name() const override { return pathToUtf8(m_file.path()); }

  private:
    wifi::WifiIniFile m_file;
};

}  // namespace setrion::ui
