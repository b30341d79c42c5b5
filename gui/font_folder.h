#pragma once
#include <string>

namespace setrion::gui {

// The folder the font selection dialog shows first, with its trailing separator: on Windows
// the Windows folder's "Fonts\", else the user's own font folder; elsewhere the first of the
// user's and the system's font folders that holds TrueType files.
std::string firstFontFolder();

}  // namespace setrion::gui
