#pragma once

#include "platform/services.h"

#include <string_view>

namespace kestrix {

// A choice the user makes once for every file, kept across runs; the
// Preferences window shows one row per setting.
struct BoolSetting {
    std::string_view key;
    std::string_view caption;
    bool byDefault;
};

// Off by default: the editor's own form stays the form of a save.
inline constexpr BoolSetting kKeepLayoutSetting{"saving/keepLayout", "Keep the file's layout", false};
// Off by default: the error lists show the standard findings only.
inline constexpr BoolSetting kStrictChecksSetting{"checks/strict", "Strict checks", false};

bool ReadBoolSetting(platform::Services& services, const BoolSetting& setting);
void WriteBoolSetting(platform::Services& services, const BoolSetting& setting, bool on);

} // namespace kestrix
