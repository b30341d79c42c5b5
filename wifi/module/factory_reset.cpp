#include "wifi/module/factory_reset.h"

#include "common/interrupt.h"

namespace setrion::wifi {

bool factoryResetOffered(ModuleKind kind, int generation) {
    return kind == ModuleKind::CommandMode && (generation == 2 || generation == 3);
}

SequenceResult resetModuleSequence(ModuleConnection& conn) {
    // The reset commits in one frame: not begun once interrupted, awaited whole once sent.
    if (interruptRequested()) return SequenceResult::interruption(1);
    InterruptShield shield;
    if (conn.resetModuleToFactory() != 0)
        return SequenceResult::failure(1, kFactoryResetFailedText, kCaptionApplication);
    conn.closePort();
    return SequenceResult::success(kFactoryResetDoneText, kFactoryResetDoneTitle);
}

}  // namespace setrion::wifi
