#include "files/posix_file_operations.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrix {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISLNK(mode))
        return FileKind::Link;
    if (S_ISFIFO(mode))
        return FileKind::Fifo;
    return S_ISCHR(mode) ? FileKind::CharacterDevice : FileKind::Other;
}

int StatusFrom(int result, const struct stat& info, FileStatus& status) {
    if (result != 0)
        return errno;
    status.kind = KindOf(info.st_mode);
    status.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.modified = {info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
    status.links = static_cast<std::uint64_t>(info.st_nlink);
    status.permissions = info.st_mode & 07777;
    status.owner = info.st_uid;
    status.group = info.st_gid;
    return 0;
}

// Holds the open file when no other open file does, and only while path
// still names it: a file replaced or removed meanwhile is no longer the one
// that was asked for.
int HoldIfFree(int fd, const std::string& path, bool followLinks, struct stat& opened) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    struct stat named {};
    if (::fstat(fd, &opened) != 0 ||
        (followLinks ? ::stat(path.c_str(), &named) : ::lstat(path.c_str(), &named)) != 0)
        return errno;
    if (opened.st_nlink == 0 || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
        return EBUSY;
    return 0;
}

int ClearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
}

} // namespace

FileOperations& SystemFiles() {
    static PosixFileOperations files;
    return files;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string StateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return std::string(state) + "/kestrix";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/kestrix";
}

// $XDG_CONFIG_HOME/Kestrix/Kestrix 3.conf, else ~/.config/Kestrix/Kestrix 3.conf.
std::string SettingsFilePath() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/Kestrix/Kestrix 3.conf";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.config/Kestrix/Kestrix 3.conf";
}

int PosixFileOperations::CreateUnique(std::string& pattern, int& fd) {
    const std::size_t unique = pattern.rfind("XXXXXX");
    if (unique == std::string::npos)
        return EINVAL;
    const int suffix = static_cast<int>(pattern.size() - unique - 6);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern;
        fd = ::mkostemps(name.data(), suffix, O_CLOEXEC);
        if (fd < 0)
            return errno;
        // A save cleaning up may have taken the new file for a leftover
        // before the lock was held; then it is gone, and another is made.
        struct stat info {};
        if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &info) == 0 && info.st_nlink > 0)) {
            pattern = std::move(name);
            return 0;
        }
        ::close(fd);
    }
    fd = -1;
    return EEXIST;
}

int PosixFileOperations::OpenForWriting(const std::string& path, int& fd) {
    FileDescriptor opened(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (opened.get() < 0)
        return errno;
    if (const int error = ClearNonBlocking(opened.get()))
        return error;
    fd = opened.Release();
    return 0;
}

// Opened without blocking, so that a FIFO with no writer cannot freeze the
// caller; a FIFO gets a moment for its first bytes or the end of its text.
// Reading then blocks as usual.
int PosixFileOperations::OpenForReading(const std::string& path, int& fd) {
    FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (opened.get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(opened.get(), &info) != 0)
        return errno;
    if (S_ISFIFO(info.st_mode)) {
        pollfd waiting{opened.get(), POLLIN, 0};
        constexpr int kWriterWaitMs = 2000;
        int ready = 0;
        do
            ready = ::poll(&waiting, 1, kWriterWaitMs);
        while (ready < 0 && errno == EINTR);
        if (ready <= 0)
            return ready == 0 ? ENXIO : errno;
    }
    if (const int error = ClearNonBlocking(opened.get()))
        return error;
    fd = opened.Release();
    return 0;
}

int PosixFileOperations::OpenUnheld(const std::string& path, int& fd) {
    FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (opened.get() < 0)
        return errno;
    struct stat info {};
    if (const int error = HoldIfFree(opened.get(), path, true, info))
        return error;
    fd = opened.Release();
    return 0;
}

// The owner and group of the file it replaces where the process may set
// them (the group alone where it may set only that); the permissions come
// after, as a change of owner may cut them.
int PosixFileOperations::TakeAccess(int fd, const FileStatus* like) {
    if (!like) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
    }
    if (::fchown(fd, static_cast<uid_t>(like->owner), static_cast<gid_t>(like->group)) != 0)
        ::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(like->group));
    return ::fchmod(fd, static_cast<mode_t>(like->permissions)) == 0 ? 0 : errno;
}

int PosixFileOperations::Write(int fd, std::string_view bytes, std::size_t& written) {
    const ssize_t result = ::write(fd, bytes.data(), bytes.size());
    written = result > 0 ? static_cast<std::size_t>(result) : 0;
    return result < 0 ? errno : 0;
}

int PosixFileOperations::Read(int fd, char* buffer, std::size_t size, std::size_t& got) {
    const ssize_t result = ::read(fd, buffer, size);
    got = result > 0 ? static_cast<std::size_t>(result) : 0;
    return result < 0 ? errno : 0;
}

int PosixFileOperations::Truncate(int fd, std::uint64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int PosixFileOperations::CutBack(int fd, std::uint64_t size) {
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0)
        return errno;
    return ::lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0 ? errno : 0;
}

int PosixFileOperations::Sync(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

void PosixFileOperations::StartSync(int fd) {
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

int PosixFileOperations::Close(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

int PosixFileOperations::Status(const std::string& path, FileStatus& status) {
    struct stat info {};
    return StatusFrom(::lstat(path.c_str(), &info), info, status);
}

int PosixFileOperations::TargetStatus(const std::string& path, FileStatus& status) {
    struct stat info {};
    return StatusFrom(::stat(path.c_str(), &info), info, status);
}

int PosixFileOperations::Status(int fd, FileStatus& status) {
    struct stat info {};
    return StatusFrom(::fstat(fd, &info), info, status);
}

int PosixFileOperations::ReadLink(const std::string& path, std::string& target) {
    target.assign(256, '\0');
    while (true) {
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return errno;
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return 0;
        }
        target.resize(target.size() * 2);
    }
}

int PosixFileOperations::Link(const std::string& from, const std::string& to) {
    return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileOperations::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileOperations::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int PosixFileOperations::RemoveLeftover(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    struct stat opened {};
    if (const int error = HoldIfFree(fd.get(), path, false, opened))
        return error;
    // Only a regular file, never another kind put in its place.
    if (!S_ISREG(opened.st_mode))
        return EBUSY;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int PosixFileOperations::MakeFolder(const std::string& folder) {
    return ::mkdir(folder.c_str(), 0700) == 0 ? 0 : errno;
}

int PosixFileOperations::ListFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return errno;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return 0;
}

long PosixFileOperations::NameLimit(const std::string& folder) {
    return ::pathconf(folder.c_str(), _PC_NAME_MAX);
}

int PosixFileOperations::SyncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

} // namespace kestrix
