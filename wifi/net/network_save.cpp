#include "wifi/net/network_save.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "common/atomic_file.h"
#include "common/trace.h"
#include "wifi/net/save_result.h"
#include "wifi/net/text_frame.h"
#include "wifi/net/write_checks.h"
#include "wifi/settings/key_rules.h"

namespace setrion::net {
namespace {

std::string dotted(const Ipv4Octets& o, const char* name) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s=%u.%u.%u.%u\n", name, o[0], o[1], o[2], o[3]);
    return buf;
}

void traceModuleSave(const DiscoveredPrinter& r) {
    static const char* kWep[] = {"WEP=None", "WEP=40bit", "WEP=104bit", "WEP=None"};
    static const char* kAuth[] = {"Authentication=None", "Authentication=open system",
                                  "Authentication=shared key", "Authentication=Both"};
    static const char* kWpa[] = {"WPA=None", "WPA=WPA", "WPA=WPA-PSK", "WPA=WPA2", "WPA=WPA2-PSK"};
    static const char* kCipher[] = {"cipher=None", "cipher=TKIP", "cipher=AES", "cipher=TKIP+AES"};
    uint32_t f = r.wifiFlags;
    trace(dotted(r.ipAddress, "IP"));
    trace(dotted(r.subnetMask, "Netmask"));
    trace(dotted(r.gateway, "Gateway"));
    trace(dotted(r.dnsServer, "DNS IP"));
    trace("SSID=" + r.ssidText());
    trace((f & 0xF) == 0 ? "cctype=adhoc" : "cctype=infrastructure");
    trace("Channel=" + std::to_string((f >> 4) & 0xF));
    trace(kWep[(f >> 8) & 3]);
    trace(kAuth[(f >> 14) & 3]);
    trace("Using Key=KEY ID " + std::to_string(((f >> 10) & 3) + 1));
    uint32_t wpa = (f >> 16) & 7;
    if (wpa <= 4) trace(kWpa[wpa]);
    trace(kCipher[(f >> 19) & 3]);
    for (int k = 0; k < 4; ++k)
        trace("KEY" + std::to_string(k + 1) + "(40-Bits)=" + traceSecret(r.wepKeyText(1, k)));
    for (int k = 0; k < 4; ++k)
        trace("KEY" + std::to_string(k + 1) + "(104-Bits)=" + traceSecret(r.wepKeyText(2, k)));
    trace("WPA KEY=" + traceSecret(r.wpaKeyText()));
}

// The WPA key an edit gives, by the key rule; an empty key is refused while WPA-PSK stays in
// place, since it would erase the printer's key. Returns the refusal naming the key, or "".
std::string wpaKeyRefusal(const NetworkEdit& e, bool wpaPsk, std::size_t fieldBytes) {
    if (!e.wpaKey || e.wpaKey->size() > fieldBytes) return {};  // the save's own length check
    if (e.wpaKey->empty())
        return wpaPsk ? "wpa_key: an empty key would erase the module's key; give wpa_key with "
                        "WPA security"
                      : "";
    if (auto what = wifi::wpaKeyFault(*e.wpaKey, fieldBytes)) return "wpa_key: expected " + *what;
    return {};
}

}  // namespace

std::string applyModuleEdit(DiscoveredPrinter& r, const NetworkEdit& e) {
    {
        const uint32_t f = r.wifiFlags;
        const uint32_t wep = (f >> 8) & 3;
        const bool wpaInPlace =
            e.encryption ? *e.encryption == 3 : (wep != 1 && wep != 2 && ((f >> 16) & 7));
        const int wpaAuth = e.wpaAuthentication.value_or(static_cast<int>((f >> 17) & 3));
        const std::size_t field = r.wpaPassphrase.size() + r.wpaPsk.size();
        if (auto refused = wpaKeyRefusal(e, wpaInPlace && wpaAuth != 0, field); !refused.empty())
            return refused;
    }
    // The dialog's IP control shows the address the module answered from.
    r.ipAddress = e.ip ? hostToOctets(*e.ip) : r.replyAddress;
    if (e.netmask) r.subnetMask = hostToOctets(*e.netmask);
    if (e.gateway) r.gateway = hostToOctets(*e.gateway);
    if (e.dns) r.dnsServer = hostToOctets(*e.dns);
    if (e.ssid) {
        if (e.ssid->size() > 32) return "SSID Length is too long";
        r.setSsidText(*e.ssid);
    }
    if (e.tcpPort) r.ports[0].setLocalPort(*e.tcpPort);
    if (e.wpaKey && !r.setWpaKeyText(*e.wpaKey)) return "WPA Key Length is too long";

    uint32_t f = r.wifiFlags;
    int mode = e.mode.value_or(static_cast<int>(f & 0xF));
    int channelPos = e.channel ? *e.channel - 1 : static_cast<int>((f >> 4) & 0xF) - 1;
    uint32_t wepNow = (f >> 8) & 3, wpaNow = (f >> 16) & 7;
    int enc = e.encryption.value_or((wepNow == 1 || wepNow == 2) ? static_cast<int>(wepNow) : (wpaNow ? 3 : 0));
    int auth = e.authentication.value_or(static_cast<int>((f >> 14) & 3));
    int key = e.keyInUse ? *e.keyInUse - 1 : static_cast<int>((f >> 10) & 3);
    int wpaAuth = e.wpaAuthentication.value_or(static_cast<int>((f >> 17) & 3));
    int wpaEnc = e.wpaEncryption.value_or(static_cast<int>((f >> 19) & 3));
    uint32_t nf = f & ~((0xFu) | (0xFu << 4) | (3u << 8) | (3u << 10) | (3u << 14) | (0x1Fu << 16));
    nf |= static_cast<uint32_t>(mode) & 0xF;
    nf |= (static_cast<uint32_t>(channelPos + 1) & 0xF) << 4;
    if (enc != 3) nf |= (static_cast<uint32_t>(enc) & 3) << 8;
    nf |= (static_cast<uint32_t>(auth) & 3) << 14;
    nf |= (static_cast<uint32_t>(key) & 3) << 10;
    if (enc == 3) {
        nf |= (static_cast<uint32_t>(wpaAuth * 2) & 7) << 16;
        nf |= (static_cast<uint32_t>(wpaEnc) & 3) << 19;
    }
    r.wifiFlags = nf;
    if (e.dhcp) {
        if (*e.dhcp) r.optionFlags |= kOptionDhcpWrite;
        else r.optionFlags &= ~kOptionDhcpWrite;
    }
    return {};
}

ModuleSaveResult saveModule(ManagementContext& ctx, DiscoveredPrinter& record,
                            const NetworkEdit& edit, const std::array<uint8_t, 10>& password) {
    ModuleSaveResult out;
    DiscoveredPrinter r = record;
    if (std::string refused = applyModuleEdit(r, edit); !refused.empty()) {
        out.message = refused;
        return out;
    }
    if (!ipAddressUsable(octetsToHost(r.ipAddress), octetsToHost(r.subnetMask))) {
        out.message = "Wrong Local IP address.";
        return out;
    }
    traceModuleSave(r);
    out.code = writeModuleConfig(ctx, 0, r, password);
    if (out.code == kCodeSuccess || out.code == kCodePasswordMismatch ||
        out.code == kCodeProductIdMismatch || out.code == kCodeUnknownError)
        record = r;  // the module's answer
    out.message = out.code == kCodeSuccess ? kSaveCompleted : saveErrorMessage(out.code);
    return out;
}

std::string applyTextEdit(wifi::WifiSettings& r, const NetworkEdit& e) {
    namespace f = wifi::field;
    int enc = e.encryption.value_or(r.choice(f::kEncryption));
    if (enc == 3 && e.wpaKey && e.wpaKey->size() > 32) return "WPA Key Length is not long";
    const int wpa = e.wpaAuthentication.value_or(r.choice(f::kWpa));
    if (auto refused = wpaKeyRefusal(e, enc == 3 && (wpa == 1 || wpa == 2), f::kWpaKey.length);
        !refused.empty())
        return refused;
    if (e.ssid && !r.setText(f::kSsid, *e.ssid)) return "SSID Length is too long";
    if (e.dhcp) {
        r.setChoice(f::kDhcp, *e.dhcp ? 1 : 0);
        trace(*e.dhcp ? "DHCP YES" : "DHCP NO");
    }
    if (e.ip) r.setAddress(f::kIp, hostToOctets(*e.ip));
    if (e.netmask) r.setAddress(f::kSubnet, hostToOctets(*e.netmask));
    if (e.gateway) r.setAddress(f::kGateway, hostToOctets(*e.gateway));
    if (e.dns) r.setAddress(f::kDns, hostToOctets(*e.dns));
    if (e.mode) {
        r.setChoice(f::kMode, *e.mode);
        trace(*e.mode == 0 ? "*****Ad-hoc" : *e.mode == 1 ? "*****Infrastructure" : "Unknown Setting");
    }
    if (e.channel) {
        // A 5 GHz channel lives only in CHANNELTEXT, which a printer without 5 GHz lacks.
        if (*e.channel > 14 && !r.hasLpdSupport()) return "This printer has no 5 GHz channels";
        if (*e.channel <= 14) r.setChannel(*e.channel);
        if (r.hasLpdSupport()) {
            std::string text = std::to_string(*e.channel);
            text.resize(wifi::field::kChannelText.length, ' ');
            r.overwriteStart(wifi::field::kChannelText, text);
        }
    }
    if (e.encryption) r.setChoice(f::kEncryption, *e.encryption);
    if (e.authentication) r.setChoice(f::kAuthentication, *e.authentication);
    if (e.keyInUse) r.setChoice(f::kUseKey, *e.keyInUse);
    if (e.wpaAuthentication) r.setChoice(f::kWpa, *e.wpaAuthentication);
    if (e.wpaEncryption) r.setChoice(f::kWpaEnc, *e.wpaEncryption);
    if (e.wpaKey && !r.setText(f::kWpaKey, *e.wpaKey)) return "WPA Key Length is too long";
    if (e.tcpPort) r.setTcpPort(*e.tcpPort);
    // The module path's address rule holds for text printers too.
    if ((e.ip || e.netmask) &&
        !ipAddressUsable(octetsToHost(r.address(f::kIp)), octetsToHost(r.address(f::kSubnet))))
        return "Wrong Local IP address.";
    return {};
}

namespace {

class SaveWaiter final : public CUdpSockOwner {
public:
    void addTextPrinter(std::span<const uint8_t>) override {}
    void setSaveConfirmed(bool c) override { confirmed = c; }
    void showMessage(const std::string& text) override { failure = text; }
    bool confirmed = false;
    std::string failure;
};

}  // namespace

TextSaveResult saveTextRecord(const NetConfig& config, Clock& clock, const wifi::WifiSettings& source,
                              const NetworkEdit& edit, const std::filesystem::path& resultFile,
                              const SocketOpener& opener) {
    TextSaveResult out;
    wifi::WifiSettings record = source;
    if (std::string refused = applyTextEdit(record, edit); !refused.empty()) {
        out.message = refused;
        return out;
    }
    SaveWaiter waiter;
    auto created = CUdpSock::create(waiter, config, opener);
    if (!created.sock) {
        out.message = created.message;
        return out;
    }
    CUdpSock& sock = *created.sock;
    sock.setMode(CUdpSock::Mode::Save);
    sock.load(buildTextSaveFrame(record));
    sock.setExpectedMac(source.text(wifi::field::kMacAddress));
    sock.sendPending();
    out.frameSent = sock.isOpen();
    uint64_t end = clock.nowMs() + kTextSaveWaitMs;
    while (sock.isOpen() && !waiter.confirmed) {
        if (sock.wantsWritable()) sock.onWritable();
        uint64_t now = clock.nowMs();
        if (now >= end) break;
        sock.pollOnce(static_cast<uint32_t>(std::min<uint64_t>(end - now, 250)));
    }
    if (!waiter.failure.empty()) {
        out.message = waiter.failure;
        return out;
    }
    out.confirmed = waiter.confirmed;
    out.message = out.confirmed ? kSaveCompleted : kSaveError;

    // A confirmed save changed the printer whatever becomes of the result file: that is
    // said, not hidden behind the file's failure.
    auto fileFailed = [&](const std::string& reason, const char* unconfirmedSuffix) {
        if (out.confirmed) {
            out.resultFileError = reason;
            out.message = std::string(kSavedWithoutResultFile) + reason;
            out.sent = record;
        } else {
            out.message = resultFile.string() + unconfirmedSuffix;
        }
        return out;
    };
    // The record holds the WPA key in clear: a new file is readable by its owner only.
    std::string writeError;
    if (!writeFileAtomically(resultFile, std::span<const uint8_t>(record.bytes()), &writeError,
                             FileAccess::Private))
        return fileFailed(writeError, " is not created !");
    std::ifstream in(resultFile, std::ios::binary);
    std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto readBack = wifi::WifiSettings::fromBytes(back);
    if (!in.good() && !in.eof()) readBack.reset();
    if (!readBack) return fileFailed(resultFile.string() + ": not read back as written", " is not opened !");
    out.sent = *readBack;
    trace("PacketVersion=" + readBack->text(wifi::field::kVersion));
    trace("MAC=" + readBack->text(wifi::field::kMacAddress));
    trace("SSID=" + readBack->text(wifi::field::kSsid));
    trace("WPA KEY=" + traceSecret(readBack->text(wifi::field::kWpaKey)));
    trace("TCP PORT=" + std::to_string(readBack->tcpPort()));
    return out;
}

}  // namespace setrion::net
