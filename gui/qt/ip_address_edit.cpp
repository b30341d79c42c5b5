#include "gui/qt/ip_address_edit.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace setrion::gui {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) row->addWidget(new QLabel(".", this));
        auto* f = new QLineEdit(this);
        f->setValidator(new QIntValidator(0, 255, f));
        f->setMaxLength(3);
        f->setAlignment(Qt::AlignCenter);
        f->setFrame(false);
        row->addWidget(f, 1);
        // Tab reaches the control once, at its first field; the others by the keys below.
        f->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        f->installEventFilter(this);
        m_fields[i] = f;
        connect(f, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            // Three digits move on to the next field, as the system control does.
            if (text.size() == 3 && i + 1 < m_fields.size()) m_fields[i + 1]->setFocus();
            emit octetsEdited();
        });
    }
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);  // a stop in the dialog's tab order, at the first field
    setFocusProxy(m_fields[0]);
}

void IpAddressEdit::enterField(size_t index, int position) {
    QLineEdit* f = m_fields[index];
    f->setFocus(Qt::OtherFocusReason);
    f->deselect();
    f->setCursorPosition(position < 0 ? static_cast<int>(f->text().size()) : position);
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    size_t i = 0;
    while (i < m_fields.size() && m_fields[i] != watched) ++i;
    if (i == m_fields.size()) return QWidget::eventFilter(watched, event);
    QLineEdit* f = m_fields[i];
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool atStart = f->cursorPosition() == 0 && !f->hasSelectedText();
    const bool atEnd = f->cursorPosition() == f->text().size() && !f->hasSelectedText();
    const bool last = i + 1 == m_fields.size();
    switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // A separator moves on once the field holds a digit; it is never typed.
            if (!last && !f->text().isEmpty()) enterField(i + 1, -1);
            if (!last && !f->text().isEmpty()) m_fields[i + 1]->selectAll();
            return true;
        case Qt::Key_Right:
            if (atEnd && !last && key->modifiers() == Qt::NoModifier) {
                enterField(i + 1, 0);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (atStart && i > 0 && key->modifiers() == Qt::NoModifier) {
                enterField(i - 1, -1);
                return true;
            }
            break;
        case Qt::Key_Backtab:
            // Back out of the control from any field, as from the first.
            if (i > 0) {
                m_fields[0]->setFocus(Qt::BacktabFocusReason);
                focusNextPrevChild(false);
                return true;
            }
            break;
        case Qt::Key_Backspace:
            if (atStart && i > 0) {
                // Into the previous field, taking its last digit, so holding Backspace
                // empties the address from right to left.
                enterField(i - 1, -1);
                QLineEdit* prev = m_fields[i - 1];
                if (!prev->text().isEmpty()) {
                    prev->backspace();
                    emit octetsEdited();
                }
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<std::array<uint8_t, 4>> IpAddressEdit::address() const {
    std::array<uint8_t, 4> out{};
    for (size_t i = 0; i < out.size(); ++i) {
        bool ok = false;
        const int value = m_fields[i]->text().toInt(&ok);
        if (!ok || value < 0 || value > 255) return std::nullopt;
        out[i] = static_cast<uint8_t>(value);
    }
    return out;
}

void IpAddressEdit::setAddress(const std::optional<std::array<uint8_t, 4>>& address) {
    if (this->address() == address) return;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const QString text = address ? QString::number((*address)[i]) : QString();
        if (m_fields[i]->text() != text) m_fields[i]->setText(text);
    }
}

}  // namespace setrion::gui
