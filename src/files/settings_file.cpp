#include "files/settings_file.h"

#include "files/file_read.h"

namespace kestrix {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::string SettingIn(std::string_view text, std::string_view key) {
    const std::size_t slash = key.find('/');
    const std::string_view group = slash == std::string_view::npos ? "General" : key.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? key : key.substr(slash + 1);
    std::string_view section;
    std::string found;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.starts_with('[') && line.ends_with(']')) {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (section == group && equals != std::string_view::npos && Trimmed(line.substr(0, equals)) == name)
            found = Trimmed(line.substr(equals + 1));
    }
    return found;
}

std::string KeptSetting(std::string_view key, FileOperations& files) {
    const FileRead read = ReadFileBytes(SettingsFilePath(), files);
    return read.error.empty() ? SettingIn(read.bytes, key) : std::string();
}

bool KeepsBackups(FileOperations& files) {
    const std::string kept = KeptSetting(kKeepBackupSetting, files);
    return kept.empty() ? kKeepBackupByDefault : kept == "1";
}

} // namespace kestrix
