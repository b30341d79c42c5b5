#pragma once
#include "fonts/font_job.h"
#include "ui/kit/dialog.h"

namespace setrion::ui {

// The font ID dialog (template 160): the printer's font number (100 to 499) and the target
// memory. Each opening starts the list at "100"; the target memory is kept from the last use
// when the remember flag is set, else it starts at RAM.
class CFontIdDlg final : public Dialog {
public:
    static constexpr int kTemplateId = 160;

    explicit CFontIdDlg(Shell& shell);

    void setRemember(bool remember) { m_remember = remember; }
    int fontId() const { return m_fontId; }
    fonts::TargetMemory targetMemory() const { return m_memory; }

protected:
    void onInit() override;
    void onClicked(int id) override;
    void onSelectionChanged(int id) override;

private:
    void checkMemory();

    int m_position = 0;
    int m_fontId = fonts::kFirstFontId;
    fonts::TargetMemory m_memory = fonts::TargetMemory::Ram;
    bool m_remember = false;
};

}  // namespace setrion::ui
