#pragma once
#include <string>

#include "ui/kit/dialog.h"

namespace setrion::ui {

namespace enterprise_dlg {
inline constexpr int kAccept = kIdOk;
inline constexpr int kCancel = kIdCancel;
inline constexpr int kMethod = 1200;
inline constexpr int kWpaType = 1201;
inline constexpr int kEapId = 1202;
inline constexpr int kEapPassword = 1203;
inline constexpr int kLeapAuthentication = 1204;
inline constexpr int kCaCertFile = 1205;
inline constexpr int kClientCertFile = 1206;
inline constexpr int kPrivateKeyFile = 1207;
inline constexpr int kProvisioning = 1208;
inline constexpr int kMaxServers = 1209;
// Labels: kLabelBase + the row (0 method, 1 WPA type, ... 9 maximum servers).
inline constexpr int kLabelBase = 3100;
}  // namespace enterprise_dlg

// The enterprise (EAP) values the dialog edits; codes as in the settings record.
struct EnterpriseValues {
    int eapType = 0;         // 0 none, 1 PEAP, 2 TLS, 3 TTLS, 4 LEAP, 5 FAST
    int encryption = 0;      // 3 "WPA", 4 "802.1x"
    int wpaType = 0;         // 0 none, 1 WPA-PSK, 2 WPA2-PSK, 3 WPA-ENT, 4 WPA2-ENT
    int wpaCipher = 0;       // 0 TKIP, 1 AES
    int authentication = 0;  // used by WEP-LEAP
    std::string eapId, eapPassword, caCertFile, clientCertFile, privateKeyFile;
    int provisioning = 0;  // 0 Unauthenticated, 1 Authenticated, 2 Either
    int maxServers = 1;    // 1..255
};

// The "Enterprise  Settings" dialog: the EAP method with the WPA type it implies, identity,
// password, certificate files and EAP-FAST options. It works on values only; the Wi-Fi
// dialog hands them in before it opens and takes them back after "Accept".
class EnterpriseDlg final : public Dialog {
public:
    static constexpr int kTemplateId = 163;
    // The method list's entries.
    enum Method { None, Peap, Tls, Ttls, WepLeap, WpaLeap, WpaFast, Wpa2Fast };

    explicit EnterpriseDlg(Shell& shell);

    EnterpriseValues& values() { return m_values; }
    const EnterpriseValues& values() const { return m_values; }

protected:
    void onInit() override;
    void onSelectionChanged(int id) override;
    bool onClosing(int result) override;

private:
    void methodChanged();
    EnterpriseValues m_values;
};

}  // namespace setrion::ui
