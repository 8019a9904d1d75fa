#include "files/recovery_journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>

namespace kestrix {

namespace {

// The journal's form follows the magic's stem: form 3 may hold moves of cars, which form 2 could not.
constexpr std::string_view kMagicStem = "KESTRIX-RECOVERY-JOURNAL-";
constexpr std::string_view kMagic = "KESTRIX-RECOVERY-JOURNAL-3\n";
constexpr int kForm = 3;
constexpr int kOldestForm = 2; // the first form framed as now
constexpr std::string_view kSuffix = ".journal";
constexpr std::uint32_t kLargestRecord = 64u << 20;
constexpr std::size_t kFrameBytes = RecoveryJournal::kFrameBytes;

// Eight tables, so that the checksum takes eight bytes a step: a bulk edit's
// record runs to megabytes, and a byte a step cost as much as writing it.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (std::size_t t = 1; t < tables.size(); ++t)
        for (std::uint32_t i = 0; i < 256; ++i)
            tables[t][i] = tables[0][tables[t - 1][i] & 0xFF] ^ (tables[t - 1][i] >> 8);
    return tables;
}

std::uint32_t LittleWord(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t Crc32(std::string_view bytes) {
    static constexpr CrcTables kTables = MakeCrcTables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (; left >= 8; p += 8, left -= 8) {
        const std::uint32_t low = crc ^ LittleWord(p);
        const std::uint32_t high = LittleWord(p + 4);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; left > 0; ++p, --left)
        crc = kTables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
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

// Records as they are stored: each its length, the length's complement, its
// checksum and its bytes. Small records are gathered into one write; a large
// one is written from where it lies, not copied behind its frame.
class FramedWriter {
  public:
    FramedWriter(FileOperations& files, int fd, std::string start = {})
        : files_(files), fd_(fd), pending_(std::move(start)) {}

    int Add(std::string_view record) {
        PutWord(pending_, static_cast<std::uint32_t>(record.size()));
        PutWord(pending_, ~static_cast<std::uint32_t>(record.size()));
        PutWord(pending_, Crc32(record));
        if (record.size() < kGathered) {
            pending_.append(record);
            return 0;
        }
        if (const int error = Send())
            return error;
        return WriteAll(files_, fd_, record);
    }
    int Send() {
        const int error = WriteAll(files_, fd_, pending_);
        pending_.clear();
        return error;
    }

  private:
    static constexpr std::size_t kGathered = 64 * 1024;
    FileOperations& files_;
    int fd_;
    std::string pending_;
};

// Durable: on disk before returning. Otherwise the bytes are with the
// system, which outlives the editor's process, and on their way to disk.
enum class Flush { Durable, Started };

int Flushed(FileOperations& files, int fd, Flush flush) {
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
                  const std::vector<std::string_view>& records, Flush flush, std::string& path, int& fd) {
    // Named after the file, so that a listing shows whose journals they are.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : file)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char stem[40];
    std::snprintf(stem, sizeof stem, "%016llx-", static_cast<unsigned long long>(hash));
    std::string name = InFolder(folder, stem + std::string("XXXXXX") + std::string(kSuffix));
    if (const int error = files.CreateUnique(name, fd))
        return error;
    FramedWriter out(files, fd, std::string(kMagic));
    int error = out.Add(file);
    for (std::size_t i = 0; i < records.size() && error == 0; ++i)
        error = out.Add(records[i]);
    if (error == 0 && (error = out.Send()) == 0)
        error = Flushed(files, fd, flush);
    if (error != 0) {
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
    if (!bytes.starts_with(kMagicStem)) {
        journal.error = "it is not a recovery journal of this program";
        return journal;
    }
    bytes.remove_prefix(kMagicStem.size());
    int form = 0;
    const auto [end, failed] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), form);
    if (failed != std::errc() || end == bytes.data() + bytes.size() || *end != '\n') {
        journal.error = "it is not a recovery journal of this program";
        return journal;
    }
    if (form > kForm) {
        journal.newer = true;
        journal.error = "it was written by a newer version of the editor, in journal form " +
                        std::to_string(form) + ", and this version reads up to form " + std::to_string(kForm);
        return journal;
    }
    if (form < kOldestForm) {
        journal.error = "it was written by an early version of the editor, in journal form " +
                        std::to_string(form) + ", which this version no longer reads";
        return journal;
    }
    bytes.remove_prefix(static_cast<std::size_t>(end - bytes.data()) + 1);
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
    FramedWriter out(files_, fd_);
    int error = out.Add(record);
    if (error == 0)
        error = out.Send();
    // A flush to disk at every commit would cost more than a commit may take
    // (5 ms and more); what the system holds survives the editor's end.
    if (error == 0)
        error = Flushed(files_, fd_, Flush::Started);
    if (error != 0)
        return "Cannot write the recovery journal \"" + path_ + "\": " + SystemReason(error);
    ++records_;
    bytes_ += kFrameBytes + record.size();
    return {};
}

std::string RecoveryJournal::CutBack(std::size_t bytes, std::size_t records) {
    if (fd_ < 0)
        return {};
    if (const int error = files_.CutBack(fd_, bytes))
        return "Cannot write the recovery journal \"" + path_ + "\": " + SystemReason(error);
    bytes_ = bytes;
    records_ = records;
    return {};
}

std::string RecoveryJournal::Rewrite(const std::vector<std::string_view>& records) {
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
    for (const std::string_view record : records)
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
