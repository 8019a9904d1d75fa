#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// How a system writes paths: POSIX puts "/" between the names; Windows a
// backslash or "/", after a root that may name a drive ("C:\") or a share
// ("\\server\share\").
enum class PathStyle { Posix, Windows };

#ifdef _WIN32
inline constexpr PathStyle kSystemPathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kSystemPathStyle = PathStyle::Posix;
#endif

// The bytes of path that name its root ("/", "C:\", "C:", "\\server\share\"); 0 for a relative path.
std::size_t RootLength(std::string_view path, PathStyle style);
std::string FolderOf(const std::string& path, PathStyle style);
std::string NameOf(const std::string& path, PathStyle style);
std::string InFolder(const std::string& folder, const std::string& name, PathStyle style);

// Windows takes some names for something else, or drops part of them: a
// device (CON, NUL, COM1, also with an extension), a stream of another file
// ("a:b"), a dot or blank at the end of a name. Such a path is refused
// rather than written somewhere the user did not ask for. Paths in the
// system's own namespaces ("\\?\", "\\.\") are taken as written.
bool IsNameWindowsRefuses(std::string_view path);

} // namespace kestrix
