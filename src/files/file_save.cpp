#include "files/file_save.h"

#include "files/file_read.h"
#include "handling_file/handling_format.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <vector>

namespace kestrix {

namespace {

// As many as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::size_t kUniqueLength = 6; // the XXXXXX of a CreateUnique pattern

std::string SaveFailure(const std::string& path, int error) {
    return FileFailure("Cannot save", path, SystemReason(error));
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

// Fills a file just made from a pattern with bytes, flushed to disk, and
// leaves it open, so that it stays held. It takes the access of the file
// it replaces, like, or that of a new file. A failure leaves no file behind.
int FillNewFile(FileOperations& files, const std::string& name, OpenFile& file, std::string_view bytes,
                const FileStatus* like) {
    int error = files.TakeAccess(file.fd(), like);
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
    FileStatus info;
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
        if (target.info.kind != FileKind::Link) {
            target.exists = true;
            return 0;
        }
        if (hop == kMaxLinkHops)
            return ELOOP;
        std::string link;
        if (const int linkError = files.ReadLink(target.path, link))
            return linkError;
        target.path = IsAbsolute(link) ? link : InFolder(FolderOf(target.path), link);
    }
}

class Save {
  public:
    Save(FileOperations& files, const std::string& path, std::string_view bytes, BackupMode backup,
         bool* backupMissed)
        : files_(files), path_(path), bytes_(bytes), backupMode_(backup), backupMissed_(backupMissed) {}

    std::string Run() {
        if (const int error = FindTarget(files_, path_, target_))
            return SaveFailure(path_, error);
        const FileKind kind = target_.info.kind;
        if (target_.exists && kind == FileKind::Folder)
            return SaveFailure(path_, EISDIR);
        if (target_.exists && (kind == FileKind::Fifo || kind == FileKind::CharacterDevice))
            return WriteInto();
        if (target_.exists && kind != FileKind::Regular)
            return FileFailure("Cannot save", path_, "it is not a file, a FIFO or a character device");
        limit_ = NameLimitOf(files_, FolderOf(target_.path));
        backup_ = BackupName(target_.path, limit_);
        held_ = RemoveLeftovers(files_, target_.path, limit_);
        return target_.exists ? ReplaceExisting() : ReplaceAtOnce(nullptr);
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
        if (error == ENXIO && target_.info.kind == FileKind::Fifo)
            return FileFailure("Cannot save", path_, "no program is reading from the FIFO");
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
        std::uint64_t otherLinks = target_.info.links - 1;
        held_.push_back(backup_);
        for (const std::string& link : held_) {
            FileStatus info;
            if (otherLinks > 0 && files_.Status(link, info) == 0 && info.identity == target_.info.identity)
                --otherLinks;
        }
        if (otherLinks > 0)
            return WriteInPlace(true);
        return ReplaceAtOnce(&target_.info);
    }

    std::string ReplaceAtOnce(const FileStatus* previous) {
        std::string temporary = TemporaryPattern();
        OpenFile file(files_);
        int error = files_.CreateUnique(temporary, file.fd());
        // A file the process may write in a folder it may not: in place, without a backup.
        if (previous && (error == EACCES || error == EPERM)) {
            if (backupMissed_ && backupMode_ == BackupMode::Replace)
                *backupMissed_ = true;
            return WriteInPlace(false);
        }
        if (error == 0)
            error = FillNewFile(files_, temporary, file, bytes_, previous);
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
            return FileFailure("Cannot save", path_,
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
        if (const int error = ReadWholeFile(files_, target_.path, previous))
            return error;
        return CopyBackup(previous);
    }

    int CopyBackup(std::string_view previous) {
        std::string copy = TemporaryPattern();
        OpenFile file(files_);
        int error = files_.CreateUnique(copy, file.fd());
        if (error == 0)
            error = FillNewFile(files_, copy, file, previous, &target_.info);
        if (error == 0)
            error = RenameOrRemove(files_, copy, backup_);
        return error;
    }

    std::string BackupFailure(int error) const {
        return FileFailure("Cannot save", path_,
                           "cannot keep the previous file as \"" + backup_ + "\": " + SystemReason(error));
    }

    // Writes over the file itself, once the backup is made where one is
    // asked for. A failure part way puts the previous contents back.
    std::string WriteInPlace(bool withBackup) {
        std::string previous;
        const int readError = ReadWholeFile(files_, target_.path, previous);
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
            error = files_.Truncate(file.fd(), bytes.size());
        if (error == 0)
            error = files_.Sync(file.fd());
        const int closeError = file.Close();
        return error ? error : closeError;
    }

    FileOperations& files_;
    const std::string& path_; // as the user named it, for the messages
    std::string_view bytes_;
    BackupMode backupMode_;
    bool* backupMissed_;
    Target target_;
    std::size_t limit_ = 255; // the longest name the target's folder takes
    std::string backup_;
    std::vector<std::string> held_; // links that running saves of the same file hold
};

} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, const SaveOptions& options) {
    if (options.readsBackAs) {
        if (const std::string difference =
                ReadBackDifference(bytes, *options.readsBackAs, options.knownLines);
            !difference.empty())
            return FileFailure("Cannot save", path,
                               "the file would not read back as it is saved: " + difference +
                                   ". Nothing was written");
    }
    return Save(*options.files, path, bytes, options.backup, options.backupMissed).Run();
}

std::string BackupPathFor(const std::string& path, FileOperations& files) {
    return BackupName(path, NameLimitOf(files, FolderOf(path)));
}

} // namespace kestrix
