#pragma once
#include <optional>
#include <string>

#include "ui/kit/dialog.h"

namespace setrion::ui {

// Asks for a LAN module's password before a save over the network: a masked edit of at
// most 10 characters, OK and Cancel.
class ModulePasswordDlg final : public Dialog {
public:
    static constexpr int kTemplateId = 7320;
    static constexpr int kPromptId = 7321;
    static constexpr int kPasswordId = 7322;
    static constexpr size_t kMaxLength = 10;

    ModulePasswordDlg(Shell& shell, std::string macText);
    std::string password() const { return control(kPasswordId).text; }

    // Runs the dialog modally: the password, or nullopt when the user cancels.
    static std::optional<std::string> ask(Shell& shell, const std::string& macText);

protected:
    void onInit() override;
};

}  // namespace setrion::ui
