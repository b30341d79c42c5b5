#pragma once
#include "wifi/module/module_connection.h"
#include "wifi/module/sequence_result.h"

namespace setrion::wifi {

inline constexpr const char* kFactoryResetFailedText = "Fail to factory settings";
inline constexpr const char* kFactoryResetDoneTitle = "Factory settting completed";
inline constexpr const char* kFactoryResetDoneText = "Printer is reset to factory settings.";

// Returns the module to its factory settings; on success the module connection is closed
// (leave command mode, close the link). On failure the connection stays open.
SequenceResult resetModuleSequence(ModuleConnection& conn);

}  // namespace setrion::wifi
