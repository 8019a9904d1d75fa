#pragma once

#include "files/file_operations.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The journal of one editor's unsaved changes to one file: a record per
// committed change, each written to the system before Append returns, so a
// killed or crashed editor loses none that it reported done (and its way to
// the disk is started at once, for a crash of the whole system). Every editor writes its own journal and
// holds it locked while it runs; a journal nobody holds is one left by an
// editor that ended without a clean close. A journal names its file and
// guards every record with a checksum: one that does not read whole is
// refused whole.
class RecoveryJournal {
  public:
    explicit RecoveryJournal(FileOperations& files = SystemFiles()) : files_(files) {}
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;
    ~RecoveryJournal();

    // Starts an empty journal for the file in folder. Returns the refusal,
    // naming the folder and the reason, or empty text.
    std::string Start(const std::string& folder, const std::string& file);
    bool Active() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    std::size_t RecordCount() const { return records_; }
    std::size_t Bytes() const { return bytes_; }
    // What the journal adds to each record.
    static constexpr std::size_t kFrameBytes = 12;

    // Appends one record.
    std::string Append(std::string_view record);
    // Drops the records written since the journal held records records in
    // bytes bytes. A killed editor leaves the journal as it was or as it is cut.
    std::string CutBack(std::size_t bytes, std::size_t records);
    // Replaces every record by these, in one step: a killed editor leaves the
    // old journal or the new one.
    std::string Rewrite(const std::vector<std::string_view>& records);
    // Removes the journal (after a save, a revert, a clean close).
    void Remove();

  private:
    FileOperations& files_;
    std::string folder_;
    std::string file_;
    std::string path_;
    int fd_ = -1;
    std::size_t records_ = 0;
    std::size_t bytes_ = 0;
};

// A journal an editor left: the file it was for and its records.
struct LeftJournal {
    std::string path;
    std::string file;
    std::vector<std::string> records;
    std::string error; // a journal that does not read whole: the reason; records are then empty
    // Its last record was cut short: the step its editor was writing when it ended is lost.
    bool cut = false;
    // Written by a newer editor in a form this one does not know: left for that editor to recover.
    bool newer = false;
};

// The journals in folder that no running editor holds, oldest first; for
// one file, or for every file when file is null.
std::vector<LeftJournal> FindLeftJournals(const std::string& folder, const std::string* file,
                                          FileOperations& files = SystemFiles());
// Reads one journal whole, or refuses it with a reason.
LeftJournal ReadJournal(const std::string& path, FileOperations& files = SystemFiles());

// A journal refused or declined: Discard removes it; a refused one is kept
// aside under another name, never offered again, and that name is returned.
void DiscardJournal(const LeftJournal& journal, FileOperations& files = SystemFiles());
std::string SetJournalAside(const LeftJournal& journal, FileOperations& files = SystemFiles());

} // namespace kestrix
