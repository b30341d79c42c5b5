#include "ui/wifi/enterprise_dlg.h"

#include <cstdio>
#include <vector>

namespace setrion::ui {

using namespace enterprise_dlg;

namespace {

// One row of the method table: what the entry implies and which rows it shows.
struct MethodRow {
    int wpaTypeShown;  // position in the WPA Type list
    int eapType, encryption, wpaType, cipher;
    bool caCert, clientCert, privateKey, leapAuthentication, fast;
    std::size_t idLimit;  // EAP ID and password limit; 0: the control's default
};

constexpr MethodRow kMethods[] = {
    {0, 0, 3, 1, 0, false, false, false, false, false, 0},   // None
    {4, 1, 4, 4, 1, true, false, false, false, false, 64},   // PEAP
    {4, 2, 4, 4, 1, true, true, true, false, false, 64},     // TLS
    {4, 3, 4, 4, 1, true, false, false, false, false, 64},   // TTLS
    {0, 4, 4, 1, 1, false, false, false, true, false, 32},   // WEP-LEAP
    {3, 4, 3, 3, 1, false, false, false, false, false, 32},  // WPA-LEAP
    {3, 5, 4, 3, 1, true, false, false, false, true, 64},    // WPA-FAST
    {4, 5, 4, 4, 1, true, false, false, false, true, 64},    // WPA2-FAST
};

constexpr std::size_t kTextLimit = 64;

}  // namespace

EnterpriseDlg::EnterpriseDlg(Shell& shell)
    : Dialog(shell, kTemplateId, "Enterprise  Settings", 280, 196) {
    const char* labels[] = {"Enterprise Security : ",
                            "WPA Type : ",
                            "EAP ID : ",
                            "EAP PASSWORD : ",
                            "Wi-Fi Authentication for WEP-LEAP : ",
                            "CA Certificate File Name : ",
                            "Client Certificate File Name : ",
                            "Private Key File Name : ",
                            "EAP-FAST Provisioning Type : ",
                            "Maximum of EAP-FAST Servers : "};
    const int ids[] = {
        kMethod,     kWpaType,        kEapId,          kEapPassword,  kLeapAuthentication,
        kCaCertFile, kClientCertFile, kPrivateKeyFile, kProvisioning, kMaxServers};
    for (int row = 0; row < 10; ++row) {
        const int y = 8 + row * 15;
        add(kLabelBase + row, ControlKind::Static, labels[row], {8, y + 2, 130, 10});
        const bool edit = ids[row] == kEapId || ids[row] == kEapPassword ||
                          ids[row] == kCaCertFile || ids[row] == kClientCertFile ||
                          ids[row] == kPrivateKeyFile;
        add(ids[row], edit ? ControlKind::Edit : ControlKind::DropList, "",
            {140, y, 132, edit ? 12 : 100});
    }
    control(kWpaType).enabled = false;
    Control& accept = add(kAccept, ControlKind::IconButton, "Accept", {60, 160, 76, 28});
    accept.iconNumber = 145;
    accept.isDefault = true;
    add(kCancel, ControlKind::IconButton, "Cancel", {144, 160, 76, 28}).iconNumber = 132;
}

void EnterpriseDlg::onInit() {
    EnterpriseValues& v = m_values;
    // Every opening starts from the values alone: no row hidden, limit or enabling of an
    // earlier opening carries over.
    for (int row = 0; row < 10; ++row) show(kLabelBase + row, true);
    for (int id : {kMethod, kWpaType, kEapId, kEapPassword, kLeapAuthentication, kCaCertFile,
                   kClientCertFile, kPrivateKeyFile, kProvisioning, kMaxServers})
        show(id, true);
    for (int id : {kEapId, kEapPassword}) {
        control(id).textLimit = 0;
        enable(id, true);
    }
    control(kWpaType).setItems({"None", "WPA-PSK", "WPA2-PSK", "WPA-ENT", "WPA2-ENT"}, v.wpaType);
    control(kLeapAuthentication)
        .setItems({"None", "Open System", "Shared Key", "Both"}, v.authentication);

    int method = -1;
    if (v.eapType >= 0 && v.eapType <= 3) method = v.eapType;
    if (v.eapType == 4) method = v.encryption == 3 ? WpaLeap : v.encryption == 4 ? WepLeap : -1;
    if (v.eapType == 5) method = v.wpaType == 3 ? WpaFast : v.wpaType == 4 ? Wpa2Fast : -1;
    control(kMethod).setItems(
        {"None", "PEAP", "TLS", "TTLS", "WEP-LEAP", "WPA-LEAP", "WPA-FAST", "WPA2-FAST"}, method);

    control(kProvisioning)
        .setItems({"Unauthenticated", "Authenticated", "Either"},
                  v.provisioning >= 0 && v.provisioning <= 2 ? v.provisioning : 0);
    std::vector<std::string> servers;
    for (int i = 1; i <= 255; ++i) {
        char t[8];
        std::snprintf(t, sizeof t, "%03d", i);
        servers.emplace_back(t);
    }
    control(kMaxServers).setItems(std::move(servers), v.maxServers < 2 ? 0 : v.maxServers - 1);

    // The texts are whole (spaces inside kept): the record's text rule has read them.
    control(kEapId).text = v.eapId;
    control(kEapPassword).text = v.eapPassword;
    control(kCaCertFile).text = v.caCertFile;
    control(kClientCertFile).text = v.clientCertFile;
    control(kPrivateKeyFile).text = v.privateKeyFile;
    methodChanged();
}

void EnterpriseDlg::methodChanged() {
    const int method = control(kMethod).selection;
    if (method < 0) {
        enable({kEapId, kEapPassword}, false);
        return;
    }
    const MethodRow& m = kMethods[method];
    EnterpriseValues& v = m_values;
    control(kWpaType).selection = m.wpaTypeShown;
    v.eapType = m.eapType;
    v.encryption = m.encryption;
    v.wpaType = m.wpaType;
    v.wpaCipher = m.cipher;
    auto row = [this](int id, int labelRow, bool on) {
        show(id, on);
        show(kLabelBase + labelRow, on);
    };
    row(kLeapAuthentication, 4, m.leapAuthentication);
    row(kCaCertFile, 5, m.caCert);
    row(kClientCertFile, 6, m.clientCert);
    row(kPrivateKeyFile, 7, m.privateKey);
    row(kProvisioning, 8, m.fast);
    row(kMaxServers, 9, m.fast);
    for (int id : {kEapId, kEapPassword}) control(id).textLimit = m.idLimit;
    if (method == None) {
        control(kEapId).text.clear();
        control(kEapPassword).text.clear();
        enable({kEapId, kEapPassword}, false);
        return;
    }
    enable({kEapId, kEapPassword}, true);
    if (method == WepLeap) {
        const int auth = control(kLeapAuthentication).selection;
        if (auth >= 0) v.authentication = auth;
        control(kLeapAuthentication).selection = v.authentication;
    }
    if (method == WepLeap || method == WpaLeap) {
        for (int id : {kEapId, kEapPassword}) {
            std::string& t = control(id).text;
            if (t.size() > 32) t.resize(32);
        }
    }
}

void EnterpriseDlg::onSelectionChanged(int id) {
    const int pos = control(id).selection;
    switch (id) {
        case kMethod:
            methodChanged();
            break;
        case kLeapAuthentication:
            m_values.authentication = pos;
            break;
        case kProvisioning:
            m_values.provisioning = pos;
            break;
        case kMaxServers:
            m_values.maxServers = pos + 1;
            break;
        default:
            break;
    }
}

bool EnterpriseDlg::onClosing(int result) {
    if (result != kAccept) return true;  // Cancel changes nothing
    for (int id : {kEapId, kEapPassword, kCaCertFile, kClientCertFile, kPrivateKeyFile}) {
        if (control(id).text.size() > kTextLimit) {
            shell().message("Please enter no more than 64 characters.");
            return false;
        }
    }
    m_values.eapId = control(kEapId).text;
    m_values.eapPassword = control(kEapPassword).text;
    m_values.caCertFile = control(kCaCertFile).text;
    m_values.clientCertFile = control(kClientCertFile).text;
    m_values.privateKeyFile = control(kPrivateKeyFile).text;
    return true;
}

}  // namespace setrion::ui
