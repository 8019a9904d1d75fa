#include "handling_file/recovery_journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

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

// Durable: on disk before returning. Otherwise the bytes are with the
// system, which outlives the editor's process, and on their way to disk.
enum class Flush { Durable, Started };

int WriteFlushed(FileOperations& files, int fd, std::string_view bytes, Flush flush) {
    if (const int error = WriteAll(files, fd, bytes))
        return error;
    if (flush == Flush::Durable)
        return files.Sync(fd);
    files.StartSync(fd);
    return 0;
}

// Some file systems cannot flush a folder at all (EINVAL); there is nothing more to do.
int SyncFolder(FileOperations& files, const std::string& folder) {
    const int error = files.SyncFolder(folder);
    return error == EINVAL ? 0 : error;
}

// A new, held journal file in folder holding the magic, the file's name
// and these records; its name goes to path.
int CreateJournal(FileOperations& files, const std::string& folder, const std::string& file,
                  const std::vector<std::string>& records, Flush flush, std::string& path, int& fd) {
    // Named after the file, so that a listing shows whose journals they are.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : file)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char stem[40];
    std::snprintf(stem, sizeof stem, "%016llx-", static_cast<unsigned long long>(hash));
    std::string name = InFolder(folder, stem + std::string("XXXXXX") + std::string(kSuffix));
    if (const int error = files.CreateUnique(name, fd))
        return error;
    std::string bytes(kMagic);
    AppendFramed(bytes, file);
    for (const std::string& record : records)
        AppendFramed(bytes, record);
    if (const int error = WriteFlushed(files, fd, bytes, flush)) {
        files.Close(fd);
        files.Remove(name);
        fd = -1;
        return error;
    }
    path = std::move(name);
    return 0;
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
        if (bytes.size() < kFrameBytes) {
            journal.cut = true;
            break;
        }
        const std::uint32_t length = GetWord(bytes);
        if (GetWord(bytes.substr(4)) != ~length || length > kLargestRecord) {
            journal.error = "it is damaged: a record's length is wrong";
            return journal;
        }
        const std::uint32_t crc = GetWord(bytes.substr(8));
        bytes.remove_prefix(kFrameBytes);
        if (length > bytes.size()) {
            journal.cut = true;
            break;
        }
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

RecoveryJournal::~RecoveryJournal() {
    if (fd_ >= 0)
        files_.Close(fd_);
}

std::string RecoveryJournal::Start(const std::string& folder, const std::string& file) {
    Remove();
    int error = MakeFolders(files_, folder);
    if (error == 0)
        error = CreateJournal(files_, folder, file, {}, Flush::Durable, path_, fd_);
    if (error == 0)
        error = SyncFolder(files_, folder);
    if (error != 0) {
        Remove();
        return "Cannot keep a recovery journal in \"" + folder + "\": " + SystemReason(error);
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
    if (const int error = WriteFlushed(files_, fd_, bytes, Flush::Started))
        return "Cannot write the recovery journal \"" + path_ + "\": " + SystemReason(error);
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
    int error = CreateJournal(files_, folder_, file_, records, Flush::Started, path, fd);
    if (error == 0 && (error = files_.Rename(path, path_)) != 0) {
        files_.Close(fd);
        files_.Remove(path);
    }
    if (error != 0)
        return "Cannot write the recovery journal \"" + path_ + "\": " + SystemReason(error);
    files_.Close(fd_);
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
    files_.Remove(path_);
    files_.Close(fd_);
    fd_ = -1;
    path_.clear();
    records_ = 0;
    bytes_ = 0;
}

LeftJournal ReadJournal(const std::string& path, FileOperations& files) {
    OpenFile file(files);
    std::string bytes;
    int error = files.OpenForReading(path, file.fd());
    if (error == 0)
        error = ReadToEnd(files, file.fd(), bytes);
    if (error != 0) {
        LeftJournal journal;
        journal.path = path;
        journal.error = SystemReason(error);
        return journal;
    }
    return ParseJournal(path, bytes);
}

std::vector<LeftJournal> FindLeftJournals(const std::string& folder, const std::string* file,
                                          FileOperations& files) {
    std::vector<std::string> names;
    if (files.ListFolder(folder, names) != 0)
        return {};
    std::vector<std::pair<FileTime, LeftJournal>> found;
    for (const std::string& name : names) {
        if (!name.ends_with(kSuffix))
            continue;
        const std::string path = InFolder(folder, name);
        // A journal its editor holds is that editor's; one it replaced meanwhile is no journal.
        OpenFile held(files);
        FileStatus status;
        std::string bytes;
        if (files.OpenUnheld(path, held.fd()) != 0 || files.Status(held.fd(), status) != 0 ||
            ReadToEnd(files, held.fd(), bytes) != 0)
            continue;
        LeftJournal journal = ParseJournal(path, bytes);
        if (!file || !journal.error.empty() || journal.file == *file)
            found.emplace_back(status.modified, std::move(journal));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LeftJournal> journals;
    for (auto& [time, journal] : found)
        journals.push_back(std::move(journal));
    return journals;
}

void DiscardJournal(const LeftJournal& journal, FileOperations& files) {
    files.Remove(journal.path);
}

std::string SetJournalAside(const LeftJournal& journal, FileOperations& files) {
    const std::string aside = journal.path + ".refused";
    if (files.Rename(journal.path, aside) != 0)
        return journal.path;
    return aside;
}

} // namespace kestrix
