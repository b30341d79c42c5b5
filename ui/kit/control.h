#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setrion::ui {

// What a control is; the desktop host picks its widget by this alone.
enum class ControlKind {
    Button,       // plain push button
    IconButton,   // push button with an icon (iconNumber) and a caption
    Edit,         // single-line text entry (multiline/password/readOnly refine it)
    DropList,     // drop-down list without free text
    ListBox,      // always-open list
    CheckBox,     // two-state box; a click toggles `checked` before the handler runs
    Radio,        // radio button; the dialog's handler decides what gets checked
    Static,       // label text
    GroupBox,     // frame with a caption around other controls
    IpAddress,    // four-octet address entry
    ProgressBar,  // range and position
};

const char* controlKindName(ControlKind kind);

// Layout hint in dialog units (a quarter of the average character width, an eighth of the
// character height of the dialog's font), relative to the dialog's client area.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One control's complete state. The dialog model owns it; the host only reads it, except
// through the Dialog's user-input entry points.
struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;  // caption, label or edit text; '&' marks a mnemonic
    Rect rect;
    bool enabled = true;
    bool visible = true;

    // Lists (DropList, ListBox): the items in order and the selected index, -1 for none.
    std::vector<std::string> items;
    int selection = -1;

    // CheckBox, Radio.
    bool checked = false;

    // Edit: at most this many characters are accepted from the user, 0 for no limit.
    size_t textLimit = 0;
    bool readOnly = false;
    bool password = false;
    bool multiline = false;

    // IpAddress: the four octets, and whether the control holds an address at all. An empty
    // control (the state at start) shows four blank fields; its octets are zero.
    std::array<uint8_t, 4> octets{};
    bool hasAddress = false;

    // ProgressBar.
    int rangeMin = 0;
    int rangeMax = 100;
    int position = 0;

    // IconButton (and a Static showing an icon): the icon resource number, 0 for none.
    // Button/IconButton: the default button.
    int iconNumber = 0;
    bool isDefault = false;

    // GroupBox: an optional caption colour as 0x00BBGGRR, a bold caption, and the caption's
    // alignment (0 left, 1 centred, 2 right).
    std::optional<uint32_t> colour;
    bool bold = false;
    int alignment = 0;

    // Texts the control shows in other states than the one it starts in (a note that
    // changes, a list refilled, an edit's possible values): the text-fit check covers them.
    std::vector<std::string> otherTexts;
    // Hidden for good (kept for its handler): left out of the text-fit check.
    bool neverShown = false;

    // The selected item's text, or "" when nothing is selected.
    std::string selectedText() const;
    // Replaces the items and selects `select` (-1 for none).
    void setItems(std::vector<std::string> newItems, int select = -1);
    // Selects the item with this text; returns false (selection unchanged) when absent.
    bool selectText(const std::string& itemText);
    // IpAddress: shows an address, or empties the control.
    void setAddress(const std::array<uint8_t, 4>& address);
    void clearAddress();
    std::optional<std::array<uint8_t, 4>> address() const;
};

}  // namespace setrion::ui
