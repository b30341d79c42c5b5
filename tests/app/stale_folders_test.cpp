// Folders a demo killed outright leaves behind go at the next start; others stay.
#include "app/stale_folders.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace setrion::app;

TEST(StaleFolders, OnlyFoldersOfEndedDemosAreRemoved) {
    const fs::path parent =
        fs::temp_directory_path() / ("setrion-stale-" + std::to_string(::getpid()));
    fs::create_directories(parent);
    // A process id that has certainly ended: a child reaped here.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    auto folder = [&](const std::string& name, long owner) {
        fs::create_directories(parent / name);
        std::ofstream(parent / name / "Tessun_WIFI.ini") << "WPAKEY=secret\n";
        if (owner > 0) std::ofstream(parent / name / kOwnerFileName) << owner << "\n";
    };
    folder("setrion-demo-dead", ended);
    folder("setrion-demo-live", ::getpid());
    folder("setrion-demo-nonote", 0);
    folder("other-dead", ended);
    markFolderOwner((parent / "setrion-demo-nonote").string());  // now held by this process

    EXPECT_EQ(removeStaleFolders(parent.string(), "setrion-demo-"), 1);
    EXPECT_FALSE(fs::exists(parent / "setrion-demo-dead"));
    EXPECT_TRUE(fs::exists(parent / "setrion-demo-live/Tessun_WIFI.ini"));
    EXPECT_TRUE(fs::exists(parent / "setrion-demo-nonote"));
    EXPECT_TRUE(fs::exists(parent / "other-dead"));
    fs::remove_all(parent);
}
