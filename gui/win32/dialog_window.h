#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/win32/win32_api.h"
#include "ui/kit/dialog.h"

namespace setrion::gui {

class Win32Shell;

// Shows one dialog model as a Win32 dialog: a dialog window made from an empty in-memory
// template with the dialog font, and one child control per model control, chosen by its kind,
// made with CreateWindowEx at its rectangle passed through MapDialogRect. User input goes to
// the model's entry points; after every entry point (and on the shell's repaint) render()
// shows the whole model again.
class DialogWindow {
  public:
    DialogWindow(ui::Dialog& model, Win32Shell& shell, HWND owner);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    ui::Dialog& model() { return m_model; }
    HWND control(int id) const;
    // Pixel rectangle of a rectangle in dialog units, in the dialog's client coordinates.
    RECT toPixels(const ui::Rect& du) const;

    // Shows the model's state in every control and in the window.
    void render();
    // Runs one model entry point, then renders. A close asked for while it ran (a sequence
    // keeps painting) is made once it has returned.
    template <class F>
    void dispatch(F&& entry) {
        if (m_rendering) return;  // a control notifying while it is being set
        ++m_busy;
        entry();
        --m_busy;
        render();
        if (m_busy == 0 && m_closeAfterBusy) closeAfterSequence();
    }
    // The close box, Alt+F4 or Escape.
    void close();
    bool busy() const { return m_busy > 0; }

  private:
    struct Binding;
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR subclass, DWORD_PTR data);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControl(const ui::Control& c);
    void renderControl(Binding& b, const ui::Control& c);
    void command(int id, int code);
    void drawItem(const DRAWITEMSTRUCT& item);
    void filterTypedCharacters(HWND edit, int id);
    void closeAfterSequence();
    HICON iconFor(int resource, int size);

    ui::Dialog& m_model;
    Win32Shell& m_shell;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    bool m_rendering = false;
    int m_busy = 0;
    bool m_closeAfterBusy = false;
    std::vector<std::unique_ptr<Binding>> m_bindings;
    std::map<int, Binding*> m_byId;
    std::map<std::pair<int, int>, HICON> m_icons;  // (resource, size)
    HICON m_windowIconSmall = nullptr;
    HICON m_windowIconLarge = nullptr;
    int m_windowIconShown = -1;
};

}  // namespace setrion::gui
