// Any printer profile is judged without a crash; an accepted one prints as JSON that is
// accepted again with the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "printer/printer_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const setrion::PrinterProfileResult r = setrion::parsePrinterProfile(text);
    if (!r.ok()) return 0;
    const setrion::PrinterProfileResult again =
        setrion::parsePrinterProfile(setrion::printerValuesJson(*r.values).dump());
    if (!again.ok() || *again.values != *r.values) std::abort();
    return 0;
}
