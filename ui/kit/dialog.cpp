#include "ui/kit/dialog.h"

#include <algorithm>
#include <stdexcept>

namespace setrion::ui {

Dialog::Dialog(Shell& shell, int templateId, std::string title, int widthDu, int heightDu)
    : m_shell(shell),
      m_templateId(templateId),
      m_title(std::move(title)),
      m_width(widthDu),
      m_height(heightDu) {}

Dialog::~Dialog() { m_shell.dialogDestroyed(*this); }

void Dialog::init() {
    m_ended = false;
    m_result = 0;
    onInit();
}

static bool usable(const Control* c) { return c && c->enabled && c->visible; }

void Dialog::click(int id) {
    Control* c = m_controls.count(id) ? &m_controls.at(id) : nullptr;
    if (!usable(c)) return;
    if (c->kind == ControlKind::CheckBox) c->checked = !c->checked;
    onClicked(id);
}

void Dialog::select(int id, int index) {
    Control* c = m_controls.count(id) ? &m_controls.at(id) : nullptr;
    if (!usable(c) || index < 0 || static_cast<size_t>(index) >= c->items.size()) return;
    if (c->selection == index) return;
    c->selection = index;
    onSelectionChanged(id);
}

void Dialog::dropDown(int id) {
    Control* c = m_controls.count(id) ? &m_controls.at(id) : nullptr;
    if (usable(c)) onDropDown(id);
}

bool Dialog::editText(int id, const std::string& text) {
    Control* c = m_controls.count(id) ? &m_controls.at(id) : nullptr;
    if (!usable(c) || c->readOnly) return false;
    if (c->textLimit != 0 && text.size() > c->textLimit) return false;
    if (c->text == text) return true;
    c->text = text;
    onTextChanged(id);
    return true;
}

void Dialog::setIpOctets(int id, const std::optional<std::array<uint8_t, 4>>& octets) {
    Control* c = m_controls.count(id) ? &m_controls.at(id) : nullptr;
    if (!usable(c) || c->address() == octets) return;
    if (octets)
        c->setAddress(*octets);
    else
        c->clearAddress();
    onTextChanged(id);
}

void Dialog::requestClose(int result) {
    if (m_ended) return;
    if (onClosing(result)) endDialog(result);
}

static bool isPushButton(const Control* c) {
    return c && (c->kind == ControlKind::Button || c->kind == ControlKind::IconButton);
}

void Dialog::pressEnter(int focusedId) {
    const Control* focused = find(focusedId);
    if (isPushButton(focused)) {
        click(focusedId);  // a disabled one ignores it
        return;
    }
    for (int id : m_order) {
        const Control& c = m_controls.at(id);
        if (c.isDefault && isPushButton(&c)) {
            click(id);
            return;
        }
    }
}

int Dialog::escapeButton() const {
    if (m_escapeButton) return *m_escapeButton;
    return isPushButton(find(kIdCancel)) ? kIdCancel : 0;
}

void Dialog::pressEscape() {
    const int button = escapeButton();
    if (button == 0) {
        requestClose(kIdCancel);
        return;
    }
    click(button);  // a disabled or hidden escape button ignores it
}

bool Dialog::takesFocus(ControlKind kind) {
    return kind != ControlKind::Static && kind != ControlKind::GroupBox &&
           kind != ControlKind::ProgressBar;
}

std::vector<int> Dialog::tabOrder() const {
    std::vector<int> out;
    for (int id : m_tabOrder)
        if (find(id) && takesFocus(control(id).kind)) out.push_back(id);
    for (int id : m_order)
        if (takesFocus(m_controls.at(id).kind) &&
            std::find(out.begin(), out.end(), id) == out.end())
            out.push_back(id);
    return out;
}

void Dialog::endDialog(int result) {
    m_ended = true;
    m_result = result;
}

std::vector<const Control*> Dialog::controls() const {
    std::vector<const Control*> out;
    out.reserve(m_order.size());
    for (int id : m_order) out.push_back(&m_controls.at(id));
    return out;
}

const Control* Dialog::find(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : &it->second;
}

const Control& Dialog::control(int id) const { return m_controls.at(id); }
Control& Dialog::control(int id) { return m_controls.at(id); }

Control& Dialog::add(int id, ControlKind kind, std::string text, Rect rect) {
    auto [it, inserted] = m_controls.try_emplace(id);
    if (!inserted) throw std::logic_error("duplicate control id " + std::to_string(id));
    m_order.push_back(id);
    Control& c = it->second;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.rect = rect;
    return c;
}

void Dialog::enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids) control(id).enabled = on;
}

void Dialog::checkRadio(int id, std::initializer_list<int> group) {
    for (int other : group) control(other).checked = (other == id);
    control(id).checked = true;
}

void Dialog::onClicked(int id) {
    if (id == kIdOk || id == kIdCancel) requestClose(id);
}

}  // namespace setrion::ui
