#pragma once
#include <array>
#include <filesystem>
#include <string>

#include "wifi/net/management_exchange.h"
#include "wifi/net/printer_view.h"
#include "wifi/net/udp_text_sock.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::net {

inline constexpr const char* kSaveCompleted = "Save Completed !!!";
inline constexpr const char* kSaveError = "Save Error !!!";
inline constexpr uint32_t kTextSaveWaitMs = 7000;  // the status window's seventh tick

struct ModuleSaveResult {
    int code = 0;         // 1 on success, else the write's code (0 when refused before it)
    std::string message;  // kSaveCompleted or the failure's message
    bool ok() const { return code == kCodeSuccessValue; }
    static constexpr int kCodeSuccessValue = 1;
};

// Applies the edit to a copy of the line's record, checks the address, writes it by
// broadcast matched by MAC. On a module's answer `record` becomes that answer.
ModuleSaveResult saveModule(ManagementContext& ctx, DiscoveredPrinter& record,
                            const NetworkEdit& edit, const std::array<uint8_t, 10>& password);

// Applies the edit to a module record as the save does (exposed for tests and the dialog).
// Returns the message of a refused value, or "".
std::string applyModuleEdit(DiscoveredPrinter& r, const NetworkEdit& edit);

// The start of the message for a confirmed save whose result file failed; the reason follows.
inline constexpr const char* kSavedWithoutResultFile = "Saved; result file not written: ";

struct TextSaveResult {
    bool confirmed = false;        // the printer confirmed the save
    bool frameSent = false;        // the frame went out (unconfirmed: stored or not, unknown)
    std::string message;           // kSaveCompleted, kSaveError, or the failure
    wifi::WifiSettings sent;       // the record sent (as read back from the file)
    // Set when the printer confirmed but the result file was not written or read back
    // (message is then kSavedWithoutResultFile + this reason).
    std::string resultFileError;
};

// The record a text-frame save sends: the source record with the edit applied.
// Returns the message of a refused value, or "".
std::string applyTextEdit(wifi::WifiSettings& record, const NetworkEdit& edit);

// Sends the edited record in a save frame, waits up to 7 s for an answer carrying the
// source's MAC, then keeps the record sent in `resultFile` (written atomically) and reads
// it back. Unconfirmed, a file that fails makes the message "<file> is not created !" (or
// "is not opened !"); confirmed, the save stands and resultFileError says why.
TextSaveResult saveTextRecord(const NetConfig& config, Clock& clock, const wifi::WifiSettings& source,
                              const NetworkEdit& edit, const std::filesystem::path& resultFile,
                              const SocketOpener& opener = systemSocketOpener());

}  // namespace setrion::net
