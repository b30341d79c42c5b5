#include <cstdlib>

#include "gui/font_folder.h"
#include "ui/fonts/font_folders.h"

namespace setrion::gui {

std::string firstFontFolder() {
    const char* home = std::getenv("HOME");
    return ui::systemFontFolder(home != nullptr ? home : "");
}

}  // namespace setrion::gui
