#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace setrion::gui {

// Four octet fields separated by dots, like a system IP-address control.
class IpAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);
    // The four octets, or nothing while a field is blank.
    std::optional<std::array<uint8_t, 4>> address() const;
    // Shows the octets, or four blank fields, without signalling a user change. Blank stays
    // as the user left it when a field is already blank (a part typed, not yet complete).
    void setAddress(const std::optional<std::array<uint8_t, 4>>& address);
    QLineEdit* field(int index) const { return m_fields[static_cast<size_t>(index)]; }

signals:
    // The user changed a field.
    void octetsEdited();

private:
    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace setrion::gui
