#include <cups/cups.h>

#include "common/trace.h"
#include "link/spooler.h"

namespace setrion {

namespace {

// Asks the CUPS server for every queue's name and device URI (CUPS-Get-Printers).
class CupsSpooler final : public Spooler {
public:
    std::optional<std::vector<SpoolerQueue>> queues() override {
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const kAttributes[] = {"printer-name", "device-uri",
                                                  "printer-make-and-model"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                      nullptr, kAttributes);
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        const ipp_status_t status = cupsLastError();
        std::vector<SpoolerQueue> out;
        if (!response) {
            // No server to talk to is no spooler; anything else is a failed enumeration.
            if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_NOT_FOUND)
                return out;
            trace(std::string("CUPS-Get-Printers: ") + cupsLastErrorString());
            return std::nullopt;
        }
        if (status > IPP_STATUS_OK_CONFLICTING && status != IPP_STATUS_ERROR_NOT_FOUND) {
            trace(std::string("CUPS-Get-Printers: ") + cupsLastErrorString());
            ippDelete(response);
            return std::nullopt;
        }
        SpoolerQueue current;
        bool inPrinter = false;
        auto flush = [&] {
            if (inPrinter && !current.name.empty()) out.push_back(current);
            current = {};
        };
        for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
            if (ippGetGroupTag(a) != IPP_TAG_PRINTER) {
                flush();
                inPrinter = false;
                continue;
            }
            inPrinter = true;
            const char* name = ippGetName(a);
            if (!name) continue;
            const char* value = ippGetString(a, 0, nullptr);
            if (!value) continue;
            if (std::string_view(name) == "printer-name") current.name = value;
            else if (std::string_view(name) == "device-uri") current.deviceUri = value;
            else if (std::string_view(name) == "printer-make-and-model") current.driverName = value;
        }
        flush();
        ippDelete(response);
        return out;
    }
};

}  // namespace

std::unique_ptr<Spooler> makeSystemSpooler() { return std::make_unique<CupsSpooler>(); }
bool systemSpoolerIsCups() { return true; }

}  // namespace setrion
