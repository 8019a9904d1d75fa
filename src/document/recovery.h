#pragma once

#include "document/document.h"
#include "files/recovery_journal.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrix {

// Keeps the document's unsaved steps in a recovery journal, so that the edits
// of an editor that was killed or crashed can be applied again to its file,
// with their undo history as it was. The journal holds the steps from the
// file as last read or saved: a step done, undone or redone is a record
// written before the commit returns, and so is a step of the file undone
// past it. When the records outgrow the steps they amount to, the journal is
// written anew from those steps alone, so it never grows without bound.
class DocumentRecovery final : private DocumentRecorder {
  public:
    explicit DocumentRecovery(Document& doc, FileOperations& files = SystemFiles());
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;
    ~DocumentRecovery();

    // Where journals are kept from the next read or save on; none when folder is empty.
    void SetFolder(std::string folder) { folder_ = std::move(folder); }
    const std::string& Folder() const { return folder_; }
    const RecoveryJournal& Journal() const { return journal_; }
    // What stopped the journal since last asked, told once: the editor then works on without one.
    std::string TakeProblem();
    // A clean close: nothing is left to recover.
    void Close();
    // Writes the journal anew from its steps alone; done by itself when the records have outgrown them.
    void Compact();

    // The journals that editors left without a clean close, oldest first: for
    // file, or for every file when file is null. Journals without a step are
    // nothing to recover and go.
    std::vector<LeftJournal> LeftJournals(const std::string* file) const;

  private:
    void Based(const Document& doc) override;
    void Stepped(const Change& change, std::uint64_t step, bool undone) override;
    bool StartJournal();
    void Push(std::uint64_t step, std::string record);
    void MarkCompacted();
    void Write(std::string_view record);
    void Fail(std::string problem);
    std::size_t CompactedBytes() const;

    // A step as the journal has it: the document's step, its record, and the
    // journal's length and records before the record.
    struct Entry {
        std::uint64_t step = 0;
        std::string record;
        std::size_t bytesBefore = 0;
        std::size_t recordsBefore = 0;
    };
    Document& doc_;
    FileOperations& files_;
    std::string folder_;
    RecoveryJournal journal_;
    std::string pendingFile_; // the file whose journal the first step starts
    // The steps the journal knows, in the order of the document's history:
    // first the steps of the file that were undone past it (the deepest
    // first), then those done since. Those from position_ on are undone.
    std::vector<Entry> entries_;
    std::size_t below_ = 0; // the entries that are steps of the file
    std::size_t position_ = 0;
    // From this entry on, the journal holds after each entry's record only
    // records of later entries and undos and redos: it can be cut back to it.
    std::size_t cutFrom_ = 0;
    // Steps of the file undone for good (a commit dropped them from the
    // history): the state from which the other steps go, nearest the file first.
    std::vector<std::string> settled_;
    std::size_t recordBytes_ = 0; // of the entries and the settled steps
    std::string problem_;
    bool failed_ = false;
};

// Applies a left journal's steps to the document, which holds the journal's
// file as it is on disk now and nothing to undo, as steps that can be undone
// and redone as they could be in the editor that left it; the file is not
// written. When a record cannot be read or a step no longer applies, nothing
// is applied and the reason is returned.
std::string ReplayJournal(Document& doc, const std::vector<std::string>& records);

// The steps a left journal brings back done, as undo would take them back:
// how many, and the caption of the last.
struct JournalSteps {
    std::size_t done = 0;
    std::string last;
};
JournalSteps StepsDoneIn(const std::vector<std::string>& records);

// What a recovered journal lost, to be told once: empty when it lost nothing.
std::string LostInJournal(const LeftJournal& journal);

} // namespace kestrix
