#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace setrion::app {

// The steps of start-up, supplied by the host (the Qt program, or a test). A step left empty
// is treated as succeeding / doing nothing.
struct StartupSteps {
    std::function<bool()> initComponents;  // component library; false ends the program
    std::function<bool()> initSockets;     // sockets for the network search; false ends it
    std::function<void()> enableControls;  // control hosting and 3-D controls
    // Called with true for a start as an embedded or automation server (register the class
    // factories as running), false for an ordinary start (write the registration entries).
    std::function<void(bool automated)> registerAutomation;
    std::function<void()> runMainDialog;  // shows the main dialog modally; returns when it closes
    std::function<void(const std::string&)> showMessage;  // message box for a failure
};

struct StartupResult {
    int exitCode = 0;          // 0 in every case: a failed start still ends with 0
    bool dialogShown = false;  // false when a library step failed
    bool automated = false;
};

// True when the command line carries the embedding or automation switch ("-Embedding",
// "/Embedding", "-Automation", "/Automation", any case).
bool isAutomationStart(const std::vector<std::string>& args);

// Runs start-up in its fixed order: components, sockets, controls, automation registration,
// main dialog. A failure of the first two shows its message and ends before any window.
StartupResult runStartup(const StartupSteps& steps, const std::vector<std::string>& args);

}  // namespace setrion::app
