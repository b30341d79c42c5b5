#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace setrion::wifi {

// Size of one all-text Wi-Fi settings record.
inline constexpr std::size_t kWifiSettingsSize = 1013;

// Position and text form of one field of the record.
struct RecordField {
    uint16_t offset;
    uint16_t length;
    uint8_t padding = ' ';  // byte the field is filled with before a text is written
    bool crlf = false;      // CR LF follows the text directly

    // The longest text the field takes (room is left for CR LF where it has one).
    constexpr std::size_t capacity() const { return crlf ? length - 2u : length; }
};

namespace field {
inline constexpr RecordField kVersion{0, 2};
inline constexpr RecordField kMacAddress{2, 12};
inline constexpr RecordField kSsid{14, 34, ' ', true};
inline constexpr RecordField kDhcp{48, 1};
inline constexpr RecordField kIp{49, 8};
inline constexpr RecordField kSubnet{57, 8};
inline constexpr RecordField kGateway{65, 8};
inline constexpr RecordField kDns{73, 8};
inline constexpr RecordField kMode{81, 1};
inline constexpr RecordField kChannel{82, 2};
inline constexpr RecordField kEncryption{84, 1};
inline constexpr RecordField kAuthentication{85, 1};
inline constexpr RecordField kUseKey{86, 1};
inline constexpr RecordField kKey1{87, 26};
inline constexpr RecordField kKey2{113, 26};
inline constexpr RecordField kKey3{139, 26};
inline constexpr RecordField kKey4{165, 26};
inline constexpr RecordField kWpa{191, 1};
inline constexpr RecordField kWpaEnc{192, 1};
inline constexpr RecordField kWpaKey{193, 64, 0x00, false};
inline constexpr RecordField kTcpPort{257, 4};
inline constexpr RecordField kReserved1{261, 41};
inline constexpr RecordField kEapType{302, 1};
inline constexpr RecordField kEapId{303, 66, ' ', true};
inline constexpr RecordField kEapPassword{369, 64, 0x00, false};
inline constexpr RecordField kCaCertFile{433, 66, ' ', true};
inline constexpr RecordField kClientCertFile{499, 66, ' ', true};
inline constexpr RecordField kPrivateKeyFile{565, 66, ' ', true};
inline constexpr RecordField kEapFastProvisioning{631, 1};
inline constexpr RecordField kEapFastServers{632, 3};
inline constexpr RecordField kLpdEnable{635, 1};
inline constexpr RecordField kLpdQueue{636, 34, 0x00, true};
inline constexpr RecordField kChannelText{670, 3};
inline constexpr RecordField kReserved2{673, 340};

// The four WEP key fields, slot 1 first.
inline constexpr std::array<RecordField, 4> kKeys{kKey1, kKey2, kKey3, kKey4};
}  // namespace field

using Octets = std::array<uint8_t, 4>;

// One module's Wi-Fi settings as the fixed 1013-byte text record. Every byte is text;
// numbers are digits, addresses and the TCP port hexadecimal text. Fields the program does
// not interpret (Version, the reserved blocks) are carried unchanged.
class WifiSettings {
  public:
    using Bytes = std::array<uint8_t, kWifiSettingsSize>;

    // A record of spaces.
    WifiSettings();
    // Exactly kWifiSettingsSize bytes, or nothing.
    static std::optional<WifiSettings> fromBytes(std::span<const uint8_t> bytes);

    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }
    std::span<const uint8_t> raw(RecordField f) const;

    // Text of a field: it ends at its CR LF (fields written with one), else at the first NUL
    // (NUL padding), else trailing spaces are padding. Spaces inside are part of the value.
    std::string text(RecordField f) const;
    // Fills the field with its padding byte, copies the text to its start and adds CR LF
    // where the field has it. A text longer than the field's capacity is not written and
    // false is returned.
    bool setText(RecordField f, std::string_view value);
    // Copies the text over the start of the field; the rest is left as it was (WEP keys).
    bool overwriteStart(RecordField f, std::string_view value);
    // Fills a field with one byte value.
    void fill(RecordField f, uint8_t value);

    // One-character choice code: the digit's value, -1 when the byte is not a digit.
    int choice(RecordField f) const;
    // Writes the decimal digit of a code 0..9 (other codes are not written: false).
    bool setChoice(RecordField f, int code);

    // Address fields: four pairs of hexadecimal digits, most significant octet first.
    Octets address(RecordField f) const;
    void setAddress(RecordField f, const Octets& octets);

    uint16_t tcpPort() const;
    void setTcpPort(uint16_t port);

    // CHANNEL, two decimal digits (0 when not a number).
    int channel() const;
    bool setChannel(int channel);  // 1..99
    // CHANNELTEXT: the channel list's text, left-aligned, padded with spaces.
    int channelTextNumber() const;  // 0 when not a number

    // EAPFASTSERVERS, three decimal digits.
    int eapFastServers() const;
    bool setEapFastServers(int servers);  // 0..999

    // LPD and 5 GHz support: the first byte of LPDQUEUE is not a space.
    bool hasLpdSupport() const;

    bool operator==(const WifiSettings&) const = default;

  private:
    Bytes m_bytes;
};

// "%02X%02X%02X%02X" of the octets.
std::string encodeAddress(const Octets& octets);
// Four pairs, each parsed as a base-16 number the way strtol would (leading blanks
// skipped, parsing stops at the first non-digit).
Octets decodeAddress(std::string_view eightChars);
// Dotted decimal form for display, and its parser: exactly four decimal numbers 0-255
// without leading zeros ("01.2.3.4" is refused: some readers take it as octal). This is
// the one address rule for every address a user types or a settings file holds.
std::string dottedAddress(const Octets& octets);
// `leadingZeros`: the Wi-Fi INI file's form, where each part is a decimal 0-255 that may have
// leading zeros ("192.168.001.010" is 192.168.1.10).
std::optional<Octets> parseDottedAddress(std::string_view text, bool leadingZeros = false);
// A netmask: its one bits are contiguous from the top (0.0.0.0 and 255.255.255.255 count).
bool isContiguousMask(const Octets& mask);

// A WEP key typed as ASCII as upper-case hexadecimal text, high nibble first ("abc" ->
// "616263").
std::string asciiKeyToHex(std::string_view ascii);
// The characters a hexadecimal key text encodes (non-hex characters skipped).
std::string hexKeyToAscii(std::string_view hex);

}  // namespace setrion::wifi
