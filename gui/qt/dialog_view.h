#pragma once
#include <QDialog>
#include <QMenu>
#include <QRect>

class QLineEdit;
#include <map>
#include <memory>
#include <vector>

#include "ui/kit/dialog.h"

namespace setrion::gui {

class QtShell;

// Shows one dialog model as a Qt window: one widget per control, chosen by its kind and
// placed at its rectangle in dialog units. User input goes to the model's entry points;
// after every entry point (and on the shell's repaint) render() shows the whole model again.
class DialogView : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogFontPoints = 8;
    DialogView(ui::Dialog& model, QtShell& shell, QWidget* parent = nullptr);
    ~DialogView() override;

    ui::Dialog& model() { return m_model; }
    // Shows the model's state in every widget and in the window; closes the window once
    // the model has ended.
    void render();
    // Runs one model entry point, then renders. A close asked for while it ran (a sequence
    // keeps painting) is made once it has returned.
    template <class F>
    void dispatch(F&& entry) {
        if (m_rendering) return;  // a widget signalling while it is being set
        ++m_busy;
        entry();
        --m_busy;
        render();
        if (m_busy == 0 && m_closeAfterBusy) closeAfterSequence();
    }
    QWidget* widget(int id) const;
    // Pixel rectangle of a rectangle in dialog units, by this window's font.
    QRect toPixels(const ui::Rect& du) const;
    QSize baseUnits() const { return m_base; }
    // The model's system menu entries as a menu (shown on a right click in the window);
    // null when the model has none.
    std::unique_ptr<QMenu> systemMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding;
    QWidget* createWidget(const ui::Control& c);
    void renderControl(Binding& b, const ui::Control& c);
    // Routes the characters typed into `edit` through the model's acceptsTypedCharacter().
    void filterTypedCharacters(QLineEdit* edit, int id);
    void closeAfterSequence();
    // The control that has the focus (or holds the widget that has it), 0 for none.
    int focusedControl() const;

    ui::Dialog& m_model;
    QtShell& m_shell;
    QSize m_base;
    bool m_rendering = false;
    bool m_closing = false;
    int m_busy = 0;                 // model entry points running (nested by modal loops)
    bool m_closeAfterBusy = false;  // the window was closed while one ran
    std::vector<std::unique_ptr<Binding>> m_bindings;
    std::map<int, Binding*> m_byId;
};

}  // namespace setrion::gui
