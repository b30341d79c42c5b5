#include "wifi/module/factory_reset.h"

namespace setrion::wifi {

SequenceResult resetModuleSequence(ModuleConnection& conn) {
    if (conn.resetModuleToFactory() != 0)
        return SequenceResult::failure(1, kFactoryResetFailedText, kCaptionApplication);
    conn.closePort();
    return SequenceResult::success(kFactoryResetDoneText, kFactoryResetDoneTitle);
}

}  // namespace setrion::wifi
