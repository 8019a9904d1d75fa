#pragma once

#include "files/file_operations.h"

#include <mutex>
#include <vector>

namespace kestrix {

// The file system calls of Windows, on paths given as UTF-8. Files are
// opened so that other programs may read, write, rename and remove them
// meanwhile, as on POSIX.
class Win32FileOperations : public FileOperations {
  public:
    ~Win32FileOperations() override;
    int CreateUnique(std::string& pattern, int& fd) override;
    int OpenForWriting(const std::string& path, int& fd) override;
    int OpenForReading(const std::string& path, int& fd) override;
    int OpenUnheld(const std::string& path, int& fd) override;
    int TakeAccess(int fd, const FileStatus* like) override;
    int Write(int fd, std::string_view bytes, std::size_t& written) override;
    int Read(int fd, char* buffer, std::size_t size, std::size_t& got) override;
    int Truncate(int fd, std::uint64_t size) override;
    int CutBack(int fd, std::uint64_t size) override;
    int Sync(int fd) override;
    void StartSync(int fd) override;
    int Close(int fd) override;
    int Status(const std::string& path, FileStatus& status) override;
    int TargetStatus(const std::string& path, FileStatus& status) override;
    int Status(int fd, FileStatus& status) override;
    int ReadLink(const std::string& path, std::string& target) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int RemoveLeftover(const std::string& path) override;
    int MakeFolder(const std::string& folder) override;
    int ListFolder(const std::string& folder, std::vector<std::string>& names) override;
    long NameLimit(const std::string& folder) override;
    int SyncFolder(const std::string& folder) override;

  private:
    // The numbers of open files are places in this table of the system's handles.
    int Keep(void* handle);
    void* HandleOf(int fd);
    int Open(const std::string& path, unsigned long access, int& fd);

    std::mutex mutex_;
    std::vector<void*> handles_;
};

// The seam's number for a failure the system reported (GetLastError), for SystemReason.
int ErrorFromSystem(unsigned long code);

// Text between the program's UTF-8 and the system's UTF-16; Wide gives EILSEQ
// for bytes that are no UTF-8.
std::string Utf8(const wchar_t* wide, std::size_t length);
int Wide(std::string_view text, std::wstring& wide);

} // namespace kestrix
