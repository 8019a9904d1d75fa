#pragma once

#include "handling_file/handling_format.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace kestrix {

struct FileRead {
    std::string bytes;
    std::string error; // names the path and the reason; empty on success
};

class FileOperations;

// Reads a file, a FIFO or a device, opened once, up to kMaxFileBytes; a
// regular file that changes size while it is read is refused.
FileRead ReadFileBytes(const std::string& path);
FileRead ReadFileBytes(const std::string& path, FileOperations& files);

// The file-system calls a save makes. Each returns 0 or the errno value of
// the failure, so a test can put a failing one in place of the real one.
class FileOperations {
  public:
    virtual ~FileOperations() = default;
    // Creates a new file from a mkstemp pattern; pattern receives its name.
    // The file stays locked while it is open, so that no other save takes it
    // for the leftover of a save that was killed.
    virtual int CreateUnique(std::string& pattern, int& fd) = 0;
    // Opens an existing file, FIFO or device for writing: nothing is
    // truncated, and a FIFO without a reader fails with ENXIO at once.
    virtual int OpenForWriting(const std::string& path, int& fd) = 0;
    virtual int OpenForReading(const std::string& path, int& fd) = 0;
    virtual int SetOwner(int fd, uid_t owner, gid_t group) = 0;
    virtual int SetMode(int fd, mode_t mode) = 0;
    // Writes some of bytes, as one write(2) does.
    virtual int Write(int fd, std::string_view bytes, std::size_t& written) = 0;
    // Reads at most size bytes, as one read(2) does; got is 0 at the end.
    virtual int Read(int fd, char* buffer, std::size_t size, std::size_t& got) = 0;
    virtual int Truncate(int fd, off_t size) = 0;
    virtual int Sync(int fd) = 0;
    virtual int Close(int fd) = 0;
    // The status of path itself (a link is not followed), or of an open file.
    virtual int Status(const std::string& path, struct stat& info) = 0;
    virtual int Status(int fd, struct stat& info) = 0;
    virtual int ReadLink(const std::string& path, std::string& target) = 0;
    virtual int ReadAll(const std::string& path, std::string& bytes) = 0;
    virtual int Link(const std::string& from, const std::string& to) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Removes a leftover temporary file; EBUSY while a running save holds it.
    virtual int RemoveLeftover(const std::string& path) = 0;
    virtual int ListFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    // The longest file name the folder takes.
    virtual long NameLimit(const std::string& folder) = 0;
    virtual int SyncFolder(const std::string& folder) = 0;
};

class PosixFileOperations : public FileOperations {
  public:
    int CreateUnique(std::string& pattern, int& fd) override;
    int OpenForWriting(const std::string& path, int& fd) override;
    int OpenForReading(const std::string& path, int& fd) override;
    int SetOwner(int fd, uid_t owner, gid_t group) override;
    int SetMode(int fd, mode_t mode) override;
    int Write(int fd, std::string_view bytes, std::size_t& written) override;
    int Read(int fd, char* buffer, std::size_t size, std::size_t& got) override;
    int Truncate(int fd, off_t size) override;
    int Sync(int fd) override;
    int Close(int fd) override;
    int Status(const std::string& path, struct stat& info) override;
    int Status(int fd, struct stat& info) override;
    int ReadLink(const std::string& path, std::string& target) override;
    int ReadAll(const std::string& path, std::string& bytes) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int RemoveLeftover(const std::string& path) override;
    int ListFolder(const std::string& folder, std::vector<std::string>& names) override;
    long NameLimit(const std::string& folder) override;
    int SyncFolder(const std::string& folder) override;
};

// The previous contents of path are kept here at each save: path with
// ".bak" added, its name shortened first where the folder's name limit
// leaves no room for the four characters.
std::string BackupPathFor(const std::string& path);

// Saves bytes to path as a plain write would, without its risks.
// - A link is followed: its final target is saved, and the link stays.
// - A regular file is replaced at once: the bytes go to a temporary file
//   beside it, flushed to disk, with the file's mode, owner and group, and a
//   rename puts it in place. The previous file is first kept as
//   BackupPathFor(target); when that cannot be made the save is refused.
// - A file the process may not write is refused ("Permission denied").
// - A file with several hard links, or in a folder the process may not
//   write, is written in place once the backup (where the folder allows
//   one) is made, so that every link sees the new contents; should that
//   write fail, the previous contents are written back.
// - A FIFO or a character device is written into; any other kind of file,
//   and a folder, is refused.
// Leftover temporary files of a killed save of the same file are removed.
// Returns an error that names the path and the reason, or empty text.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);
std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files);

// Whether a save puts the file it replaces into the backup, or leaves the
// backup as it is: the first save after a file was opened keeps the file as
// it was opened, and later saves must not replace that with their own.
enum class BackupMode { Replace, Keep };
std::string ReplaceFileContents(const std::string& path, std::string_view bytes, BackupMode backup);
std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files,
                                BackupMode backup);

// ReplaceFileContents of text written for doc, once the text is found to read
// back as doc (ReadBackDifference); otherwise nothing is replaced, and the
// error names the path and what would come back otherwise.
std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc);
std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc,
                            FileOperations& files, BackupMode backup = BackupMode::Replace);
std::string SaveCheckedText(const std::string& path, std::string_view text, const HandlingDocument& doc,
                            BackupMode backup);

// Whether two paths name the same file: the same file system object, or the
// same text where either cannot be found.
bool SameFile(const std::string& a, const std::string& b);

struct HandlingFileRead {
    ParsedHandlingFile file;
    std::string error;
};

// Reads and parses a handling file; a refusal names the path and the reason.
HandlingFileRead ReadHandlingFile(const std::string& path);
HandlingFileRead ReadHandlingFile(const std::string& path, FileOperations& files);
// Reads a handling file as ReadHandlingFile does, refusing the same files,
// but hands each car to cars as it comes instead of keeping a table. Returns
// the refusal, or empty text. A refusal may come after cars were handed over.
std::string ReadHandlingCars(const std::string& path, CarLines& cars);
std::string ReadHandlingCars(const std::string& path, CarLines& cars, FileOperations& files);

} // namespace kestrix
