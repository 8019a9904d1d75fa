#include "handling_file/recovery_journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr std::string_view kMagic = "KESTRIX-RECOVERY-JOURNAL-2\n";
constexpr std::string_view kSuffix = ".journal";
constexpr std::uint32_t kLargestRecord = 64u << 20;
constexpr std::size_t kFrameBytes = RecoveryJournal::kFrameBytes;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

std::uint32_t Crc32(std::string_view bytes) {
    static constexpr std::array<std::uint32_t, 256> kTable = MakeCrcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes)
        crc = kTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutWord(std::string& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
}

std::uint32_t GetWord(std::string_view bytes) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i)
        word = (word << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return word;
}

// A record as it is stored: its length, the length's complement, its checksum, its bytes.
void AppendFramed(std::string& out, std::string_view record) {
    PutWord(out, static_cast<std::uint32_t>(record.size()));
    PutWord(out, ~static_cast<std::uint32_t>(record.size()));
    PutWord(out, Crc32(record));
    out.append(record);
}

std::string Reason(int error) {
    return std::strerror(error);
}

// Durable: on disk before returning. Otherwise the bytes are with the
// system, which outlives the editor's process, and on their way to disk.
enum class Flush { Durable, Started };

int WriteAll(int fd, std::string_view bytes, Flush flush = Flush::Durable) {
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    const std::size_t size = bytes.size();
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (flush == Flush::Started) {
        ::sync_file_range(fd, start, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
        return 0;
    }
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

int MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            return 0;
    }
}

// A new, locked journal file in folder holding the magic, the file's name
// and these records; its name goes to path.
int CreateJournal(const std::string& folder, const std::string& file, const std::vector<std::string>& records,
                  Flush flush, std::string& path, int& fd) {
    // Named after the file, so that a listing shows whose journals they are.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : file)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char stem[40];
    std::snprintf(stem, sizeof stem, "%016llx-", static_cast<unsigned long long>(hash));
    std::string name = folder + "/" + stem + "XXXXXX" + std::string(kSuffix);
    fd = ::mkostemps(name.data(), static_cast<int>(kSuffix.size()), O_CLOEXEC);
    if (fd < 0)
        return errno;
    std::string bytes(kMagic);
    AppendFramed(bytes, file);
    for (const std::string& record : records)
        AppendFramed(bytes, record);
    int error = ::flock(fd, LOCK_EX) == 0 ? 0 : errno;
    if (error == 0)
        error = WriteAll(fd, bytes, flush);
    if (error != 0) {
        ::close(fd);
        ::unlink(name.c_str());
        fd = -1;
        return error;
    }
    path = std::move(name);
    return 0;
}

bool ReadWhole(int fd, std::string& bytes) {
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

LeftJournal ParseJournal(const std::string& path, std::string_view bytes) {
    LeftJournal journal;
    journal.path = path;
    if (!bytes.starts_with(kMagic)) {
        journal.error = "it is not a recovery journal of this program";
        return journal;
    }
    bytes.remove_prefix(kMagic.size());
    std::vector<std::string> records;
    while (!bytes.empty()) {
        // A record cut short at the end is one whose writing a kill stopped:
        // its step never returned, and the steps before it stand.
        if (bytes.size() < kFrameBytes)
            break;
        const std::uint32_t length = GetWord(bytes);
        if (GetWord(bytes.substr(4)) != ~length || length > kLargestRecord) {
            journal.error = "it is damaged: a record's length is wrong";
            return journal;
        }
        const std::uint32_t crc = GetWord(bytes.substr(8));
        bytes.remove_prefix(kFrameBytes);
        if (length > bytes.size())
            break;
        const std::string_view record = bytes.substr(0, length);
        if (Crc32(record) != crc) {
            journal.error = "it is damaged: a record does not match its checksum";
            return journal;
        }
        records.emplace_back(record);
        bytes.remove_prefix(length);
    }
    if (records.empty()) {
        journal.error = "it is damaged: it does not name its file";
        return journal;
    }
    journal.file = std::move(records.front());
    journal.records.assign(std::make_move_iterator(records.begin() + 1),
                           std::make_move_iterator(records.end()));
    return journal;
}

} // namespace

std::string RecoveryFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return std::string(state) + "/kestrix";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/kestrix";
}

RecoveryJournal::~RecoveryJournal() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string RecoveryJournal::Start(const std::string& folder, const std::string& file) {
    Remove();
    int error = MakeFolders(folder);
    if (error == 0)
        error = CreateJournal(folder, file, {}, Flush::Durable, path_, fd_);
    if (error == 0)
        error = SyncFolder(folder);
    if (error != 0) {
        Remove();
        return "Cannot keep a recovery journal in \"" + folder + "\": " + Reason(error);
    }
    folder_ = folder;
    file_ = file;
    records_ = 0;
    bytes_ = kMagic.size() + kFrameBytes + file.size();
    return {};
}

std::string RecoveryJournal::Append(std::string_view record) {
    if (fd_ < 0)
        return {};
    std::string bytes;
    AppendFramed(bytes, record);
    // A flush to disk at every commit would cost more than a commit may take
    // (5 ms and more); what the system holds survives the editor's end.
    if (const int error = WriteAll(fd_, bytes, Flush::Started))
        return "Cannot write the recovery journal \"" + path_ + "\": " + Reason(error);
    ++records_;
    bytes_ += bytes.size();
    return {};
}

std::string RecoveryJournal::Rewrite(const std::vector<std::string>& records) {
    if (fd_ < 0)
        return {};
    std::string path;
    int fd = -1;
    // As an append: a compaction happens within a commit, and what the
    // system holds survives the editor's end.
    int error = CreateJournal(folder_, file_, records, Flush::Started, path, fd);
    if (error == 0 && ::rename(path.c_str(), path_.c_str()) != 0) {
        error = errno;
        ::close(fd);
        ::unlink(path.c_str());
    }
    if (error != 0)
        return "Cannot write the recovery journal \"" + path_ + "\": " + Reason(error);
    ::close(fd_);
    fd_ = fd;
    records_ = records.size();
    bytes_ = kMagic.size() + kFrameBytes + file_.size();
    for (const std::string& record : records)
        bytes_ += kFrameBytes + record.size();
    return {};
}

void RecoveryJournal::Remove() {
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
    records_ = 0;
    bytes_ = 0;
}

LeftJournal ReadJournal(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string bytes;
    if (fd < 0 || !ReadWhole(fd, bytes)) {
        LeftJournal journal;
        journal.path = path;
        journal.error = Reason(errno);
        if (fd >= 0)
            ::close(fd);
        return journal;
    }
    ::close(fd);
    return ParseJournal(path, bytes);
}

std::vector<LeftJournal> FindLeftJournals(const std::string& folder, const std::string* file) {
    std::vector<std::pair<struct timespec, LeftJournal>> found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.ends_with(kSuffix))
            continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A journal its editor holds is that editor's; one it replaced meanwhile is no journal.
        struct stat held {};
        struct stat named {};
        std::string bytes;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_nlink > 0 &&
            ::stat(path.c_str(), &named) == 0 && named.st_ino == held.st_ino && ReadWhole(fd, bytes)) {
            LeftJournal journal = ParseJournal(path, bytes);
            if (!file || !journal.error.empty() || journal.file == *file)
                found.emplace_back(held.st_mtim, std::move(journal));
        }
        ::close(fd);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.tv_sec != b.first.tv_sec ? a.first.tv_sec < b.first.tv_sec
                                                : a.first.tv_nsec < b.first.tv_nsec;
    });
    std::vector<LeftJournal> journals;
    for (auto& [time, journal] : found)
        journals.push_back(std::move(journal));
    return journals;
}

} // namespace kestrix
