// Folders a demo killed outright leaves behind go at the next start; others stay.
#include "app/stale_folders.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(StaleFolders, OnlyFoldersOfEndedDemosAreRemoved) {
    const fs::path parent =
        fs::temp_directory_path() / ("setrion-stale-" + std::to_string(::getpid()));
    const pid_t ended = ::fork();  // a process id that has certainly ended
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    for (const auto& [name, owner] : {std::pair<std::string, long>{"setrion-demo-dead", ended},
                                      {"setrion-demo-live", ::getpid()},
                                      {"setrion-demo-nonote", 0},
                                      {"other-dead", ended}}) {
        fs::create_directories(parent / name);
        std::ofstream(parent / name / "Tessun_WIFI.ini") << "WPAKEY=secret\n";
        if (owner > 0) std::ofstream(parent / name / setrion::app::kOwnerFileName) << owner << "\n";
    }
    EXPECT_EQ(setrion::app::removeStaleFolders(parent.string(), "setrion-demo-"), 1);
    EXPECT_FALSE(fs::exists(parent / "setrion-demo-dead"));
    for (const char* kept : {"setrion-demo-live", "setrion-demo-nonote", "other-dead"})
        EXPECT_TRUE(fs::exists(parent / kept / "Tessun_WIFI.ini")) << kept;
    fs::remove_all(parent);
}
