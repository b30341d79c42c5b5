#include "gui/qt/ip_address_edit.h"

#include <QHBoxLayout>
#include <QIntValidator>
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
        m_fields[i] = f;
        connect(f, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            // Three digits move on to the next field, as the system control does.
            if (text.size() == 3 && i + 1 < m_fields.size()) m_fields[i + 1]->setFocus();
            emit octetsEdited();
        });
    }
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
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
