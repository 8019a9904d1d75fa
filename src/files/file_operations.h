#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Which object of the file system a file is: every name of one file gives the same.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// To the nanosecond: a file rewritten within the same second still shows another time.
struct FileTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

enum class FileKind { Regular, Folder, Link, Fifo, CharacterDevice, Other };

struct FileStatus {
    FileKind kind = FileKind::Other;
    FileIdentity identity;
    std::uint64_t size = 0;
    FileTime modified;
    std::uint64_t links = 1; // the names the file has
    // Who may do what with the file, as the system keeps it; a file that
    // replaces it takes these over. Each system fills what it has: modes and
    // owners where files have them, the attributes (read-only, hidden) on Windows.
    std::uint32_t permissions = 0; // 07777
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t attributes = 0;
};

// Every call the program makes to the file system. Each returns 0 or the
// errno value of the failure (a failure errno has no value for is a number
// of the system's own, which SystemReason names), so a test can put a
// failing one in place of the real one. An open file is a number the
// implementation gives out (a descriptor on POSIX, a handle's on Windows).
class FileOperations {
  public:
    virtual ~FileOperations() = default;
    // Creates a new file named after pattern, whose last "XXXXXX" becomes
    // unique letters; pattern receives its name. The file stays held while it
    // is open, so that no other process takes it for the leftover of one that
    // was killed.
    virtual int CreateUnique(std::string& pattern, int& fd) = 0;
    // Opens an existing file, FIFO or device for writing: nothing is
    // truncated, and a FIFO without a reader fails with ENXIO at once.
    virtual int OpenForWriting(const std::string& path, int& fd) = 0;
    virtual int OpenForReading(const std::string& path, int& fd) = 0;
    // Opens a file for reading and holds it when no open file holds it (see
    // CreateUnique): EBUSY when one does, or when path names another file by then.
    virtual int OpenUnheld(const std::string& path, int& fd) = 0;
    // Gives a file just made the access of the file it is to replace, as
    // far as the process may set it, or without one what a new file gets as
    // the user's settings have it.
    virtual int TakeAccess(int fd, const FileStatus* like) = 0;
    // Writes some of bytes, as one write(2) does.
    virtual int Write(int fd, std::string_view bytes, std::size_t& written) = 0;
    // Reads at most size bytes, as one read(2) does; got is 0 at the end.
    virtual int Read(int fd, char* buffer, std::size_t size, std::size_t& got) = 0;
    virtual int Truncate(int fd, std::uint64_t size) = 0;
    // Shortens an open file to size; what is written next goes at its new end.
    virtual int CutBack(int fd, std::uint64_t size) = 0;
    // On disk before it returns.
    virtual int Sync(int fd) = 0;
    // Sets what was written on its way to disk, without waiting for it.
    virtual void StartSync(int fd) = 0;
    virtual int Close(int fd) = 0;
    // The status of path itself (a link is not followed), of the file at the
    // end of its links, or of an open file.
    virtual int Status(const std::string& path, FileStatus& status) = 0;
    virtual int TargetStatus(const std::string& path, FileStatus& status) = 0;
    virtual int Status(int fd, FileStatus& status) = 0;
    virtual int ReadLink(const std::string& path, std::string& target) = 0;
    virtual int Link(const std::string& from, const std::string& to) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Removes a leftover temporary file; EBUSY while a running save holds it.
    virtual int RemoveLeftover(const std::string& path) = 0;
    // A folder only its user may enter.
    virtual int MakeFolder(const std::string& folder) = 0;
    virtual int ListFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    // The longest file name the folder takes.
    virtual long NameLimit(const std::string& folder) = 0;
    virtual int SyncFolder(const std::string& folder) = 0;
};

// The file system the program runs on.
FileOperations& SystemFiles();

// Where the program keeps what it must find again after a crash, for this
// user; never beside the user's files, which may be read-only or shared.
// Empty when the system names no such place.
std::string StateFolder();

// The file of the user's choices, which the command line reads too; in the
// window toolkit's form ("[Group]", then "Name=value" lines).
std::string SettingsFilePath();

// Closes a file opened through FileOperations when it goes out of scope.
class OpenFile {
  public:
    explicit OpenFile(FileOperations& files) : files_(files) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { Close(); }
    int& fd() { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    int Close() {
        const int error = fd_ >= 0 ? files_.Close(fd_) : 0;
        fd_ = -1;
        return error;
    }

  private:
    FileOperations& files_;
    int fd_ = -1;
};

// All of bytes, however many writes it takes.
int WriteAll(FileOperations& files, int fd, std::string_view bytes);
// The rest of an open file, appended to bytes.
int ReadToEnd(FileOperations& files, int fd, std::string& bytes);

// Paths as the system writes them: "/" between the names on POSIX; a
// backslash or "/" on Windows, after a drive ("C:") or a share.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
std::string InFolder(const std::string& folder, const std::string& name);
bool IsAbsolute(const std::string& path);
// Makes folder and the folders above it that are missing.
int MakeFolders(FileOperations& files, const std::string& folder);

// "Cannot save \"PATH\": REASON".
std::string FileFailure(std::string_view what, const std::string& path, std::string_view reason);
std::string SystemReason(int error);

// Whether two paths name the same file: the same file system object, or the
// same text where either cannot be found.
bool SameFile(const std::string& a, const std::string& b, FileOperations& files = SystemFiles());

} // namespace kestrix
