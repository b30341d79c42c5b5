#include "app/startup.h"

#include <algorithm>
#include <cctype>

#include "app/app_identity.h"

namespace setrion::app {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

bool isAutomationStart(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) continue;
        const std::string name = lower(std::string_view(arg).substr(1));
        if (name == "embedding" || name == "automation") return true;
    }
    return false;
}

StartupResult runStartup(const StartupSteps& steps, const std::vector<std::string>& args) {
    StartupResult result;
    auto fail = [&](const char* message) {
        if (steps.showMessage) steps.showMessage(message);
        return result;
    };
    if (steps.initComponents && !steps.initComponents()) return fail(kOleInitFailed);
    if (steps.initSockets && !steps.initSockets()) return fail(kSocketInitFailed);
    if (steps.enableControls) steps.enableControls();
    result.automated = isAutomationStart(args);
    if (steps.registerAutomation) steps.registerAutomation(result.automated);
    result.dialogShown = true;
    if (steps.runMainDialog) steps.runMainDialog();
    return result;
}

}  // namespace setrion::app
