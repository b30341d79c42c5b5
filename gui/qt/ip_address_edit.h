#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace setrion::gui {

// Four octet fields separated by dots, like a system IP-address control: one tab stop (the
// first field); '.' and Space go to the next field, Right at a field's end and Left at its
// start cross to the neighbour, Backspace at a field's start goes back into the previous one.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The user changed a field.
    void octetsEdited();

private:
    // Puts the cursor into field `index` at `position` (-1: its end).
    void enterField(size_t index, int position);

    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace setrion::gui
