#include "windows/frmPreferences.h"

#include <stdexcept>

namespace kestrix {

const std::vector<BooleanSetting>& BooleanSettings() {
    static const std::vector<BooleanSetting> settings{
        {kReopenLastFile, "&Reopen the last file when started without one", false},
        {kKeepLayout, "&Keep the file's layout", true},
        {kKeepBackup, "Keep the file as opened in NAME.&bak", kKeepBackupByDefault},
        {kStrictChecks, "&Strict checks", false},
    };
    return settings;
}

bool SettingOn(platform::Services& services, std::string_view key) {
    for (const BooleanSetting& setting : BooleanSettings())
        if (setting.key == key) {
            const std::string kept = services.ReadSetting(std::string(key));
            return kept.empty() ? setting.byDefault : kept == "1";
        }
    throw std::logic_error("no such setting: " + std::string(key));
}

namespace {

// The version the settings are written for; none before the layout was kept by default.
constexpr const char* kSettingsVersion = "SettingsVersion";
constexpr const char* kThisVersion = "1";

} // namespace

void UpgradeSettings(platform::Services& services) {
    if (!services.ReadSetting(kSettingsVersion).empty())
        return;
    if (services.ReadSetting(std::string(kKeepLayout)) == "0")
        services.WriteSetting(std::string(kKeepLayout), "1");
    services.WriteSetting(kSettingsVersion, kThisVersion);
}

frmPreferences::frmPreferences(platform::Services& services) : Window("frmPreferences"), services_(services) {
    SetCaption("Preferences");
    for (const BooleanSetting& setting : BooleanSettings()) {
        auto box = std::make_unique<platform::CheckBox>("chkSetting" + std::to_string(chkSetting.size()));
        box->SetCaption(std::string(setting.caption));
        box->SetValue(SettingOn(services_, setting.key) ? 1 : 0);
        box->JoinFocusScope(Focus);
        chkSetting.push_back(std::move(box));
    }
    cmdOk.SetCaption("Ok");
    cmdCancel.SetCaption("Cancel");
    DefaultButton = &cmdOk;
    CancelButton = &cmdCancel;
    cmdOk.Click = [this] { cmdOk_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&cmdOk, &cmdCancel});
    if (!chkSetting.empty())
        chkSetting.front()->SetFocus();
}

void frmPreferences::cmdOk_Click() {
    for (std::size_t i = 0; i < chkSetting.size(); ++i)
        services_.WriteSetting(std::string(BooleanSettings()[i].key), chkSetting[i]->Value() ? "1" : "0");
    Saved = true;
    Unload();
}

void frmPreferences::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
