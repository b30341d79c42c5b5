#pragma once
#include "wifi/module/module_connection.h"
#include "wifi/module/sequence_result.h"

namespace setrion::wifi {

inline constexpr const char* kFactoryResetFailedText = "Fail to factory settings";
inline constexpr const char* kFactoryResetDoneTitle = "Factory settting completed";
inline constexpr const char* kFactoryResetDoneText = "Printer is reset to factory settings.";

// Whether the factory reset is offered for an opened module: command-mode modules of
// generation 2 or 3 have it; generation 1 and settings-block modules do not.
bool factoryResetOffered(ModuleKind kind, int generation);

// Returns the module to its factory settings; on success the module connection is closed
// (leave command mode, close the link). On failure the connection stays open.
SequenceResult resetModuleSequence(ModuleConnection& conn);

}  // namespace setrion::wifi
