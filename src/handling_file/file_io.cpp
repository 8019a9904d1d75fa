#include "handling_file/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrix {

namespace {

std::string Failure(std::string_view what, const std::string& path, std::string_view reason) {
    std::string text(what);
    text.append(" \"").append(path).append("\": ").append(reason);
    return text;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

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

  private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TemporaryPattern(const std::string& path) {
    return FolderOf(path) + "/." + NameOf(path) + ".XXXXXX";
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Reads the whole file into bytes; opened tells which step failed.
int ReadWholeFile(const std::string& path, std::string& bytes, bool& opened) {
    bytes.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    opened = fd.get() >= 0;
    if (!opened)
        return errno;
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            opened = false;
            return EISDIR;
        }
        if (S_ISREG(info.st_mode))
            bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes.clear();
            return errno;
        }
        if (got == 0)
            return 0;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

int WriteAll(FileOperations& files, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        const int error = files.Write(fd, bytes, written);
        if (error == EINTR)
            continue;
        if (error != 0)
            return error;
        if (written == 0)
            return EIO;
        bytes.remove_prefix(std::min(written, bytes.size()));
    }
    return 0;
}

// Writes bytes to a new file named from pattern and flushes it to disk; a
// failure leaves no file behind.
int WriteNewFile(FileOperations& files, std::string& pattern, std::string_view bytes, mode_t mode) {
    int fd = -1;
    if (const int error = files.CreateUnique(pattern, fd))
        return error;
    int error = files.SetMode(fd, mode);
    if (error == 0)
        error = WriteAll(files, fd, bytes);
    if (error == 0)
        error = files.Sync(fd);
    const int closeError = files.Close(fd);
    if (error == 0)
        error = closeError;
    if (error != 0)
        files.Remove(pattern);
    return error;
}

int RenameOrRemove(FileOperations& files, const std::string& from, const std::string& to) {
    const int error = files.Rename(from, to);
    if (error != 0)
        files.Remove(from);
    return error;
}

// A hard link keeps the previous file itself at no cost; where the file
// system has no links, a copy does. Either replaces the old backup in one step.
int KeepBackup(FileOperations& files, const std::string& path, mode_t mode, const std::string& linkName) {
    const std::string backup = BackupPathFor(path);
    if (files.Link(path, linkName) == 0)
        return RenameOrRemove(files, linkName, backup);
    std::string previous;
    if (const int error = files.ReadAll(path, previous))
        return error;
    std::string copy = TemporaryPattern(backup);
    if (const int error = WriteNewFile(files, copy, previous, mode))
        return error;
    return RenameOrRemove(files, copy, backup);
}

std::string SaveFailure(const std::string& path, int error) {
    return Failure("Cannot save", path, SystemReason(error));
}

} // namespace

int PosixFileOperations::CreateUnique(std::string& pattern, int& fd) {
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    return fd < 0 ? errno : 0;
}

int PosixFileOperations::SetMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

int PosixFileOperations::Write(int fd, std::string_view bytes, std::size_t& written) {
    const ssize_t result = ::write(fd, bytes.data(), bytes.size());
    written = result > 0 ? static_cast<std::size_t>(result) : 0;
    return result < 0 ? errno : 0;
}

int PosixFileOperations::Sync(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int PosixFileOperations::Close(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

int PosixFileOperations::Mode(const std::string& path, mode_t& mode) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno;
    mode = info.st_mode;
    return 0;
}

int PosixFileOperations::ReadAll(const std::string& path, std::string& bytes) {
    bool opened = false;
    return ReadWholeFile(path, bytes, opened);
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

int PosixFileOperations::SyncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

std::string BackupPathFor(const std::string& path) {
    return path + ".bak";
}

FileRead ReadFileBytes(const std::string& path) {
    FileRead result;
    bool opened = false;
    if (const int error = ReadWholeFile(path, result.bytes, opened))
        result.error = Failure(opened ? "Cannot read" : "Cannot open", path, SystemReason(error));
    return result;
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes) {
    PosixFileOperations files;
    return ReplaceFileContents(path, bytes, files);
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files) {
    mode_t existing = 0;
    const bool replacing = files.Mode(path, existing) == 0;
    std::string temporary = TemporaryPattern(path);
    const mode_t mode = replacing ? existing & 07777 : NewFileMode();
    if (const int error = WriteNewFile(files, temporary, bytes, mode))
        return SaveFailure(path, error);
    if (replacing && S_ISREG(existing)) {
        if (const int error = KeepBackup(files, path, mode, temporary + ".bak")) {
            files.Remove(temporary);
            return Failure("Cannot save", path,
                           "cannot keep the previous file as \"" + BackupPathFor(path) +
                               "\": " + SystemReason(error));
        }
    }
    if (const int error = RenameOrRemove(files, temporary, path))
        return SaveFailure(path, error);
    // Without this the rename itself may not survive a power cut. Some file
    // systems cannot flush a folder at all (EINVAL); there is nothing more to do.
    if (const int error = files.SyncFolder(FolderOf(path)); error != 0 && error != EINVAL)
        return Failure("Cannot save", path, "the folder was not flushed to disk: " + SystemReason(error));
    return {};
}

HandlingFileRead ReadHandlingFile(const std::string& path) {
    HandlingFileRead result;
    const auto parse = [&](std::string_view bytes) {
        ParseResult parsed = ParseHandlingText(bytes);
        if (!parsed.error.empty())
            result.error = Failure("Cannot read", path, parsed.error);
        else
            result.file = std::move(parsed.file);
    };
    // A regular file is parsed straight from its mapping: no copy of a large file.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const std::size_t size = static_cast<std::size_t>(info.st_size);
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
        if (mapped != MAP_FAILED) {
            parse(std::string_view(static_cast<const char*>(mapped), size));
            ::munmap(mapped, size);
            return result;
        }
    }
    FileRead read = ReadFileBytes(path);
    if (!read.error.empty())
        result.error = std::move(read.error);
    else
        parse(read.bytes);
    return result;
}

} // namespace kestrix
