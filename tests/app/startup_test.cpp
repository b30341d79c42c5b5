#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_identity.h"
#include "app/startup.h"

using namespace setrion::app;

namespace {

// Steps that log their calls; `failAt` makes that library step fail.
struct Recorder {
    std::vector<std::string> calls;
    std::string failAt;
    StartupSteps steps() {
        StartupSteps s;
        s.initComponents = [this] { calls.push_back("components"); return failAt != "components"; };
        s.initSockets = [this] { calls.push_back("sockets"); return failAt != "sockets"; };
        s.enableControls = [this] { calls.push_back("controls"); };
        s.registerAutomation = [this](bool automated) {
            calls.push_back(automated ? "register-running" : "update-registry");
        };
        s.runMainDialog = [this] { calls.push_back("dialog"); };
        s.showMessage = [this](const std::string& m) { calls.push_back("message:" + m); };
        return s;
    }
};

}  // namespace

TEST(AppIdentity, IdentifiersAndMessagesAreTheProgramsOwn) {
    EXPECT_STREQ(kProgrammaticId, "Qx7SerialSet.Application");
    EXPECT_STREQ(kClassId, "{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}");
    EXPECT_STREQ(kProxyInterfaceId, "{FC3ED639-A85E-4166-B745-B233F48D8610}");
    EXPECT_STREQ(kOleInitFailed,
                 "OLE initialization failed.  Make sure that the OLE libraries are the correct "
                 "version.");
    EXPECT_STREQ(kSocketInitFailed, "Windows sockets initialization failed.");
    EXPECT_EQ(kOleInitFailedId, 100);
    EXPECT_EQ(kSocketInitFailedId, 105);
}

TEST(Startup, OrdinaryStartRunsEveryStepInOrder) {
    Recorder r;
    StartupResult res = runStartup(r.steps(), {"setrion"});
    EXPECT_EQ(r.calls, (std::vector<std::string>{"components", "sockets", "controls",
                                                  "update-registry", "dialog"}));
    EXPECT_EQ(res.exitCode, 0);
    EXPECT_TRUE(res.dialogShown);
    EXPECT_FALSE(res.automated);
}

TEST(Startup, AutomationSwitchRegistersAsRunningAndStillShowsTheDialog) {
    for (const char* sw : {"-Embedding", "/Automation", "-automation", "/EMBEDDING"}) {
        Recorder r;
        StartupResult res = runStartup(r.steps(), {"setrion", sw});
        EXPECT_EQ(r.calls, (std::vector<std::string>{"components", "sockets", "controls",
                                                      "register-running", "dialog"}))
            << sw;
        EXPECT_TRUE(res.automated) << sw;
    }
    EXPECT_FALSE(isAutomationStart({"setrion", "Embedding", "--port", "-Embed"}));
}

TEST(Startup, LibraryFailureShowsItsMessageAndEndsBeforeAnyWindow) {
    Recorder comp;
    comp.failAt = "components";
    StartupResult a = runStartup(comp.steps(), {});
    EXPECT_EQ(comp.calls,
              (std::vector<std::string>{
                  "components",
                  "message:OLE initialization failed.  Make sure that the OLE libraries are the "
                  "correct version."}));
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_FALSE(a.dialogShown);

    Recorder sock;
    sock.failAt = "sockets";
    StartupResult b = runStartup(sock.steps(), {});
    EXPECT_EQ(sock.calls, (std::vector<std::string>{
                              "components", "sockets",
                              "message:Windows sockets initialization failed."}));
    EXPECT_FALSE(b.dialogShown);
}
