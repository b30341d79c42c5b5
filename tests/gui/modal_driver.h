#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace setrion::gui::test {

// Hands each new modal window, in the order they appear, to the next of `acts`; a window
// opened from inside an act (a chooser under a dialog) gets the next act too. Stops after the
// last act or after `boundMs`.
class ModalSequence {
public:
    using Act = std::function<void(QWidget*)>;
    ModalSequence(std::vector<Act> acts, QWidget* except = nullptr, int boundMs = 20000)
        : m_acts(std::move(acts)), m_except(except), m_bound(boundMs) {
        m_clock.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    // Acts that have run to their end.
    size_t done() const { return m_done; }
    bool finished() const { return m_done == m_acts.size(); }

private:
    void poll() {
        if (m_next >= m_acts.size() || m_clock.elapsed() > m_bound) {
            m_timer.stop();
            return;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || w == m_except || !w->isVisible()) return;
        for (const QPointer<QWidget>& seen : m_seen)
            if (seen == w) return;
        m_seen.emplace_back(w);
        // Acted on from its own zero timer: Qt does not fire this polling timer again while
        // its own handler runs, and an act may open a nested modal window.
        const size_t index = m_next++;
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, w, [this, index, target] {
            if (!target) return;
            m_acts[index](target.data());
            ++m_done;
        });
    }
    std::vector<Act> m_acts;
    std::vector<QPointer<QWidget>> m_seen;  // deleted windows drop out, so addresses may recur
    size_t m_next = 0;
    size_t m_done = 0;
    QWidget* m_except;
    int m_bound;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

// Hands the first modal window other than `except` that becomes active to `act`, once.
// Gives up after `boundMs`.
class ModalDriver {
public:
    using Act = ModalSequence::Act;
    ModalDriver(Act act, QWidget* except = nullptr, int boundMs = 5000)
        : m_sequence({std::move(act)}, except, boundMs) {}
    bool acted() const { return m_sequence.finished(); }

private:
    ModalSequence m_sequence;
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
