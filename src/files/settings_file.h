#pragma once

#include "files/file_operations.h"

#include <string>
#include <string_view>

namespace kestrix {

// The editor keeps the user's choices in a file of its own (SettingsFilePath),
// so that the command line, which starts no window, follows the same choices.

// The value kept for key ("Group/Name") in the text of a settings file; empty
// when none is kept. Names and values are the plain ones the program writes.
std::string SettingIn(std::string_view text, std::string_view key);
// The same from the settings file itself; empty when it cannot be read.
std::string KeptSetting(std::string_view key, FileOperations& files = SystemFiles());

// Whether a save keeps the file it replaces as NAME.bak: on unless the user turned it off.
inline constexpr std::string_view kKeepBackupSetting = "Preferences/KeepBackup";
inline constexpr bool kKeepBackupByDefault = true;
bool KeepsBackups(FileOperations& files = SystemFiles());

} // namespace kestrix
