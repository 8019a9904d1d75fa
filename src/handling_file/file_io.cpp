#include "handling_file/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace kestrix {

namespace {

// As many as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::size_t kUniqueLength = 6; // the XXXXXX of a mkstemp pattern
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max() / 2;

std::string Failure(std::string_view what, const std::string& path, std::string_view reason) {
    std::string text(what);
    text.append(" \"").append(path).append("\": ").append(reason);
    return text;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string SaveFailure(const std::string& path, int error) {
    return Failure("Cannot save", path, SystemReason(error));
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

// Closes a descriptor opened through FileOperations when it goes out of scope.
class OpenFile {
  public:
    explicit OpenFile(FileOperations& files) : files_(files) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { Close(); }
    int& fd() { return fd_; }
    int Close() {
        const int error = fd_ >= 0 ? files_.Close(fd_) : 0;
        fd_ = -1;
        return error;
    }

  private:
    FileOperations& files_;
    int fd_ = -1;
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

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The first bytes of name, at most limit, not cut inside a UTF-8 character.
std::string Shortened(std::string_view name, std::size_t limit) {
    if (name.size() <= limit)
        return std::string(name);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return std::string(name.substr(0, end));
}

std::size_t NameLimitOf(FileOperations& files, const std::string& folder) {
    const long limit = files.NameLimit(folder);
    return limit > 16 ? static_cast<std::size_t>(limit) : 255;
}

std::string BackupName(const std::string& path, std::size_t limit) {
    return InFolder(FolderOf(path), Shortened(NameOf(path), limit - kBackupSuffix.size()) + ".bak");
}

// Every temporary name of a save of NAME is ".NAME." and six letters or
// digits, with ".bak" after them for the link that becomes the backup. NAME
// is shortened where the folder's name limit leaves no room for the rest.
std::string TemporaryStem(const std::string& path, std::size_t limit) {
    const std::size_t room = limit - 2 - kUniqueLength - kBackupSuffix.size();
    return "." + Shortened(NameOf(path), room) + ".";
}

bool IsTemporaryName(std::string_view name, std::string_view stem, bool link) {
    if (!name.starts_with(stem))
        return false;
    name.remove_prefix(stem.size());
    if (link) {
        if (!name.ends_with(kBackupSuffix))
            return false;
        name.remove_suffix(kBackupSuffix.size());
    }
    return name.size() == kUniqueLength && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// A save that was killed leaves its temporary files behind; the next save
// of the same file removes them, but none that a running save still holds.
// Returns the links to the file that running saves hold for their backups.
std::vector<std::string> RemoveLeftovers(FileOperations& files, const std::string& target,
                                         std::size_t limit) {
    const std::string folder = FolderOf(target);
    const std::string stem = TemporaryStem(target, limit);
    std::vector<std::string> names;
    std::vector<std::string> held;
    if (files.ListFolder(folder, names) != 0)
        return held;
    std::set<std::string> running;
    for (const std::string& name : names) {
        if (IsTemporaryName(name, stem, false) && files.RemoveLeftover(InFolder(folder, name)) == EBUSY)
            running.insert(name);
    }
    for (const std::string& name : names) {
        if (!IsTemporaryName(name, stem, true))
            continue;
        if (running.contains(name.substr(0, name.size() - kBackupSuffix.size())))
            held.push_back(InFolder(folder, name));
        else
            files.Remove(InFolder(folder, name));
    }
    return held;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// What a read gave: an errno value, with a reason of our own where errno has
// none that fits.
struct ReadOutcome {
    int error = 0;
    bool opened = true;
    std::string reason;
};

// Reads path from a single open (a FIFO cannot be opened twice), taking at
// most limit bytes; a regular file whose size changes meanwhile is refused,
// as its contents are neither the old nor the new ones.
// Opens path once for reading; what the file was then goes to before. A
// folder, or a regular file over the limit, is refused before any read.
std::optional<ReadOutcome> OpenToRead(FileOperations& files, const std::string& path, OpenFile& file,
                                      struct stat& before, std::size_t limit) {
    if (const int error = files.OpenForReading(path, file.fd())) {
        struct stat info {};
        if (error == ENXIO && ::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode))
            return ReadOutcome{error, false, "no program is writing to the FIFO"};
        return ReadOutcome{error, false, {}};
    }
    if (const int error = files.Status(file.fd(), before))
        return ReadOutcome{error, true, {}};
    if (S_ISDIR(before.st_mode))
        return ReadOutcome{EISDIR, false, {}};
    if (S_ISREG(before.st_mode) && static_cast<std::size_t>(before.st_size) > limit)
        return ReadOutcome{EFBIG, true, TooLargeReason()};
    return std::nullopt;
}

template <typename Buffer>
ReadOutcome ReadWholeFile(FileOperations& files, const std::string& path, Buffer& bytes, std::size_t limit) {
    bytes.clear();
    OpenFile file(files);
    struct stat before {};
    if (const std::optional<ReadOutcome> refused = OpenToRead(files, path, file, before, limit))
        return *refused;
    const ReadOutcome tooLarge{EFBIG, true, TooLargeReason()};
    const bool regular = S_ISREG(before.st_mode);
    // A regular file in one read of its size, and one byte more to see it end.
    bytes.resize(regular ? static_cast<std::size_t>(before.st_size) + 1
                         : std::min<std::size_t>(limit + 1, 1 << 16));
    std::size_t total = 0;
    while (true) {
        if (total == bytes.size()) {
            if (total > limit)
                break;
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        std::size_t got = 0;
        const int error = files.Read(file.fd(), bytes.data() + total, bytes.size() - total, got);
        if (error == EINTR)
            continue;
        if (error != 0) {
            bytes.clear();
            return {error, true, {}};
        }
        if (got == 0)
            break;
        total += got;
    }
    bytes.resize(total);
    if (total > limit) {
        bytes.clear();
        return tooLarge;
    }
    struct stat after {};
    if (regular && (total != static_cast<std::size_t>(before.st_size) ||
                    files.Status(file.fd(), after) != 0 || after.st_size != before.st_size)) {
        bytes.clear();
        return {EAGAIN, true, "the file changed size while it was read"};
    }
    return {};
}

std::string ReadFailure(const std::string& path, const ReadOutcome& outcome) {
    return Failure(outcome.opened ? "Cannot read" : "Cannot open", path,
                   outcome.reason.empty() ? SystemReason(outcome.error) : outcome.reason);
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

// The owner and group of the file it replaces where the process may set
// them (the group alone where it may set only that), then its mode, which a
// change of owner may have cut.
void TakeOwnerAndMode(FileOperations& files, int fd, const struct stat& like) {
    if (files.SetOwner(fd, like.st_uid, like.st_gid) != 0)
        files.SetOwner(fd, static_cast<uid_t>(-1), like.st_gid);
}

// Fills a file just made from pattern with bytes, flushed to disk, and
// leaves it open, so that it stays locked. A failure leaves no file behind.
int FillNewFile(FileOperations& files, const std::string& name, OpenFile& file, std::string_view bytes,
                mode_t mode, const struct stat* like) {
    if (like)
        TakeOwnerAndMode(files, file.fd(), *like);
    int error = files.SetMode(file.fd(), mode);
    if (error == 0)
        error = WriteAll(files, file.fd(), bytes);
    if (error == 0)
        error = files.Sync(file.fd());
    if (error != 0) {
        file.Close();
        files.Remove(name);
    }
    return error;
}

int RenameOrRemove(FileOperations& files, const std::string& from, const std::string& to) {
    const int error = files.Rename(from, to);
    if (error != 0)
        files.Remove(from);
    return error;
}

struct Target {
    std::string path; // the file itself, at the end of any links
    struct stat info {};
    bool exists = false;
};

int FindTarget(FileOperations& files, const std::string& path, Target& target) {
    target.path = path;
    for (int hop = 0;; ++hop) {
        const int error = files.Status(target.path, target.info);
        if (error == ENOENT) {
            target.exists = false;
            return 0;
        }
        if (error != 0)
            return error;
        if (!S_ISLNK(target.info.st_mode)) {
            target.exists = true;
            return 0;
        }
        if (hop == kMaxLinkHops)
            return ELOOP;
        std::string link;
        if (const int linkError = files.ReadLink(target.path, link))
            return linkError;
        target.path = link.starts_with('/') ? link : InFolder(FolderOf(target.path), link);
    }
}

class Save {
  public:
    Save(FileOperations& files, const std::string& path, std::string_view bytes, BackupMode backup)
        : files_(files), path_(path), bytes_(bytes), backupMode_(backup) {}

    std::string Run() {
        if (const int error = FindTarget(files_, path_, target_))
            return SaveFailure(path_, error);
        const mode_t kind = target_.info.st_mode & S_IFMT;
        if (target_.exists && kind == S_IFDIR)
            return SaveFailure(path_, EISDIR);
        if (target_.exists && (kind == S_IFIFO || kind == S_IFCHR))
            return WriteInto();
        if (target_.exists && kind != S_IFREG)
            return Failure("Cannot save", path_, "it is not a file, a FIFO or a character device");
        limit_ = NameLimitOf(files_, FolderOf(target_.path));
        backup_ = BackupName(target_.path, limit_);
        held_ = RemoveLeftovers(files_, target_.path, limit_);
        return target_.exists ? ReplaceExisting() : ReplaceAtOnce(NewFileMode(), nullptr);
    }

  private:
    std::string TemporaryPattern() const {
        return InFolder(FolderOf(target_.path), TemporaryStem(target_.path, limit_) + "XXXXXX");
    }

    // A FIFO or a device takes the bytes as they are; a backup of one
    // makes no sense, and replacing it by a file would break what reads it.
    std::string WriteInto() {
        OpenFile file(files_);
        int error = files_.OpenForWriting(target_.path, file.fd());
        if (error == ENXIO && S_ISFIFO(target_.info.st_mode))
            return Failure("Cannot save", path_, "no program is reading from the FIFO");
        if (error == 0)
            error = WriteAll(files_, file.fd(), bytes_);
        if (error == 0)
            error = file.Close();
        return error ? SaveFailure(path_, error) : std::string();
    }

    std::string ReplaceExisting() {
        // Only a file that a plain write could write is saved.
        OpenFile probe(files_);
        if (const int error = files_.OpenForWriting(target_.path, probe.fd()))
            return SaveFailure(path_, error);
        probe.Close();
        // Other hard links would keep the old contents if the file were
        // replaced; the backup and those of running saves do not count.
        nlink_t otherLinks = target_.info.st_nlink - 1;
        held_.push_back(backup_);
        for (const std::string& link : held_) {
            struct stat info {};
            if (otherLinks > 0 && files_.Status(link, info) == 0 && info.st_ino == target_.info.st_ino &&
                info.st_dev == target_.info.st_dev)
                --otherLinks;
        }
        if (otherLinks > 0)
            return WriteInPlace(true);
        return ReplaceAtOnce(target_.info.st_mode & 07777, &target_.info);
    }

    std::string ReplaceAtOnce(mode_t mode, const struct stat* previous) {
        std::string temporary = TemporaryPattern();
        OpenFile file(files_);
        int error = files_.CreateUnique(temporary, file.fd());
        // A file the process may write in a folder it may not: in place.
        if (previous && (error == EACCES || error == EPERM))
            return WriteInPlace(false);
        if (error == 0)
            error = FillNewFile(files_, temporary, file, bytes_, mode, previous);
        if (error != 0)
            return SaveFailure(path_, error);
        if (previous && backupMode_ == BackupMode::Replace) {
            if (const int backupError = KeepBackup(temporary)) {
                file.Close();
                files_.Remove(temporary);
                return BackupFailure(backupError);
            }
        }
        if (const int renameError = RenameOrRemove(files_, temporary, target_.path))
            return SaveFailure(path_, renameError);
        file.Close();
        // Without this the rename itself may not survive a power cut. Some file
        // systems cannot flush a folder at all (EINVAL); there is nothing more to do.
        if (const int syncError = files_.SyncFolder(FolderOf(target_.path));
            syncError != 0 && syncError != EINVAL)
            return Failure("Cannot save", path_,
                           "the folder was not flushed to disk: " + SystemReason(syncError));
        return {};
    }

    // A hard link keeps the previous file itself at no cost; where the file
    // system has no links, a copy does. Either replaces the old backup in one step.
    int KeepBackup(const std::string& temporary) {
        const std::string link = temporary + std::string(kBackupSuffix);
        if (files_.Link(target_.path, link) == 0) {
            // A rename between two names of one file (a backup that is already
            // a link to the file, or two saves racing) leaves both names.
            const int error = files_.Rename(link, backup_);
            files_.Remove(link);
            return error;
        }
        std::string previous;
        if (const int error = files_.ReadAll(target_.path, previous))
            return error;
        return CopyBackup(previous);
    }

    int CopyBackup(std::string_view previous) {
        std::string copy = TemporaryPattern();
        OpenFile file(files_);
        int error = files_.CreateUnique(copy, file.fd());
        if (error == 0)
            error = FillNewFile(files_, copy, file, previous, target_.info.st_mode & 07777, &target_.info);
        if (error == 0)
            error = RenameOrRemove(files_, copy, backup_);
        return error;
    }

    std::string BackupFailure(int error) const {
        return Failure("Cannot save", path_,
                       "cannot keep the previous file as \"" + backup_ + "\": " + SystemReason(error));
    }

    // Writes over the file itself, once the backup is made where one is
    // asked for. A failure part way puts the previous contents back.
    std::string WriteInPlace(bool withBackup) {
        std::string previous;
        const int readError = files_.ReadAll(target_.path, previous);
        withBackup = withBackup && backupMode_ == BackupMode::Replace;
        if (withBackup) {
            const int backupError = readError ? readError : CopyBackup(previous);
            if (backupError)
                return BackupFailure(backupError);
        }
        const int error = Overwrite(bytes_);
        if (error == 0)
            return {};
        std::string message = SaveFailure(path_, error);
        const int restoreError = readError ? readError : Overwrite(previous);
        if (restoreError == 0)
            return message + "; the file was left as it was";
        message += "; its previous contents could not be written back (" + SystemReason(restoreError) + ")";
        if (withBackup)
            message += " and are in \"" + backup_ + "\"";
        return message;
    }

    int Overwrite(std::string_view bytes) {
        OpenFile file(files_);
        int error = files_.OpenForWriting(target_.path, file.fd());
        if (error == 0)
            error = WriteAll(files_, file.fd(), bytes);
        if (error == 0)
            error = files_.Truncate(file.fd(), static_cast<off_t>(bytes.size()));
        if (error == 0)
            error = files_.Sync(file.fd());
        const int closeError = file.Close();
        return error ? error : closeError;
    }

    FileOperations& files_;
    const std::string& path_; // as the user named it, for the messages
    std::string_view bytes_;
    BackupMode backupMode_;
    Target target_;
    std::size_t limit_ = 255; // the longest name the target's folder takes
    std::string backup_;
    std::vector<std::string> held_; // links that running saves of the same file hold
};

} // namespace

int PosixFileOperations::CreateUnique(std::string& pattern, int& fd) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern;
        fd = ::mkostemp(name.data(), O_CLOEXEC);
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
    fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        fd = -1;
        return error;
    }
    return 0;
}

// Opened without blocking, so that a FIFO with no writer cannot freeze the
// caller; a FIFO gets a moment for its first bytes or the end of its text.
// Reading then blocks as usual.
int PosixFileOperations::OpenForReading(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {};
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0 && S_ISFIFO(info.st_mode)) {
        pollfd waiting{fd, POLLIN, 0};
        constexpr int kWriterWaitMs = 2000;
        int ready = 0;
        do
            ready = ::poll(&waiting, 1, kWriterWaitMs);
        while (ready < 0 && errno == EINTR);
        error = ready > 0 ? 0 : ready == 0 ? ENXIO : errno;
    }
    const int flags = error == 0 ? ::fcntl(fd, F_GETFL) : -1;
    if (error == 0 && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        error = errno;
    if (error != 0) {
        ::close(fd);
        fd = -1;
    }
    return error;
}

int PosixFileOperations::SetOwner(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group) == 0 ? 0 : errno;
}

int PosixFileOperations::SetMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
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

int PosixFileOperations::Truncate(int fd, off_t size) {
    return ::ftruncate(fd, size) == 0 ? 0 : errno;
}

int PosixFileOperations::Sync(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int PosixFileOperations::Close(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

int PosixFileOperations::Status(const std::string& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0 ? 0 : errno;
}

int PosixFileOperations::Status(int fd, struct stat& info) {
    return ::fstat(fd, &info) == 0 ? 0 : errno;
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

int PosixFileOperations::ReadAll(const std::string& path, std::string& bytes) {
    return ReadWholeFile(*this, path, bytes, kNoLimit).error;
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
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    // Only the regular file that was locked, not another one put in its place.
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd.get(), &opened) != 0 || ::lstat(path.c_str(), &named) != 0)
        return errno;
    if (!S_ISREG(opened.st_mode) || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
        return EBUSY;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
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

std::string BackupPathFor(const std::string& path) {
    PosixFileOperations files;
    return BackupName(path, NameLimitOf(files, FolderOf(path)));
}

FileRead ReadFileBytes(const std::string& path) {
    PosixFileOperations files;
    return ReadFileBytes(path, files);
}

FileRead ReadFileBytes(const std::string& path, FileOperations& files) {
    FileRead result;
    const ReadOutcome outcome = ReadWholeFile(files, path, result.bytes, kMaxFileBytes);
    if (outcome.error != 0)
        result.error = ReadFailure(path, outcome);
    return result;
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes) {
    PosixFileOperations files;
    return ReplaceFileContents(path, bytes, files);
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files) {
    return ReplaceFileContents(path, bytes, files, BackupMode::Replace);
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, BackupMode backup) {
    PosixFileOperations files;
    return ReplaceFileContents(path, bytes, files, backup);
}

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files,
                                BackupMode backup) {
    return Save(files, path, bytes, backup).Run();
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return a == b;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc) {
    PosixFileOperations files;
    return SaveCheckedText(path, text, doc, files);
}

std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc,
                            BackupMode backup) {
    PosixFileOperations files;
    return SaveCheckedText(path, text, doc, files, backup);
}

std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc,
                            FileOperations& files, BackupMode backup) {
    if (const std::string difference = ReadBackDifference(text, doc); !difference.empty())
        return Failure("Cannot save", path,
                       "the file would not read back as it is saved: " + difference +
                           ". Nothing was written");
    return ReplaceFileContents(path, text, files, backup);
}

HandlingFileRead ReadHandlingFile(const std::string& path) {
    PosixFileOperations files;
    return ReadHandlingFile(path, files);
}

namespace {

// Where the text read so far can be handed to the reader: after its last
// line feed whose next byte is known and is not a carriage return, which
// could belong to the same line end. 0: nowhere yet.
std::size_t WholeLinesEnd(std::string_view text) {
    std::size_t feed = text.size() < 2 ? std::string_view::npos : text.rfind('\n', text.size() - 2);
    while (feed != std::string_view::npos && text[feed + 1] == '\r')
        feed = feed == 0 ? std::string_view::npos : text.rfind('\n', feed - 1);
    return feed == std::string_view::npos ? 0 : feed + 1;
}

// Reads the file from a single open through a small buffer and parses it as
// it comes, so a file costs no second copy of itself; checks the same
// limits as ReadWholeFile. What the reader made of the text goes to parsed.
ReadOutcome ReadAndParse(FileOperations& files, const std::string& path, HandlingTextReader& reader,
                         ParseResult& parsed) {
    OpenFile file(files);
    struct stat before {};
    if (const std::optional<ReadOutcome> refused = OpenToRead(files, path, file, before, kMaxFileBytes))
        return *refused;
    const ReadOutcome tooLarge{EFBIG, true, TooLargeReason()};
    const bool regular = S_ISREG(before.st_mode);
    const std::size_t size = regular ? static_cast<std::size_t>(before.st_size) : 0;
    reader.ExpectBytes(size);
    std::string buffer(std::min<std::size_t>(size + 1, 1 << 17), '\0');
    std::size_t filled = 0; // bytes in buffer not yet given to the reader
    std::size_t total = 0;
    bool refused = false;
    while (!refused) {
        if (filled == buffer.size()) // a line longer than the buffer
            buffer.resize(std::min(buffer.size() * 2, kMaxFileBytes + 1));
        std::size_t got = 0;
        const int error = files.Read(file.fd(), buffer.data() + filled, buffer.size() - filled, got);
        if (error == EINTR)
            continue;
        if (error != 0)
            return {error, true, {}};
        total += got;
        if (total > kMaxFileBytes)
            return tooLarge;
        if (got == 0)
            break;
        filled += got;
        const std::size_t whole = WholeLinesEnd(std::string_view(buffer.data(), filled));
        refused = !reader.Read(std::string_view(buffer.data(), whole));
        std::memmove(buffer.data(), buffer.data() + whole, filled - whole);
        filled -= whole;
    }
    if (!refused)
        reader.Read(std::string_view(buffer.data(), filled));
    parsed = reader.Finish();
    if (!parsed.error.empty())
        return {};
    struct stat after {};
    if (regular && (total != size || files.Status(file.fd(), after) != 0 || after.st_size != before.st_size))
        return {EAGAIN, true, "the file changed size while it was read"};
    return {};
}

// The refusal of a read, naming the path, or empty text.
std::string ReadHandlingText(FileOperations& files, const std::string& path, HandlingTextReader& reader,
                             ParseResult& parsed) {
    if (const ReadOutcome outcome = ReadAndParse(files, path, reader, parsed); outcome.error != 0)
        return ReadFailure(path, outcome);
    if (!parsed.error.empty())
        return Failure("Cannot read", path, parsed.error);
    return {};
}

} // namespace

HandlingFileRead ReadHandlingFile(const std::string& path, FileOperations& files) {
    HandlingFileRead result;
    HandlingTextReader reader;
    ParseResult parsed;
    result.error = ReadHandlingText(files, path, reader, parsed);
    if (result.error.empty())
        result.file = std::move(parsed.file);
    return result;
}

std::string ReadHandlingCars(const std::string& path, CarLines& cars) {
    PosixFileOperations files;
    return ReadHandlingCars(path, cars, files);
}

std::string ReadHandlingCars(const std::string& path, CarLines& cars, FileOperations& files) {
    HandlingTextReader reader(cars);
    ParseResult parsed;
    return ReadHandlingText(files, path, reader, parsed);
}

} // namespace kestrix
