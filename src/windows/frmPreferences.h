#pragma once

#include "files/settings_file.h"
#include "platform/services.h"
#include "platform/window.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// A choice the user makes once and the program keeps across runs.
struct BooleanSetting {
    std::string_view key;
    std::string_view caption;
    bool byDefault;
};

inline constexpr std::string_view kReopenLastFile = "Preferences/ReopenLastFile";
// On: a save writes into the file's own lines, changed only where the document changed. Off: the
// editor's own form.
inline constexpr std::string_view kKeepLayout = "Preferences/KeepLayout";
// On: the first save after opening keeps the file as it was opened in NAME.bak. The command line
// reads it too, from the settings file.
inline constexpr std::string_view kKeepBackup = kKeepBackupSetting;
// On: the error lists and the car table also name values the game would not read as meant.
inline constexpr std::string_view kStrictChecks = "Preferences/StrictChecks";

// Every on-or-off setting of the Preferences window, in the order it shows them.
const std::vector<BooleanSetting>& BooleanSettings();
// The setting as the user left it, else its default.
bool SettingOn(platform::Services& services, std::string_view key);
// Brings settings written by an earlier version up to this one, once: the
// layout is kept by default now, and an "off" from before was no choice of the
// user's (the Preferences window stored every box on Ok), so it is read as "on".
void UpgradeSettings(platform::Services& services);

// The Preferences window: a tick box per setting, kept when Ok is pressed.
class frmPreferences : public platform::Window {
  public:
    explicit frmPreferences(platform::Services& services);

    // One per setting, in the order of the table.
    std::vector<std::unique_ptr<platform::CheckBox>> chkSetting;
    platform::Button cmdOk{"cmdOk"};
    platform::Button cmdCancel{"cmdCancel"};
    // Whether Ok kept the settings.
    bool Saved = false;

    void cmdOk_Click();
    void cmdCancel_Click();

  private:
    platform::Services& services_;
};

} // namespace kestrix
