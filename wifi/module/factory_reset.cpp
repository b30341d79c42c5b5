#include "wifi/module/factory_reset.h"

namespace setrion::wifi {

bool factoryResetOffered(ModuleKind kind, int generation) {
    return kind == ModuleKind::CommandMode && (generation == 2 || generation == 3);
}

SequenceResult resetModuleSequence(ModuleConnection& conn) {
    if (conn.resetModuleToFactory() != 0)
        return SequenceResult::failure(1, kFactoryResetFailedText, kCaptionApplication);
    conn.closePort();
    return SequenceResult::success(kFactoryResetDoneText, kFactoryResetDoneTitle);
}

}  // namespace setrion::wifi
