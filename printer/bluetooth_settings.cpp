#include "printer/bluetooth_settings.h"

namespace setrion {

namespace {

constexpr size_t kLongLineBuffer = 128;  // the PIN and discoverable lines

bool usesByteCommands(EmulationCode e) {
    return e == EmulationCode::EscPos || e == EmulationCode::Mpcl;
}

std::vector<uint8_t> escBt(uint8_t a, uint8_t b) {
    std::vector<uint8_t> out;
    out.reserve(5 + kMaxPinLength);
    for (uint8_t x : {uint8_t{0x1B}, uint8_t{'b'}, uint8_t{'t'}, a, b}) out.push_back(x);
    return out;
}

}  // namespace

bool isAcceptablePin(std::string_view pin) {
    if (pin.empty() || pin.size() > kMaxPinLength) return false;
    for (char c : pin)
        if (c < 0x20 || c > 0x7E || c == '"') return false;
    return true;
}

std::vector<uint8_t> bluetoothAddressQuery() { return escBt(0x01, 0x0E); }
std::vector<uint8_t> bluetoothDiscoverableQuery() { return escBt(0x01, 'V'); }
std::vector<uint8_t> bluetoothDiscoverableCommand(bool on) {
    return escBt(0x01, static_cast<uint8_t>(on ? 0x05 : 0x06));
}

std::optional<std::vector<uint8_t>> bluetoothPinCommand(std::string_view pin) {
    if (!isAcceptablePin(pin)) return std::nullopt;
    auto out = escBt(static_cast<uint8_t>(pin.size() + 1), 0x90);
    for (char c : pin) out.push_back(static_cast<uint8_t>(c));
    return out;
}

BluetoothInfo getBluetoothInfo(CommandExchange& exchange, EmulationCode& emulation) {
    BluetoothInfo info;
    info.result = exchange.probeEmulation(emulation);
    if (info.result != kProbeOk) return info;
    const bool bytes = usesByteCommands(emulation);
    if (!bytes && emulation != EmulationCode::Cpcl) return info;  // ZPL, EPL, DPL: not asked

    if (bytes)
        exchange.send(bluetoothAddressQuery());
    else
        exchange.sendLine(printerGetvar("bluetooth.address").value_or(""));
    auto address = exchange.collectAnswer();
    if (!address) {
        info.result = kProbeNoResponse;
        return info;
    }
    info.address = stripQuotes(std::string_view(reinterpret_cast<const char*>(address->data()),
                                                 address->size()));

    if (bytes)
        exchange.send(bluetoothDiscoverableQuery());
    else
        exchange.sendLine(printerGetvar("bluetooth.discoverable").value_or(""));
    auto discoverable = exchange.collectAnswer();
    if (!discoverable) {
        info.result = kProbeNoResponse;
        return info;
    }
    info.discoverable = answerIsOn(std::string_view(
        reinterpret_cast<const char*>(discoverable->data()), discoverable->size()));
    info.queried = true;
    return info;
}

int saveBluetoothPin(CommandExchange& exchange, EmulationCode& emulation, std::string_view pin) {
    if (!isAcceptablePin(pin)) return kSettingRefused;
    const int probe = exchange.probeEmulation(emulation);
    if (probe != kProbeOk) return probe;
    if (usesByteCommands(emulation))
        exchange.send(*bluetoothPinCommand(pin));
    else if (emulation == EmulationCode::Cpcl)
        exchange.sendLine(printerSetvar("bluetooth.bluetooth_pin", pin, kLongLineBuffer).value_or(""));
    return kProbeOk;
}

int saveDiscoverable(CommandExchange& exchange, EmulationCode& emulation, bool on) {
    const int probe = exchange.probeEmulation(emulation);
    if (probe != kProbeOk) return probe;
    if (usesByteCommands(emulation))
        exchange.send(bluetoothDiscoverableCommand(on));
    else if (emulation == EmulationCode::Cpcl)
        exchange.sendLine(
            printerSetvar("bluetooth.discoverable", on ? "on" : "off", kLongLineBuffer).value_or(""));
    return kProbeOk;
}

}  // namespace setrion
