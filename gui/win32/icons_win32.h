#pragma once
#include "gui/win32/win32_api.h"

namespace setrion::gui {

// An icon of `size` x `size` pixels from the shared pixel data of resource `resource`, scaled
// smoothly; nullptr for an unknown resource. The caller destroys it (DestroyIcon).
HICON makeIcon(int resource, int size);

}  // namespace setrion::gui
