#pragma once
#include <string>
#include <vector>

#include "link/port_opening.h"
#include "tests/support/scripted_link.h"

namespace setrion::test {

// Opens scripted links; records the device paths it was asked for.
class FakePortOpener final : public PortOpener {
public:
    ScriptedLink serialLink;
    ScriptedLink usbLink;
    int serialResult = 0;
    int usbResult = 0;
    std::vector<std::string> serialOpens;
    int usbOpens = 0;
    SerialSettings lastSettings;

    FakePortOpener() {
        serialLink.setOpen(false);
        usbLink.setOpen(false);
    }
    PrinterLink& serial() override { return serialLink; }
    PrinterLink& usb() override { return usbLink; }
    int openSerial(const std::string& devicePath, const SerialSettings& settings) override {
        serialOpens.push_back(devicePath);
        lastSettings = settings;
        serialLink.setOpen(true);  // like a device opened but maybe not configured
        return serialResult;
    }
    int openUsb() override {
        ++usbOpens;
        usbLink.setOpen(usbResult == 0);
        return usbResult;
    }
};

inline const char* noEnv(const char*) { return nullptr; }

}  // namespace setrion::test
