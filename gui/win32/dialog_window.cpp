#include "gui/win32/dialog_window.h"

#include <algorithm>

#include "common/interrupt.h"
#include "common/utf16_win32.h"
#include "gui/win32/icons_win32.h"
#include "gui/win32/owner_draw.h"
#include "gui/win32/win32_shell.h"

namespace setrion::gui {

using ui::ControlKind;
using win32::toUtf16;
using win32::toUtf8;

// What a control showed when last rendered, and what its input hooks need.
struct DialogWindow::Binding {
    DialogWindow* window = nullptr;
    int id = 0;
    ControlKind kind = ControlKind::Static;
    HWND hwnd = nullptr;
    ui::Control shown;
    bool rendered = false;
};

namespace {

constexpr int kDialogFontPoints = 8;

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A dialog template of the model's size with the dialog font and no controls: the controls
// are made one by one afterwards, from the model.
std::vector<WORD> dialogTemplate(const ui::Dialog& model) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* head = reinterpret_cast<DLGTEMPLATE*>(t.data());
    head->style = DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU |
                  WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    head->cdit = 0;
    head->x = 0;
    head->y = 0;
    head->cx = static_cast<short>(model.widthDu());
    head->cy = static_cast<short>(model.heightDu());
    t.push_back(0);  // no menu
    t.push_back(0);  // the dialog class
    t.push_back(0);  // no title yet: render() sets it
    t.push_back(kDialogFontPoints);
    for (wchar_t ch : std::wstring(L"MS Shell Dlg")) t.push_back(static_cast<WORD>(ch));
    t.push_back(0);
    return t;
}

DWORD styleFor(const ui::Control& c) {
    const DWORD child = WS_CHILD;
    switch (c.kind) {
        case ControlKind::Button:
            return child | WS_TABSTOP | BS_PUSHBUTTON;
        case ControlKind::IconButton:
            return child | WS_TABSTOP | BS_OWNERDRAW;
        case ControlKind::Edit:
            return child | WS_TABSTOP |
                   (c.multiline ? (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL)
                                : ES_AUTOHSCROLL) |
                   (c.password ? ES_PASSWORD : 0);
        case ControlKind::DropList:
            return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlKind::ListBox:
            return child | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        // The model decides what is checked: no automatic styles.
        case ControlKind::CheckBox:
            return child | WS_TABSTOP | BS_CHECKBOX;
        case ControlKind::Radio:
            return child | WS_TABSTOP | BS_RADIOBUTTON;
        case ControlKind::Static:
            return child | (c.iconNumber != 0 ? SS_ICON | SS_CENTERIMAGE : SS_LEFT);
        case ControlKind::GroupBox:
            return child | SS_OWNERDRAW | WS_CLIPSIBLINGS;
        case ControlKind::IpAddress:
            return child | WS_TABSTOP;
        case ControlKind::ProgressBar:
            return child;
    }
    return child;
}

const wchar_t* classFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::IconButton:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            return WC_BUTTONW;
        case ControlKind::Edit:
            return WC_EDITW;
        case ControlKind::DropList:
            return WC_COMBOBOXW;
        case ControlKind::ListBox:
            return WC_LISTBOXW;
        case ControlKind::Static:
        case ControlKind::GroupBox:
            return WC_STATICW;
        case ControlKind::IpAddress:
            return WC_IPADDRESSW;
        case ControlKind::ProgressBar:
            return PROGRESS_CLASSW;
    }
    return WC_STATICW;
}

bool sameItems(const ui::Control& a, const ui::Control& b) {
    return a.items == b.items;
}

}  // namespace

DialogWindow::DialogWindow(ui::Dialog& model, Win32Shell& shell, HWND owner)
    : m_model(model), m_shell(shell) {
    const std::vector<WORD> t = dialogTemplate(model);
    m_hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                        reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                        &DialogWindow::dialogProc, reinterpret_cast<LPARAM>(this));
    if (m_hwnd == nullptr) return;
    m_font = reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    GetObjectW(m_font, sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    m_boldFont = CreateFontIndirectW(&lf);
    for (const ui::Control* c : model.controls()) createControl(*c);
    // Group boxes go to the bottom of the z-order, so the controls inside them paint on top;
    // the tab order of the others stays their creation order.
    for (const auto& b : m_bindings)
        if (b->kind == ControlKind::GroupBox)
            SetWindowPos(b->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!model.systemMenuItems().empty()) {
        HMENU menu = GetSystemMenu(m_hwnd, FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (const auto& item : model.systemMenuItems())
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command),
                        toUtf16(item.text).c_str());
    }
    m_shell.windowCreated(*this);
}

DialogWindow::~DialogWindow() {
    m_shell.windowDestroyed(*this);
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        DestroyWindow(m_hwnd);
    }
    for (auto& [key, icon] : m_icons) DestroyIcon(icon);
    if (m_windowIconSmall != nullptr) DestroyIcon(m_windowIconSmall);
    if (m_windowIconLarge != nullptr) DestroyIcon(m_windowIconLarge);
    if (m_boldFont != nullptr) DeleteObject(m_boldFont);
}

HWND DialogWindow::control(int id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second->hwnd;
}

RECT DialogWindow::toPixels(const ui::Rect& du) const {
    RECT r{du.x, du.y, du.x + du.width, du.y + du.height};
    MapDialogRect(m_hwnd, &r);
    return r;
}

HICON DialogWindow::iconFor(int resource, int size) {
    auto key = std::make_pair(resource, size);
    auto it = m_icons.find(key);
    if (it != m_icons.end()) return it->second;
    HICON icon = makeIcon(resource, size);
    m_icons[key] = icon;
    return icon;
}

void DialogWindow::createControl(const ui::Control& c) {
    auto b = std::make_unique<Binding>();
    b->window = this;
    b->id = c.id;
    b->kind = c.kind;
    const RECT r = toPixels(c.rect);
    DWORD exStyle = WS_EX_NOPARENTNOTIFY;
    if (c.kind == ControlKind::Edit || c.kind == ControlKind::ListBox) exStyle |= WS_EX_CLIENTEDGE;
    b->hwnd = CreateWindowExW(exStyle, classFor(c.kind), L"", styleFor(c), r.left, r.top,
                              r.right - r.left, r.bottom - r.top, m_hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                              GetModuleHandleW(nullptr), nullptr);
    if (b->hwnd == nullptr) return;
    SendMessageW(b->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    if (c.kind == ControlKind::Edit) filterTypedCharacters(b->hwnd, c.id);
    if (c.kind == ControlKind::IpAddress) {
        // The control's four fields are edits of its own.
        for (HWND field = FindWindowExW(b->hwnd, nullptr, WC_EDITW, nullptr); field != nullptr;
             field = FindWindowExW(b->hwnd, field, WC_EDITW, nullptr))
            filterTypedCharacters(field, c.id);
    }
    m_byId[c.id] = b.get();
    m_bindings.push_back(std::move(b));
}

void DialogWindow::filterTypedCharacters(HWND edit, int id) {
    SetWindowSubclass(edit, &DialogWindow::editProc, static_cast<UINT_PTR>(id),
                      reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK DialogWindow::editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclass, DWORD_PTR data) {
    if (message == WM_CHAR && (wParam >= 0x20 || wParam == 8)) {
        auto* self = reinterpret_cast<DialogWindow*>(data);
        // The text as it is before the character: a selection it would replace is left out.
        std::wstring text = windowText(hwnd);
        DWORD from = 0;
        DWORD to = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        if (wParam != 8 && to > from && to <= text.size()) text.erase(from, to - from);
        if (!self->m_model.acceptsTypedCharacter(static_cast<int>(subclass), toUtf8(text),
                                                 static_cast<int>(wParam)))
            return 0;  // dropped
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &DialogWindow::editProc, subclass);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void DialogWindow::render() {
    if (m_hwnd == nullptr) return;
    m_rendering = true;
    const std::wstring title = toUtf16(m_model.title());
    if (windowText(m_hwnd) != title) SetWindowTextW(m_hwnd, title.c_str());
    const int icon = m_model.windowIcon() != 0 ? m_model.windowIcon() : 128;
    if (icon != m_windowIconShown) {
        m_windowIconShown = icon;
        if (m_windowIconSmall != nullptr) DestroyIcon(m_windowIconSmall);
        if (m_windowIconLarge != nullptr) DestroyIcon(m_windowIconLarge);
        m_windowIconSmall = makeIcon(icon, GetSystemMetrics(SM_CXSMICON));
        m_windowIconLarge = makeIcon(icon, GetSystemMetrics(SM_CXICON));
        SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_windowIconSmall));
        SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_windowIconLarge));
    }
    int defaultId = -1;
    for (const ui::Control* c : m_model.controls()) {
        auto it = m_byId.find(c->id);
        if (it != m_byId.end() && it->second->hwnd != nullptr) renderControl(*it->second, *c);
        if (defaultId < 0 && c->isDefault && c->visible) defaultId = c->id;
    }
    if (defaultId >= 0 && LOWORD(SendMessageW(m_hwnd, DM_GETDEFID, 0, 0)) != defaultId)
        SendMessageW(m_hwnd, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    m_rendering = false;
    if (m_model.ended()) {
        ShowWindow(m_hwnd, SW_HIDE);
        m_shell.layoutChanged();
        return;
    }
    if (m_shell.isShown(*this) && (IsWindowVisible(m_hwnd) != FALSE) != m_model.windowVisible())
        ShowWindow(m_hwnd, m_model.windowVisible() ? SW_SHOW : SW_HIDE);
    m_shell.layoutChanged();
}

void DialogWindow::renderControl(Binding& b, const ui::Control& c) {
    HWND w = b.hwnd;
    const ui::Control& was = b.shown;
    const bool first = !b.rendered;
    const std::wstring text = toUtf16(c.text);
    switch (c.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            if (windowText(w) != text) SetWindowTextW(w, text.c_str());
            if (c.kind != ControlKind::Button &&
                (SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED) != c.checked)
                SendMessageW(w, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::IconButton:
            if (windowText(w) != text) SetWindowTextW(w, text.c_str());
            if (first || was.iconNumber != c.iconNumber || was.isDefault != c.isDefault)
                InvalidateRect(w, nullptr, TRUE);
            break;
        case ControlKind::Edit: {
            if (windowText(w) != text) SetWindowTextW(w, text.c_str());
            if (first || was.textLimit != c.textLimit)
                SendMessageW(w, EM_SETLIMITTEXT, c.textLimit == 0 ? 0x7FFFFFFE : c.textLimit, 0);
            if (first || was.readOnly != c.readOnly)
                SendMessageW(w, EM_SETREADONLY, c.readOnly ? TRUE : FALSE, 0);
            if (!first && was.password != c.password) {
                SendMessageW(w, EM_SETPASSWORDCHAR, c.password ? 0x25CF : 0, 0);
                InvalidateRect(w, nullptr, TRUE);
            }
            break;
        }
        case ControlKind::DropList:
        case ControlKind::ListBox: {
            const bool combo = c.kind == ControlKind::DropList;
            if (first || !sameItems(was, c)) {
                SendMessageW(w, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
                for (const std::string& item : c.items)
                    SendMessageW(w, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(toUtf16(item).c_str()));
            }
            const LRESULT shown = SendMessageW(w, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
            if (shown != c.selection)
                SendMessageW(w, combo ? CB_SETCURSEL : LB_SETCURSEL,
                             static_cast<WPARAM>(c.selection), 0);
            break;
        }
        case ControlKind::Static:
            if (c.iconNumber != 0) {
                if (first || was.iconNumber != c.iconNumber) {
                    RECT r;
                    GetClientRect(w, &r);
                    const int size = std::min<int>(r.right, r.bottom) >= 32
                                         ? 32
                                         : std::min<int>(r.right, r.bottom);
                    SendMessageW(w, STM_SETICON,
                                 reinterpret_cast<WPARAM>(iconFor(c.iconNumber, size)), 0);
                }
            } else if (windowText(w) != text) {
                SetWindowTextW(w, text.c_str());
            }
            break;
        case ControlKind::GroupBox:
            if (first || was.text != c.text || was.colour != c.colour || was.bold != c.bold ||
                was.alignment != c.alignment) {
                SetWindowTextW(w, text.c_str());
                InvalidateRect(w, nullptr, TRUE);
            }
            break;
        case ControlKind::IpAddress: {
            // Set only what differs from the fields: a field the user blanked stays blank, the
            // others as typed. The notices the control sends meanwhile are its own, not input.
            DWORD address = 0;
            const LRESULT filled =
                SendMessageW(w, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
            const auto& o = c.octets;
            const DWORD wanted = MAKEIPADDRESS(o[0], o[1], o[2], o[3]);
            if (c.hasAddress && (filled != 4 || address != wanted))
                SendMessageW(w, IPM_SETADDRESS, 0, static_cast<LPARAM>(wanted));
            else if (!c.hasAddress && filled == 4)
                SendMessageW(w, IPM_CLEARADDRESS, 0, 0);
            break;
        }
        case ControlKind::ProgressBar:
            if (first || was.rangeMin != c.rangeMin || was.rangeMax != c.rangeMax)
                SendMessageW(w, PBM_SETRANGE32, static_cast<WPARAM>(c.rangeMin), c.rangeMax);
            if (SendMessageW(w, PBM_GETPOS, 0, 0) != c.position)
                SendMessageW(w, PBM_SETPOS, static_cast<WPARAM>(c.position), 0);
            break;
    }
    if ((IsWindowEnabled(w) != FALSE) != c.enabled) {
        // A control losing the focus as it is disabled hands it on, as a dialog does.
        if (!c.enabled && GetFocus() == w) SendMessageW(m_hwnd, WM_NEXTDLGCTL, 0, FALSE);
        EnableWindow(w, c.enabled ? TRUE : FALSE);
    }
    if ((IsWindowVisible(w) != FALSE) != c.visible || first)
        ShowWindow(w, c.visible ? SW_SHOWNA : SW_HIDE);
    b.shown = c;
    b.rendered = true;
}

INT_PTR CALLBACK DialogWindow::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<DialogWindow*>(lParam)->m_hwnd = hwnd;
        return FALSE;  // the focus is set once the controls exist
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self == nullptr ? FALSE : self->handle(message, wParam, lParam);
}

INT_PTR DialogWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            close();
            return TRUE;
        case WM_SYSCOMMAND:
            for (const auto& item : m_model.systemMenuItems()) {
                if ((wParam & 0xFFF0) == (static_cast<WPARAM>(item.command) & 0xFFF0)) {
                    const int command = item.command;
                    dispatch([&] { m_model.systemCommand(command); });
                    return TRUE;
                }
            }
            return FALSE;
        case WM_SETCURSOR:
            if (m_shell.waitCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void DialogWindow::command(int id, int code) {
    auto it = m_byId.find(id);
    if (it == m_byId.end()) {
        // Escape, or Enter without a default button of the model's.
        if (id == IDCANCEL) close();
        return;
    }
    if (m_rendering) return;
    Binding& b = *it->second;
    switch (b.kind) {
        case ControlKind::Button:
        case ControlKind::IconButton:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            // A double click on an owner-drawn button is a second click.
            if (code == BN_CLICKED || code == BN_DOUBLECLICKED)
                dispatch([&] { m_model.click(id); });
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE) {
                const std::string text = toUtf8(windowText(b.hwnd));
                dispatch([&] { m_model.editText(id, text); });
            }
            break;
        case ControlKind::DropList:
            if (code == CBN_DROPDOWN) {
                dispatch([&] { m_model.dropDown(id); });
            } else if (code == CBN_SELENDOK ||
                       (code == CBN_SELCHANGE &&
                        SendMessageW(b.hwnd, CB_GETDROPPEDSTATE, 0, 0) == FALSE)) {
                const int index = static_cast<int>(SendMessageW(b.hwnd, CB_GETCURSEL, 0, 0));
                dispatch([&] { m_model.select(id, index); });
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                const int index = static_cast<int>(SendMessageW(b.hwnd, LB_GETCURSEL, 0, 0));
                dispatch([&] { m_model.select(id, index); });
            }
            break;
        case ControlKind::IpAddress:
            if (code == EN_CHANGE) {
                DWORD address = 0;
                const LRESULT filled =
                    SendMessageW(b.hwnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
                std::optional<std::array<uint8_t, 4>> octets;
                if (filled == 4)
                    octets =
                        std::array<uint8_t, 4>{static_cast<uint8_t>(FIRST_IPADDRESS(address)),
                                               static_cast<uint8_t>(SECOND_IPADDRESS(address)),
                                               static_cast<uint8_t>(THIRD_IPADDRESS(address)),
                                               static_cast<uint8_t>(FOURTH_IPADDRESS(address))};
                dispatch([&] { m_model.setIpOctets(id, octets); });
            }
            break;
        default:
            break;
    }
}

void DialogWindow::drawItem(const DRAWITEMSTRUCT& item) {
    auto it = m_byId.find(static_cast<int>(item.CtlID));
    if (it == m_byId.end()) return;
    const ui::Control* c = m_model.find(it->first);
    if (c == nullptr) return;
    if (c->kind == ControlKind::IconButton) {
        IconButtonState state;
        state.pressed = (item.itemState & ODS_SELECTED) != 0;
        state.focused = (item.itemState & ODS_FOCUS) != 0;
        state.enabled = (item.itemState & ODS_DISABLED) == 0;
        state.isDefault = c->isDefault;
        RECT client;
        GetClientRect(item.hwndItem, &client);
        const int iconSize =
            std::min<int>(MulDiv(32, GetDeviceCaps(item.hDC, LOGPIXELSY), 96), client.bottom - 6);
        drawIconButton(item.hDC, item.rcItem, toUtf16(c->text),
                       c->iconNumber != 0 ? iconFor(c->iconNumber, iconSize) : nullptr, iconSize,
                       state);
    } else if (c->kind == ControlKind::GroupBox) {
        GroupBoxLook look;
        look.caption = toUtf16(c->text);
        look.colour = c->colour ? static_cast<COLORREF>(*c->colour) : GetSysColor(COLOR_WINDOWTEXT);
        look.alignment = c->alignment;
        drawGroupBox(item.hDC, item.rcItem, c->bold ? m_boldFont : m_font, look);
    }
}

void DialogWindow::close() {
    if (m_busy > 0) {
        // A sequence runs: it ends at its next step, then the dialog closes the ordinary way
        // (leaving command mode first).
        m_closeAfterBusy = true;
        requestInterrupt(0);
        return;
    }
    dispatch([&] { m_model.requestClose(ui::kIdCancel); });
}

void DialogWindow::closeAfterSequence() {
    m_closeAfterBusy = false;
    if (interruptSignal() == 0) clearInterrupt();  // the request was this window's own
    dispatch([&] { m_model.requestClose(ui::kIdCancel); });
}

}  // namespace setrion::gui
