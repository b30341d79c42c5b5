#pragma once
#include <string>
#include <vector>

#include "gui/win32/win32_api.h"

namespace setrion::gui {

class DialogWindow;

// What the program shows on screen, as JSON, for end-to-end tests that drive it from outside:
// every shown dialog window's title and screen rectangle, and for each control its id, kind,
// screen rectangle and what the control itself holds (text, list items, selection, check,
// enabled, visible); and the message box being shown, if any. Tests find controls by id and
// click the centre of their rectangle, whatever the font and the window position.
std::string controlLayoutJson(const std::vector<DialogWindow*>& windows,
                              const std::wstring& messageCaption, const std::wstring& messageText);

// Keeps the layout in the file named by SETRION_LAYOUT_FILE (nothing when it is unset),
// replaced whole on every change so a reader never sees half of it.
class ControlLayoutFile {
  public:
    ControlLayoutFile();
    bool enabled() const { return !m_path.empty(); }
    void write(const std::string& json);

  private:
    std::wstring m_path;
    std::string m_written;
};

}  // namespace setrion::gui
