#pragma once
// Settings profiles applied to a module on the printer link: the write input of each module
// kind starts from what the module reported, the profile's values replace what it sets, and
// what the module reports is expressed as profile values for the comparisons of
// settings_diff.h (a dry run before, the read-back check after a write).
#include <optional>
#include <string>

#include "wifi/module/command_mode_read.h"
#include "wifi/module/command_mode_write.h"
#include "wifi/module/settings_block_exchange.h"
#include "wifi/settings/profile.h"

namespace setrion::wifi {

// A profile value the module at hand has no room for: the message names the key
// ("channel: a command-mode module takes 1-14"). nullopt when the profile fits.
using ProfileRefusal = std::optional<std::string>;

// The write input that writes back what a command-mode module reported (WEP keys as the
// hexadecimal texts of the store of the encryption in use).
CommandModeWriteInput commandModeWriteInput(const CommandModeSettings& read);
// The write input that writes back what a settings-block module reported. Its key fields
// are cleared on read, so the WPA and WEP key texts start empty.
BlockWriteInput blockWriteInput(const WifiSettings& record);

// Replaces the values the profile sets. On a refusal `in` is left unchanged.
ProfileRefusal applyToCommandMode(const SettingsPatch& patch, CommandModeWriteInput& in);
// `lpdSupport`: the module has LPD settings and 5 GHz channels (WifiSettings::hasLpdSupport).
ProfileRefusal applyToBlock(const SettingsPatch& patch, bool lpdSupport, BlockWriteInput& in);

// What a command-mode module reported, as profile values (its WPA passphrase and WEP keys
// included; it has no LPD settings, reported as disabled with an empty queue).
SettingsPatch reportedSettings(const CommandModeSettings& read);

}  // namespace setrion::wifi
