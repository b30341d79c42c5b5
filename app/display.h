#pragma once
#include <string>

namespace setrion::app {

// What the desktop program says, after its reason, when it cannot show a window.
inline constexpr const char* kNoDisplayHint = "setrion-cli does the same from a terminal";

// Why no window can be shown here ("DISPLAY is not set", ...); empty when a display looks
// reachable or the platform is one of Qt's own (QT_QPA_PLATFORM=offscreen, vnc, ...).
std::string displayProblem();

}  // namespace setrion::app
