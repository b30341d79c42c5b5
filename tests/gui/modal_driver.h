#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace setrion::gui::test {

// Waits (on a timer, from inside whatever modal loop is running) for a modal window other
// than `except` to become active, and hands it to `act`, once. Gives up after `boundMs`.
class ModalDriver {
public:
    using Act = std::function<void(QWidget*)>;
    ModalDriver(Act act, QWidget* except = nullptr, int boundMs = 5000)
        : m_act(std::move(act)), m_except(except), m_bound(boundMs) {
        m_clock.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    bool acted() const { return m_acted; }

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w != nullptr && w != m_except && w->isVisible()) {
            m_timer.stop();
            m_acted = true;
            m_act(w);
        } else if (m_clock.elapsed() > m_bound) {
            m_timer.stop();
        }
    }
    Act m_act;
    QWidget* m_except;
    int m_bound;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_acted = false;
};

// What a message box showed.
struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

inline ShownBox readBox(QWidget* w) {
    ShownBox b;
    if (auto* mb = qobject_cast<QMessageBox*>(w)) {
        b.caption = mb->windowTitle();
        b.text = mb->text();
        b.icon = mb->icon();
        b.buttons = mb->standardButtons();
    }
    return b;
}

}  // namespace setrion::gui::test
