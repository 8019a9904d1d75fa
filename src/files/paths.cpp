#include "files/paths.h"

#include <algorithm>
#include <array>

namespace kestrix {

namespace {

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The end of the name that starts at from, and of the separators after it.
std::size_t PastName(std::string_view path, std::size_t from) {
    while (from < path.size() && !IsSeparator(path[from], PathStyle::Windows))
        ++from;
    return from < path.size() ? from + 1 : from;
}

bool InSystemNamespace(std::string_view path) {
    return path.size() >= 4 && IsSeparator(path[0], PathStyle::Windows) &&
           IsSeparator(path[1], PathStyle::Windows) && (path[2] == '?' || path[2] == '.') &&
           IsSeparator(path[3], PathStyle::Windows);
}

std::size_t WindowsRootLength(std::string_view path) {
    const auto separatorAt = [&](std::size_t i) {
        return i < path.size() && IsSeparator(path[i], PathStyle::Windows);
    };
    if (InSystemNamespace(path)) // "\\?\C:\", "\\.\pipe\"
        return PastName(path, 4);
    if (separatorAt(0) && separatorAt(1)) // "\\server\share\"
        return PastName(path, PastName(path, 2));
    if (separatorAt(0))
        return 1;
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':')
        return separatorAt(2) ? 3 : 2;
    return 0;
}

// Where the last name of path starts: after its last separator past the root.
std::size_t LastNameStart(std::string_view path, PathStyle style) {
    const std::size_t root = RootLength(path, style);
    std::size_t start = path.size();
    while (start > root && !IsSeparator(path[start - 1], style))
        --start;
    return start;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDeviceName(std::string_view name) {
    // The device is the name before its first dot, blanks at its end left out.
    name = name.substr(0, name.find('.'));
    while (name.ends_with(' '))
        name.remove_suffix(1);
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end())
        return true;
    // COM1 to COM9 and LPT1 to LPT9, with the superscript digits 1 to 3 too.
    const std::string_view port(upper);
    if (!port.starts_with("COM") && !port.starts_with("LPT"))
        return false;
    const std::string_view number = port.substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

bool IsRefusedName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.back() == '.' || name.back() == ' ')
        return true;
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 ||
               std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
    });
    return badCharacter || IsDeviceName(name);
}

} // namespace

std::size_t RootLength(std::string_view path, PathStyle style) {
    if (style == PathStyle::Windows)
        return WindowsRootLength(path);
    return path.starts_with('/') ? 1 : 0;
}

std::string FolderOf(const std::string& path, PathStyle style) {
    const std::size_t root = RootLength(path, style);
    const std::size_t start = LastNameStart(path, style);
    if (start == root)
        return root > 0 ? path.substr(0, root) : ".";
    return path.substr(0, std::max(start - 1, root));
}

std::string NameOf(const std::string& path, PathStyle style) {
    return path.substr(LastNameStart(path, style));
}

std::string InFolder(const std::string& folder, const std::string& name, PathStyle style) {
    if (folder.size() == RootLength(folder, style))
        return folder + name;
    // Written with the separator the folder already uses.
    char separator = '/';
    if (style == PathStyle::Windows) {
        const std::size_t last = folder.find_last_of("\\/");
        separator = last == std::string::npos ? '\\' : folder[last];
    }
    return folder + separator + name;
}

bool IsNameWindowsRefuses(std::string_view path) {
    if (InSystemNamespace(path))
        return false;
    for (std::size_t start = WindowsRootLength(path); start < path.size();) {
        const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
        if (IsRefusedName(path.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace kestrix
