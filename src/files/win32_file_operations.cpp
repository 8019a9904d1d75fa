#include "files/win32_file_operations.h"

#include "files/paths.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>
#include <utility>

namespace kestrix {

namespace {

// A failure errno has no value for keeps the system's own number, above
// every errno value, so that SystemReason can name it in the system's words.
constexpr int kSystemErrorBase = 1 << 16;
constexpr int kRefusedName = kSystemErrorBase - 1;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The failures the program tells apart, and those errno names as well.
int ErrorFrom(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NO_UNICODE_TRANSLATION:
        return EILSEQ;
    default:
        return kSystemErrorBase + static_cast<int>(code);
    }
}

int LastError() {
    return ErrorFrom(::GetLastError());
}

} // namespace

int ErrorFromSystem(unsigned long code) {
    return ErrorFrom(code);
}

std::string Utf8(const wchar_t* wide, std::size_t length) {
    if (length == 0)
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(), size, nullptr, nullptr);
    return text;
}

int Wide(std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return 0;
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (size == 0)
        return EILSEQ;
    wide.resize(static_cast<std::size_t>(size));
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return 0;
}

namespace {

// The path as the system takes it; names it would take for something else are refused.
int WidePath(const std::string& path, std::wstring& wide) {
    if (IsNameWindowsRefuses(path))
        return kRefusedName;
    return Wide(path, wide);
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (IsOpen())
            ::CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

  private:
    HANDLE handle_;
};

// flags: FILE_FLAG_OPEN_REPARSE_POINT to open a link itself.
HANDLE OpenPath(const std::wstring& path, DWORD access, DWORD flags = 0) {
    return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file is held by a lock on a byte far past its end, which no read or
// write of its contents comes near.
bool Hold(HANDLE handle, bool wait) {
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFEu;
    at.OffsetHigh = 0x7FFFFFFFu;
    return ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY), 0, 1, 0,
                        &at);
}

// Removed while it was open: gone once the last handle closes.
bool DeletePending(HANDLE handle) {
    FILE_STANDARD_INFO info{};
    return ::GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info) && info.DeletePending;
}

FileTime TimeOf(const FILETIME& time) {
    // Ticks of 100 ns since 1601, counted from 1970 instead.
    constexpr std::int64_t kTicksTo1970 = 116444736000000000;
    constexpr std::int64_t kTicksPerSecond = 10000000;
    const std::int64_t ticks =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime) -
        kTicksTo1970;
    std::int64_t seconds = ticks / kTicksPerSecond;
    std::int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        --seconds;
        rest += kTicksPerSecond;
    }
    return {seconds, rest * 100};
}

bool IsSymbolicLink(HANDLE handle, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // Other reparse points (files kept in the cloud, deduplicated ones) stand for the file itself.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           tag.ReparseTag == IO_REPARSE_TAG_SYMLINK;
}

// What is not kept on Windows (modes, owners) is left out of status.
int StatusOf(HANDLE handle, FileStatus& status) {
    status = FileStatus{};
    switch (::GetFileType(handle)) {
    case FILE_TYPE_CHAR:
        status.kind = FileKind::CharacterDevice;
        return 0;
    case FILE_TYPE_PIPE:
        status.kind = FileKind::Fifo;
        return 0;
    case FILE_TYPE_DISK:
        break;
    default:
        return ::GetLastError() == NO_ERROR ? 0 : LastError();
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return LastError();
    status.kind = IsSymbolicLink(handle, info.dwFileAttributes)        ? FileKind::Link
                  : (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder
                                                                       : FileKind::Regular;
    status.identity = {info.dwVolumeSerialNumber,
                       (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    status.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status.modified = TimeOf(info.ftLastWriteTime);
    status.links = info.nNumberOfLinks;
    status.attributes = info.dwFileAttributes;
    return 0;
}

int PathStatus(const std::string& path, FileStatus& status, DWORD flags) {
    std::wstring wide;
    if (const int error = WidePath(path, wide))
        return error;
    const Handle handle(OpenPath(wide, FILE_READ_ATTRIBUTES, flags));
    if (!handle.IsOpen())
        return LastError();
    return StatusOf(handle.get(), status);
}

// A symbolic link's own target, as it was written: the system's reparse
// data, which user programs get without a declaration of their own.
struct SymbolicLinkData {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    ULONG flags;
    WCHAR names[1];
};

std::string LinkTarget(const SymbolicLinkData& data) {
    const bool printed = data.printLength > 0;
    const WORD offset = printed ? data.printOffset : data.substituteOffset;
    const WORD length = printed ? data.printLength : data.substituteLength;
    std::string target = Utf8(data.names + offset / sizeof(WCHAR), length / sizeof(WCHAR));
    // The system's own form of an absolute target ("\??\C:\...") is written as any other path.
    if (target.starts_with("\\??\\"))
        target.erase(0, 4);
    return target;
}

} // namespace

FileOperations& SystemFiles() {
    static Win32FileOperations files;
    return files;
}

std::string SystemReason(int error) {
    if (error == kRefusedName)
        return "Windows does not allow this name: a device such as CON or NUL, a \":\" or another character "
               "it reserves, or a dot or blank at the end of a name";
    if (error == ELOOP) // the C library of Windows has no words for it
        return "Too many levels of symbolic links";
    if (error < kSystemErrorBase)
        return std::strerror(error);
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error - kSystemErrorBase), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? Utf8(text, length) : std::string();
    ::LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(error - kSystemErrorBase) : reason;
}

std::string StateFolder() {
    const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
    if (!local || !local[0])
        return {};
    return InFolder(Utf8(local, std::wcslen(local)), "Kestrix");
}

// Where the window toolkit keeps a program's settings in its INI form on Windows.
std::string SettingsFilePath() {
    const wchar_t* roaming = ::_wgetenv(L"APPDATA");
    if (!roaming || !roaming[0])
        return {};
    return InFolder(InFolder(Utf8(roaming, std::wcslen(roaming)), "Kestrix"), "Kestrix 3.ini");
}

Win32FileOperations::~Win32FileOperations() {
    for (void* handle : handles_)
        if (handle)
            ::CloseHandle(handle);
}

int Win32FileOperations::Keep(void* handle) {
    const std::lock_guard lock(mutex_);
    for (std::size_t fd = 0; fd < handles_.size(); ++fd)
        if (!handles_[fd]) {
            handles_[fd] = handle;
            return static_cast<int>(fd);
        }
    handles_.push_back(handle);
    return static_cast<int>(handles_.size() - 1);
}

void* Win32FileOperations::HandleOf(int fd) {
    const std::lock_guard lock(mutex_);
    return fd >= 0 && static_cast<std::size_t>(fd) < handles_.size() && handles_[static_cast<std::size_t>(fd)]
               ? handles_[static_cast<std::size_t>(fd)]
               : INVALID_HANDLE_VALUE;
}

int Win32FileOperations::Open(const std::string& path, unsigned long access, int& fd) {
    std::wstring wide;
    if (const int error = WidePath(path, wide))
        return error;
    Handle handle(OpenPath(wide, access));
    if (!handle.IsOpen()) {
        const int error = LastError();
        return error == EACCES && IsFolder(wide) ? EISDIR : error;
    }
    FileStatus status;
    if (const int error = StatusOf(handle.get(), status))
        return error;
    // A folder opens only for reading, as on POSIX. A read-only file is
    // refused even to the system's administrators (or wine run by root).
    if (access & GENERIC_WRITE) {
        if (status.kind == FileKind::Folder)
            return EISDIR;
        if (status.attributes & FILE_ATTRIBUTE_READONLY)
            return EACCES;
    }
    fd = Keep(handle.Release());
    return 0;
}

int Win32FileOperations::CreateUnique(std::string& pattern, int& fd) {
    const std::size_t unique = pattern.rfind("XXXXXX");
    if (unique == std::string::npos)
        return EINVAL;
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random(std::random_device{}() ^ ::GetTickCount64() ^ ::GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern;
        for (std::size_t i = 0; i < 6; ++i)
            name[unique + i] = kLetters[random() % kLetters.size()];
        std::wstring wide;
        if (const int error = WidePath(name, wide))
            return error;
        Handle handle(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle.IsOpen()) {
            if (const DWORD code = ::GetLastError();
                code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
                continue;
            return LastError();
        }
        // A save cleaning up may have taken the new file for a leftover
        // before the lock was held; then it is on its way out, and another is made.
        if (Hold(handle.get(), true) && !DeletePending(handle.get())) {
            pattern = std::move(name);
            fd = Keep(handle.Release());
            return 0;
        }
    }
    fd = -1;
    return EEXIST;
}

// Windows has no FIFOs that a path names, so nothing waits for a writer or a reader.
int Win32FileOperations::OpenForWriting(const std::string& path, int& fd) {
    return Open(path, GENERIC_WRITE, fd);
}

int Win32FileOperations::OpenForReading(const std::string& path, int& fd) {
    return Open(path, GENERIC_READ, fd);
}

int Win32FileOperations::OpenUnheld(const std::string& path, int& fd) {
    int opened = -1;
    if (const int error = Open(path, GENERIC_READ, opened))
        return error;
    FileStatus held, named;
    int error = Hold(HandleOf(opened), false) ? 0 : LastError();
    if (error == 0 && (error = Status(opened, held)) == 0 && (error = TargetStatus(path, named)) == 0 &&
        held.identity != named.identity)
        error = EBUSY;
    if (error != 0) {
        Close(opened);
        return error;
    }
    fd = opened;
    return 0;
}

// A new file takes its access from its folder; of the file it replaces it
// keeps the attributes (hidden, read-only), as there are no modes or owners to copy.
int Win32FileOperations::TakeAccess(int fd, const FileStatus* like) {
    if (!like)
        return 0;
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{};
    info.FileAttributes = (like->attributes & kKept) ? like->attributes & kKept : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(HandleOf(fd), FileBasicInfo, &info, sizeof info) ? 0 : LastError();
}

int Win32FileOperations::Write(int fd, std::string_view bytes, std::size_t& written) {
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const bool ok = ::WriteFile(HandleOf(fd), bytes.data(), size, &done, nullptr);
    written = done;
    return ok ? 0 : LastError();
}

int Win32FileOperations::Read(int fd, char* buffer, std::size_t size, std::size_t& got) {
    DWORD done = 0;
    const bool ok = ::ReadFile(HandleOf(fd), buffer,
                               static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &done, nullptr);
    got = done;
    // A pipe whose writer has gone has ended.
    return ok || ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : LastError();
}

int Win32FileOperations::Truncate(int fd, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFileInformationByHandle(HandleOf(fd), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
}

int Win32FileOperations::CutBack(int fd, std::uint64_t size) {
    if (const int error = Truncate(fd, size))
        return error;
    LARGE_INTEGER place{};
    place.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(HandleOf(fd), place, nullptr, FILE_BEGIN) ? 0 : LastError();
}

int Win32FileOperations::Sync(int fd) {
    return ::FlushFileBuffers(HandleOf(fd)) ? 0 : LastError();
}

// Windows has no call that only starts the way to disk; it writes what it holds soon by itself.
void Win32FileOperations::StartSync(int) {}

int Win32FileOperations::Close(int fd) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    {
        const std::lock_guard lock(mutex_);
        if (fd >= 0 && static_cast<std::size_t>(fd) < handles_.size())
            handle = std::exchange(handles_[static_cast<std::size_t>(fd)], nullptr);
    }
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return EBADF;
    return ::CloseHandle(handle) ? 0 : LastError();
}

int Win32FileOperations::Status(const std::string& path, FileStatus& status) {
    return PathStatus(path, status, FILE_FLAG_OPEN_REPARSE_POINT);
}

int Win32FileOperations::TargetStatus(const std::string& path, FileStatus& status) {
    return PathStatus(path, status, 0);
}

int Win32FileOperations::Status(int fd, FileStatus& status) {
    return StatusOf(HandleOf(fd), status);
}

int Win32FileOperations::ReadLink(const std::string& path, std::string& target) {
    std::wstring wide;
    if (const int error = WidePath(path, wide))
        return error;
    const Handle link(OpenPath(wide, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!link.IsOpen())
        return LastError();
    alignas(8) char buffer[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD got = 0;
    if (!::DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer, sizeof buffer, &got,
                           nullptr))
        return LastError();
    const auto& data = *reinterpret_cast<const SymbolicLinkData*>(buffer);
    if (got < offsetof(SymbolicLinkData, names) || data.tag != IO_REPARSE_TAG_SYMLINK)
        return EINVAL;
    target = LinkTarget(data);
    return 0;
}

namespace {

int WidePaths(const std::string& from, const std::string& to, std::wstring& wideFrom, std::wstring& wideTo) {
    const int error = WidePath(from, wideFrom);
    return error != 0 ? error : WidePath(to, wideTo);
}

} // namespace

int Win32FileOperations::Link(const std::string& from, const std::string& to) {
    std::wstring wideFrom, wideTo;
    if (const int error = WidePaths(from, to, wideFrom, wideTo))
        return error;
    return ::CreateHardLinkW(wideTo.c_str(), wideFrom.c_str(), nullptr) ? 0 : LastError();
}

// Written through: the rename is on disk when it returns, as there is no
// flush of a folder. Windows replaces no file that is open, even where every
// program that opened it lets it be removed (the journal this editor holds
// while it writes it anew): such a file is renamed aside first, and removed
// once the new one has its name. Were the editor killed between the two, the
// name would hold nothing and the old file would be NAME.replaced.
int Win32FileOperations::Rename(const std::string& from, const std::string& to) {
    std::wstring wideFrom, wideTo;
    if (const int error = WidePaths(from, to, wideFrom, wideTo))
        return error;
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), kReplace))
        return 0;
    const DWORD code = ::GetLastError();
    FileStatus target;
    if (code != ERROR_ACCESS_DENIED || Status(to, target) != 0 || target.kind != FileKind::Regular ||
        (target.attributes & FILE_ATTRIBUTE_READONLY))
        return ErrorFrom(code);
    const std::wstring aside = wideTo + L".replaced";
    if (!::MoveFileExW(wideTo.c_str(), aside.c_str(), kReplace))
        return ErrorFrom(code);
    if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), kReplace)) {
        const int error = LastError();
        ::MoveFileExW(aside.c_str(), wideTo.c_str(), kReplace);
        return error;
    }
    ::DeleteFileW(aside.c_str());
    return 0;
}

int Win32FileOperations::Remove(const std::string& path) {
    std::wstring wide;
    if (const int error = WidePath(path, wide))
        return error;
    return ::DeleteFileW(wide.c_str()) ? 0 : LastError();
}

int Win32FileOperations::RemoveLeftover(const std::string& path) {
    std::wstring wide;
    if (const int error = WidePath(path, wide))
        return error;
    const Handle handle(OpenPath(wide, GENERIC_READ | DELETE, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.IsOpen())
        return LastError();
    if (!Hold(handle.get(), false))
        return ::GetLastError() == ERROR_LOCK_VIOLATION ? EBUSY : LastError();
    // Only a regular file, never another kind put in its place; removed
    // through the handle, so that it is the file that was found free.
    FileStatus status;
    if (const int error = StatusOf(handle.get(), status))
        return error;
    if (status.kind != FileKind::Regular)
        return EBUSY;
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &remove, sizeof remove)
               ? 0
               : LastError();
}

// A folder takes its access from the one it is made in; in the user's own
// folders that is the user's alone.
int Win32FileOperations::MakeFolder(const std::string& folder) {
    std::wstring wide;
    if (const int error = WidePath(folder, wide))
        return error;
    if (::CreateDirectoryW(wide.c_str(), nullptr))
        return 0;
    const int error = LastError();
    // A file where a folder on the way should be: said as POSIX says it.
    FileStatus above;
    if (error == ENOENT && TargetStatus(FolderOf(folder), above) == 0 && above.kind != FileKind::Folder)
        return ENOTDIR;
    return error;
}

int Win32FileOperations::ListFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    if (IsNameWindowsRefuses(folder))
        return kRefusedName;
    std::wstring wide;
    if (const int error = Wide(InFolder(folder, "*"), wide))
        return error;
    WIN32_FIND_DATAW found{};
    HANDLE search =
        ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : LastError();
    do
        names.push_back(Utf8(found.cFileName, std::wcslen(found.cFileName)));
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return 0;
}

// Counted in UTF-16 units, never more than the bytes of the same name in
// UTF-8: a name cut to this many bytes fits.
long Win32FileOperations::NameLimit(const std::string& folder) {
    std::wstring wide;
    if (WidePath(folder, wide) != 0)
        return -1;
    const Handle handle(OpenPath(wide, FILE_READ_ATTRIBUTES));
    DWORD limit = 0;
    if (!handle.IsOpen() ||
        !::GetVolumeInformationByHandleW(handle.get(), nullptr, 0, nullptr, &limit, nullptr, nullptr, 0))
        return -1;
    return static_cast<long>(limit);
}

// Windows flushes no folder: a rename is written through instead (see Rename).
int Win32FileOperations::SyncFolder(const std::string&) {
    return EINVAL;
}

} // namespace kestrix
