#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <filesystem>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace kestrix::test {

// Sets when a file was last changed, as finely as the system keeps it (the
// nanosecond on POSIX, 100 ns on Windows).
inline bool SetModified(const std::string& path, std::int64_t seconds, long nanoseconds) {
#ifdef _WIN32
    const HANDLE file = ::CreateFileW(std::filesystem::path(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(seconds + 11644473600) * 10000000 + nanoseconds / 100;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const bool set = file != INVALID_HANDLE_VALUE && ::SetFileTime(file, nullptr, nullptr, &time);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return set;
#else
    const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}

} // namespace kestrix::test
