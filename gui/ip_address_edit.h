#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

namespace setrion::gui {

// Four octet fields separated by dots, like a system IP-address control.
class IpAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);
    std::array<uint8_t, 4> octets() const;
    // Shows the octets without signalling a user change.
    void setOctets(const std::array<uint8_t, 4>& octets);
    QLineEdit* field(int index) const { return m_fields[static_cast<size_t>(index)]; }

signals:
    // The user changed a field.
    void octetsEdited();

private:
    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace setrion::gui
