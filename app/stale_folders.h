#pragma once
// Temporary folders of the demo, which a process killed outright (SIGKILL) leaves behind with
// the simulators' files in them (the Wi-Fi INI file holds keys).
#include <string>

namespace setrion::app {

// Notes in `folder` that this process holds it (a file kOwnerFileName with its process id).
void markFolderOwner(const std::string& folder);

// Removes the folders directly in `parent` whose name starts with `prefix`, that belong to
// this user and whose noted owner process has ended; a folder of a running program, of
// another user, or without a note is left alone. Returns how many were removed.
int removeStaleFolders(const std::string& parent, const std::string& prefix);

inline constexpr const char* kOwnerFileName = "owner.pid";

}  // namespace setrion::app
