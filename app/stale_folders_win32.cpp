// The demo runs its simulators on Linux only; Windows has no demo folders to look after.
#include "app/stale_folders.h"

namespace setrion::app {

void markFolderOwner(const std::string&) {}

int removeStaleFolders(const std::string&, const std::string&) {
    return 0;
}

}  // namespace setrion::app
