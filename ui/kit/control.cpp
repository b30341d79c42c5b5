#include "ui/kit/control.h"

#include <algorithm>

namespace setrion::ui {

const char* controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button: return "button";
        case ControlKind::IconButton: return "icon button";
        case ControlKind::Edit: return "edit";
        case ControlKind::DropList: return "drop list";
        case ControlKind::ListBox: return "list box";
        case ControlKind::CheckBox: return "check box";
        case ControlKind::Radio: return "radio";
        case ControlKind::Static: return "static";
        case ControlKind::GroupBox: return "group box";
        case ControlKind::IpAddress: return "IP address";
        case ControlKind::ProgressBar: return "progress bar";
    }
    return "?";
}

std::string Control::selectedText() const {
    if (selection < 0 || static_cast<size_t>(selection) >= items.size()) return {};
    return items[static_cast<size_t>(selection)];
}

void Control::setItems(std::vector<std::string> newItems, int select) {
    items = std::move(newItems);
    selection = (select >= 0 && static_cast<size_t>(select) < items.size()) ? select : -1;
}

bool Control::selectText(const std::string& itemText) {
    auto it = std::find(items.begin(), items.end(), itemText);
    if (it == items.end()) return false;
    selection = static_cast<int>(it - items.begin());
    return true;
}

void Control::setAddress(const std::array<uint8_t, 4>& address) {
    octets = address;
    hasAddress = true;
}

void Control::clearAddress() {
    octets = {};
    hasAddress = false;
}

std::optional<std::array<uint8_t, 4>> Control::address() const {
    if (!hasAddress) return std::nullopt;
    return octets;
}

}  // namespace setrion::ui
