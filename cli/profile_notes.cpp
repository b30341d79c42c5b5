#include "cli/profile_notes.h"

#include <ostream>
#include <string>

namespace setrion::cli {

void noteIgnoredKeys(const wifi::SettingsPatch& patch, std::ostream& err) {
    for (const auto& key : patch.ignoredKeys) err << key << ": identifies one device, ignored\n";
    for (const auto& note : patch.unusedKeys) err << note << ", ignored\n";
}

}  // namespace setrion::cli
