#include "handling_file/file_io.h"

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
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

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

// New files get the usual mode; a replaced file keeps its own.
mode_t ModeForReplacement(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

FileRead ReadFileBytes(const std::string& path) {
    FileRead result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.error = Failure("Cannot open", path, SystemReason(errno));
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            result.error = Failure("Cannot open", path, SystemReason(EISDIR));
            return result;
        }
        if (S_ISREG(info.st_mode))
            result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = Failure("Cannot read", path, SystemReason(errno));
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            return result;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes) {
    std::string temporary = FolderOf(path) + "/." + NameOf(path) + ".XXXXXX";
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return Failure("Cannot save", path, SystemReason(errno));
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return Failure("Cannot save", path, SystemReason(error));
    };
    errno = 0;
    if (::fchmod(fd.get(), ModeForReplacement(path)) != 0 || !WriteAll(fd.get(), bytes) ||
        ::fsync(fd.get()) != 0)
        return fail(errno ? errno : EIO);
    if (::close(fd.release()) != 0)
        return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(errno);
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
