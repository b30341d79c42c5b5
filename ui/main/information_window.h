#pragma once
#include "printer/setting_names.h"
#include "ui/kit/dialog.h"

namespace setrion::ui {

// The information window (template 144): confirms a finished printer setting with a title,
// one text (static 1136) and an OK button (icon 145).
class InformationWindow final : public Dialog {
public:
    enum class Kind : int { PowerSave = 0, CodePage = 1, FactoryReset = 2, Density = 3, FontDownload = 4 };
    static constexpr int kTemplateId = 144;
    static constexpr int kTextId = 1136;

    InformationWindow(Shell& shell, Kind kind);
    void setPowerSave(PowerSaveMode mode, int minutes) {
        m_mode = mode;
        m_minutes = minutes;
    }
    void setCodePageIndex(int index) { m_codePage = index; }
    void setDensityIndex(int index) { m_density = index; }

    // The title and body the window shows for its kind and values.
    std::string titleText() const;
    std::string bodyText() const;

protected:
    void onInit() override;

private:
    Kind m_kind;
    PowerSaveMode m_mode = PowerSaveMode::None;
    int m_minutes = 0;
    int m_codePage = 0;
    int m_density = 0;
};

}  // namespace setrion::ui
