#include "windows/editor_settings.h"

#include <string>

namespace kestrix {

bool ReadBoolSetting(platform::Services& services, const BoolSetting& setting) {
    const std::string value = services.ReadSetting(std::string(setting.key));
    return value.empty() ? setting.byDefault : value == "true";
}

void WriteBoolSetting(platform::Services& services, const BoolSetting& setting, bool on) {
    services.WriteSetting(std::string(setting.key), on ? "true" : "false");
}

} // namespace kestrix
