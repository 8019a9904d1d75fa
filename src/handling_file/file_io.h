#pragma once

#include "handling_file/handling_format.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace kestrix {

struct FileRead {
    std::string bytes;
    std::string error; // names the path and the reason; empty on success
};

FileRead ReadFileBytes(const std::string& path);

// The file-system calls a save makes. Each returns 0 or the errno value of
// the failure, so a test can put a failing one in place of the real one.
class FileOperations {
  public:
    virtual ~FileOperations() = default;
    // Creates a new file from a mkstemp pattern; pattern receives its name.
    virtual int CreateUnique(std::string& pattern, int& fd) = 0;
    virtual int SetMode(int fd, mode_t mode) = 0;
    // Writes some of bytes, as one write(2) does.
    virtual int Write(int fd, std::string_view bytes, std::size_t& written) = 0;
    virtual int Sync(int fd) = 0;
    virtual int Close(int fd) = 0;
    // The st_mode of path, following links.
    virtual int Mode(const std::string& path, mode_t& mode) = 0;
    virtual int ReadAll(const std::string& path, std::string& bytes) = 0;
    virtual int Link(const std::string& from, const std::string& to) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    virtual int SyncFolder(const std::string& folder) = 0;
};

class PosixFileOperations : public FileOperations {
  public:
    int CreateUnique(std::string& pattern, int& fd) override;
    int SetMode(int fd, mode_t mode) override;
    int Write(int fd, std::string_view bytes, std::size_t& written) override;
    int Sync(int fd) override;
    int Close(int fd) override;
    int Mode(const std::string& path, mode_t& mode) override;
    int ReadAll(const std::string& path, std::string& bytes) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int SyncFolder(const std::string& folder) override;
};

// The previous contents of path are kept here at each save.
std::string BackupPathFor(const std::string& path);

// Saves bytes to path so that no failure loses a file: the bytes go to a
// temporary file beside path, flushed to disk, and a rename puts it in place.
// An existing file is first kept as BackupPathFor(path). When the backup
// cannot be made the save is refused, so the user hears of it and the file
// stays as it was. Returns an error that names the path and the reason, or
// empty text.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);
std::string ReplaceFileContents(const std::string& path, std::string_view bytes, FileOperations& files);

struct HandlingFileRead {
    ParsedHandlingFile file;
    std::string error;
};

// Reads and parses a handling file; a refusal names the path and the reason.
HandlingFileRead ReadHandlingFile(const std::string& path);

} // namespace kestrix
